#include <gtest/gtest.h>

#include "platform/com/testing/TestStream.h"
#include "platform/testing/TestFiles.h"
#include "snapin/KRComponentData.h"
#include "snapin/KRTestSupport.h"

namespace {

class ConsoleStream : public ::testing::Test {
 protected:
  ScopedEnv computer_{"VAZERIR_COMPUTERNAME", "PC7"};
  ComPtr<TKRComponentData> data_ = MakeComObject<TKRComponentData>();

  TKRFolder& Workstations(TKRComponentData& data) {
    return *data.GetRootFolder()->SearchFolderByType(krftComputers);
  }
  TKRFolder& Groups(TKRComponentData& data) {
    return *data.GetRootFolder()->SearchFolderByType(krftDBGroups);
  }
  TKRFolder& ServersOf(TKRFolder& computer) { return *computer.SearchFolderByType(krftServers); }

  // Adds a server the way the add-server command does (user and password).
  static TKRFolder* AddServer(TKRFolder& servers, const std::string& name, const std::string& user,
                              const std::string& password) {
    auto folder = std::make_unique<TKRFolder>();
    folder->Init(name, 5, 5, krftServer, true);
    folder->GetColumns().push_back(user);
    folder->GetColumns().push_back(password);
    return TKRFolder::SetParent(std::move(folder), servers);
  }
  static void AddGroup(TKRFolder& groups, const std::string& name, const std::string& dir) {
    auto folder = std::make_unique<TKRFolder>();
    folder->Init(name, 8, 8, krftDBGroup, true);
    folder->GetColumns().push_back(dir);
    TKRFolder::SetParent(std::move(folder), groups);
  }

  std::string Save(TKRComponentData& data) {
    ComPtr<IStream> stream = CreateMemoryStream();
    EXPECT_EQ(data.Save(stream.Get(), TRUE), S_OK);
    return StreamBytes(stream.Get());
  }
  HRESULT Load(TKRComponentData& data, const std::string& bytes) {
    ComPtr<IStream> stream = StreamOf(bytes);
    return data.Load(stream.Get());
  }
};

std::vector<std::string> FolderNames(const TKRFolder& folder) {
  std::vector<std::string> names;
  for (const auto& child : folder.Childs()) names.push_back(child->ColumnText(0));
  return names;
}

const std::string kHeader = Word(0);
const std::string kEnd = Word(1);

}  // namespace

TEST_F(ConsoleStream, OneLocalWorkstationSavesTwentyBytes) {
  const std::string expected(
      "\x00\x00\x00\x00\x04\x00\x00\x00\x04\x00\x00\x00pc7\x00\x01\x00\x00\x00", 20);
  EXPECT_EQ(Save(*data_), expected);
}

TEST_F(ConsoleStream, SavesGroupsThenWorkstationsThenServersInChildOrder) {
  TKRFolder& workstations = Workstations(*data_);
  TKRFolder* pc8 = data_->CreateComputerFolder("pc8", workstations);
  AddServer(ServersOf(*workstations.Childs()[0]), "OS1", "alice", "secret");
  AddServer(ServersOf(*pc8), "OS2", "", "");
  AddServer(ServersOf(*workstations.Childs()[0]), "OS3", "bob", "");
  AddGroup(Groups(*data_), "Dumps", "/srv/dumps");

  EXPECT_EQ(Save(*data_), kHeader + Word(2) + Counted("Dumps") + Counted("/srv/dumps") + Word(4) +
                              Counted("pc7") + Word(4) + Counted("pc8") + Word(3) + Counted("OS1") +
                              Counted("pc7") + Counted("alice") + Word(3) + Counted("OS3") +
                              Counted("pc7") + Counted("bob") + Word(3) + Counted("OS2") +
                              Counted("pc8") + Word(1) + std::string(1, '\0') + kEnd);
}

TEST_F(ConsoleStream, RoundTripKeepsRegistrationsAndDropsPasswords) {
  TempDir dir;
  TKRFolder& workstations = Workstations(*data_);
  AddServer(ServersOf(*workstations.Childs()[0]), "OS1", "alice", "secret");
  TKRFolder* remote = data_->CreateComputerFolder("Remote", workstations);
  AddServer(ServersOf(*remote), "OS2", "", "pw");
  AddGroup(Groups(*data_), "Dumps", dir.Path().string());
  const std::string saved = Save(*data_);

  ComPtr<TKRComponentData> loaded = MakeComObject<TKRComponentData>();
  ASSERT_EQ(Load(*loaded, saved), S_OK);
  TKRFolder& ws = Workstations(*loaded);
  ASSERT_EQ(FolderNames(ws), (std::vector<std::string>{"pc7", "remote"}));
  const TKRFolder& os1 = *ServersOf(*ws.Childs()[0]).Childs().at(0);
  EXPECT_EQ(os1.ColumnText(0), "OS1");
  EXPECT_EQ(os1.ColumnText(2), "alice");
  EXPECT_EQ(os1.ColumnText(3), "");  // the password is never written
  EXPECT_EQ(os1.FolderType(), krftServer);
  EXPECT_EQ(os1.ScopeItem()->nImage, 5);
  EXPECT_EQ(os1.Cookie(), -1);  // not inserted into the console
  EXPECT_EQ(ServersOf(*ws.Childs()[1]).Childs().at(0)->ColumnText(0), "OS2");

  ASSERT_EQ(FolderNames(Groups(*loaded)), (std::vector<std::string>{"Dumps"}));
  const TKRFolder& group = *Groups(*loaded).Childs()[0];
  EXPECT_EQ(group.ColumnText(2), dir.Path().string());
  EXPECT_EQ(group.ScopeItem()->nImage, 8);
  EXPECT_FALSE(group.Dirty());  // its directory was scanned at once
  EXPECT_EQ(Save(*loaded), saved);
}

TEST_F(ConsoleStream, DirtyFlagFollowsLoadAndSave) {
  EXPECT_EQ(data_->IsDirty(), S_FALSE);
  data_->SetIsDirty(true);
  EXPECT_EQ(data_->IsDirty(), S_OK);
  ComPtr<IStream> stream = CreateMemoryStream();
  EXPECT_EQ(data_->Save(stream.Get(), FALSE), S_OK);  // clears even without being asked
  EXPECT_EQ(data_->IsDirty(), S_FALSE);

  data_->SetIsDirty(true);
  EXPECT_EQ(Load(*data_, kHeader + kEnd), S_OK);
  EXPECT_EQ(data_->IsDirty(), S_FALSE);
}

TEST_F(ConsoleStream, SizeAndClassAreFilledInButNotImplemented) {
  ULARGE_INTEGER size = 0;
  EXPECT_EQ(data_->GetSizeMax(&size), E_NOTIMPL);
  EXPECT_EQ(size, 100u);
  CLSID clsid{};
  EXPECT_EQ(data_->GetClassID(&clsid), E_NOTIMPL);
  EXPECT_EQ(GuidToString(clsid), "{096D8D3A-B78A-11D2-BD6B-00805F536E80}");
  EXPECT_EQ(data_->GetSizeMax(nullptr), E_POINTER);
  EXPECT_EQ(data_->GetClassID(nullptr), E_POINTER);
}

TEST_F(ConsoleStream, HeaderMustBeZero) {
  data_->SetIsDirty(true);
  EXPECT_EQ(Load(*data_, ""), E_FAIL);
  EXPECT_TRUE(data_->GetIsDirty());  // an unreadable header changes nothing
  EXPECT_EQ(Load(*data_, std::string("\0\0", 2)), E_FAIL);
  EXPECT_EQ(Load(*data_, Word(7) + Word(4) + Counted("pc8") + kEnd), E_FAIL);
  EXPECT_FALSE(data_->GetIsDirty());
  EXPECT_EQ(FolderNames(Workstations(*data_)), (std::vector<std::string>{"pc7"}));
  EXPECT_EQ(data_->Load(nullptr), E_FAIL);
}

TEST_F(ConsoleStream, OnlyAnEndTagLeavesTheDefaultTree) {
  EXPECT_EQ(Load(*data_, kHeader + kEnd + Word(4) + Counted("after-end")), S_OK);
  EXPECT_EQ(FolderNames(Workstations(*data_)), (std::vector<std::string>{"pc7"}));
  EXPECT_TRUE(Groups(*data_).Childs().empty());
}

TEST_F(ConsoleStream, UnknownTagsAreSkippedWordByWord) {
  // Tag 9 is followed by what reads as a workstation record: it is one.
  EXPECT_EQ(Load(*data_,
                 kHeader + Word(9) + Word(0) + Word(0xFFFFFFFF) + Word(4) + Counted("pc8") + kEnd),
            S_OK);
  EXPECT_EQ(FolderNames(Workstations(*data_)), (std::vector<std::string>{"pc7", "pc8"}));
}

TEST_F(ConsoleStream, ServersFindTheirWorkstation) {
  const std::string server = Word(3) + Counted("OS1") + Counted("PC7") + Counted("u");
  const std::string early = Word(3) + Counted("OS2") + Counted("Lab") + Counted("");
  EXPECT_EQ(Load(*data_, kHeader + server + early + Word(4) + Counted("LAB") + kEnd), S_OK);
  TKRFolder& ws = Workstations(*data_);
  // PC7 misses "pc7" exactly but is found without regard to case; Lab is
  // created by its server record and reused by the later workstation record.
  ASSERT_EQ(FolderNames(ws), (std::vector<std::string>{"pc7", "lab"}));
  EXPECT_EQ(FolderNames(ServersOf(*ws.Childs()[0])), (std::vector<std::string>{"OS1"}));
  EXPECT_EQ(FolderNames(ServersOf(*ws.Childs()[1])), (std::vector<std::string>{"OS2"}));
}

TEST_F(ConsoleStream, ServerOfAWorkstationWithoutServersFolderIsDropped) {
  TKRFolder& ws = Workstations(*data_);
  auto bare = std::make_unique<TKRFolder>();
  bare->Init("bare", 1, 1, krftComputer, true);
  TKRFolder* computer = TKRFolder::SetParent(std::move(bare), ws);
  EXPECT_EQ(Load(*data_, kHeader + Word(3) + Counted("OS1") + Counted("bare") + Counted("") + kEnd),
            S_OK);
  EXPECT_TRUE(computer->Childs().empty());
  EXPECT_EQ(ws.Childs().size(), 2u);
}

TEST_F(ConsoleStream, RecordsAreNotMerged) {
  const std::string group = Word(2) + Counted("G") + Counted("/nonexistent/kr-dumps");
  const std::string server = Word(3) + Counted("OS1") + Counted("pc7") + Counted("");
  EXPECT_EQ(Load(*data_, kHeader + group + group + server + server + kEnd), S_OK);
  EXPECT_EQ(FolderNames(Groups(*data_)), (std::vector<std::string>{"G", "G"}));
  EXPECT_TRUE(Groups(*data_).Childs()[0]->Dirty());  // missing directory: scanned again later
  EXPECT_TRUE(Groups(*data_).Childs()[0]->Items().empty());
  EXPECT_EQ(FolderNames(ServersOf(*Workstations(*data_).Childs()[0])),
            (std::vector<std::string>{"OS1", "OS1"}));
}

TEST_F(ConsoleStream, TruncatedStreamsKeepTheCompleteRecords) {
  const std::string first = Word(4) + Counted("pc8");
  const std::string second = Word(3) + Counted("OS1") + Counted("pc8") + Counted("user");
  const std::string whole = kHeader + first + second + kEnd;
  // Every cut before the end tag fails; the workstation record survives
  // once it is complete, the server record only when complete too.
  for (size_t cut = kHeader.size(); cut < whole.size(); ++cut) {
    ComPtr<TKRComponentData> data = MakeComObject<TKRComponentData>();
    EXPECT_EQ(Load(*data, whole.substr(0, cut)), E_FAIL) << cut;
    TKRFolder& ws = Workstations(*data);
    const bool hasFirst = cut >= kHeader.size() + first.size();
    const bool hasSecond = cut >= kHeader.size() + first.size() + second.size();
    ASSERT_EQ(ws.Childs().size(), hasFirst ? 2u : 1u) << cut;
    if (hasFirst) {
      EXPECT_EQ(ServersOf(*ws.Childs()[1]).Childs().size(), hasSecond ? 1u : 0u) << cut;
    }
  }
}

TEST_F(ConsoleStream, ShortReadsAndReadFailures) {
  const std::string doc = kHeader + Word(4) + Counted("workstation-8") + Word(3) + Counted("OS1") +
                          Counted("workstation-8") + Counted("u") + kEnd;
  ComPtr<TestStream> trickle = MakeComObject<TestStream>(doc);
  trickle->LimitReadChunk(3);  // every read brings at most three bytes
  EXPECT_EQ(data_->Load(trickle.Get()), S_OK);
  ASSERT_EQ(FolderNames(Workstations(*data_)), (std::vector<std::string>{"pc7", "workstation-8"}));
  EXPECT_EQ(FolderNames(ServersOf(*Workstations(*data_).Childs()[1])),
            (std::vector<std::string>{"OS1"}));

  // A read failure inside the server record keeps only the workstation.
  ComPtr<TKRComponentData> other = MakeComObject<TKRComponentData>();
  ComPtr<TestStream> failing = MakeComObject<TestStream>(doc);
  failing->FailReadsAfter(kHeader.size() + 4 + Counted("workstation-8").size() + 6);
  EXPECT_EQ(other->Load(failing.Get()), E_FAIL);
  ASSERT_EQ(FolderNames(Workstations(*other)), (std::vector<std::string>{"pc7", "workstation-8"}));
  EXPECT_TRUE(ServersOf(*Workstations(*other).Childs()[1]).Childs().empty());
}

TEST_F(ConsoleStream, AnnouncedLengthBeyondTheStreamFailsWithoutBuilding) {
  EXPECT_EQ(Load(*data_, kHeader + Word(4) + Word(0x7FFFFFFF) + "pc9"), E_FAIL);
  EXPECT_EQ(FolderNames(Workstations(*data_)), (std::vector<std::string>{"pc7"}));
}

TEST_F(ConsoleStream, FailedWritesAreReportedAndKeepTheConsoleDirty) {
  AddServer(ServersOf(*Workstations(*data_).Childs()[0]), "OS1", "alice", "");
  const size_t total = Save(*data_).size();
  data_->SetIsDirty(true);

  auto failingAfter = [](uint64_t bytes) {
    ComPtr<TestStream> stream = MakeComObject<TestStream>();
    stream->FailWritesAfter(bytes);
    return stream;
  };
  ComPtr<TestStream> noHeader = failingAfter(3);
  EXPECT_EQ(data_->Save(noHeader.Get(), TRUE), STG_E_CANTSAVE);
  EXPECT_EQ(noHeader->Contents().size(), 3u);  // nothing after the failed header
  EXPECT_TRUE(data_->GetIsDirty());

  for (size_t limit = 4; limit < total; ++limit) {
    ComPtr<TestStream> cut = failingAfter(limit);
    EXPECT_EQ(data_->Save(cut.Get(), TRUE), STG_E_CANTSAVE) << limit;
    EXPECT_TRUE(data_->GetIsDirty()) << limit;
  }
  ComPtr<TestStream> enough = failingAfter(total);
  EXPECT_EQ(data_->Save(enough.Get(), TRUE), S_OK);
  EXPECT_FALSE(data_->GetIsDirty());
  EXPECT_EQ(data_->Save(nullptr, TRUE), STG_E_CANTSAVE);
}
