#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/testing/TestFiles.h"
#include "platform/text/FormatSettings.h"
#include "snapin/KRComponentData.h"

namespace {

// 2021-03-04 05:06:07 UTC, a moment whose local rendering is computed with
// the C library below, independently of the code under test.
constexpr time_t kStamp = 1614834367;

class DatabaseGroupContents : public ::testing::Test {
 protected:
  DatabaseGroupContents() {
    TFormatSettings& settings = FormatSettings();
    settings.ShortDateFormat = "dd.mm.yyyy";
    settings.LongTimeFormat = "hh:nn:ss";
  }
  ~DatabaseGroupContents() override { ResetFormatSettings(); }

  void MakeFile(const std::string& relative, size_t size) {
    const std::filesystem::path path = dir_.Path() / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << std::string(size, 'd');
    const timespec times[2] = {{kStamp, 0}, {kStamp, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  }
  void MakeDir(const std::string& relative) {
    std::filesystem::create_directories(dir_.Path() / relative);
  }

  TKRFolder& NewGroup(const std::string& directory) {
    auto folder = std::make_unique<TKRFolder>();
    folder->Init("Group", 8, 8, krftDBGroup, true);
    folder->GetColumns().push_back(directory);
    return *TKRFolder::SetParent(std::move(folder),
                                 *data_->GetRootFolder()->SearchFolderByType(krftDBGroups));
  }

  static std::string LocalText(bool withTime) {
    tm local{};
    localtime_r(&kStamp, &local);
    char text[32];
    strftime(text, sizeof text, withTime ? "%d.%m.%Y %H:%M:%S" : "%d.%m.%Y", &local);
    return text;
  }

  static std::vector<std::vector<std::string>> Rows(const TKRFolder& folder) {
    std::vector<std::vector<std::string>> rows;
    for (const auto& item : folder.Items()) rows.push_back(item->Columns());
    return rows;
  }

  ScopedEnv computer_{"VAZERIR_COMPUTERNAME", "PC7"};
  TempDir dir_;
  ComPtr<TKRComponentData> data_ = MakeComObject<TKRComponentData>();
};

}  // namespace

TEST_F(DatabaseGroupContents, ListsDumpFilesThenDumpDirectories) {
  MakeFile("x.dmp", 10);
  MakeFile("y.DMP", 2048);
  MakeFile("s/db.dmp", 7);
  MakeFile("t/other.dmp", 3);  // a subdirectory without db.dmp
  MakeFile(".h/db.dmp", 1);    // a hidden subdirectory
  MakeFile(".hidden.dmp", 1);  // a hidden file
  MakeFile("notes.txt", 1);
  MakeFile("u/DB.DMP", 1);  // the subdirectory dump is named exactly db.dmp
  MakeDir("v/db.dmp");      // a directory called db.dmp is no dump
  MakeDir("w.dmp");         // a directory is no dump file
  MakeFile("a/db.dmp", 5);

  TKRFolder& group = NewGroup(dir_.Path().string());
  data_->CreateDBItemsIntoGroup(group, {krntFolder, krntItem});
  const std::string dated = LocalText(true);
  const std::string day = LocalText(false);
  EXPECT_EQ(Rows(group), (std::vector<std::vector<std::string>>{
                             {"x.dmp", "10", dated},
                             {"y.DMP", "2048", dated},
                             {"a/", "5", day},
                             {"s/", "7", day},
                         }));
  EXPECT_FALSE(group.Dirty());
  EXPECT_EQ(group.GetColumns()[1], "4");
  for (const auto& item : group.Items()) {
    EXPECT_EQ(item->Parent(), &group);
    EXPECT_EQ(TKRFolder::SearchItemByCookie(item->Cookie()), item.get());
  }
}

TEST_F(DatabaseGroupContents, ExistingItemsStayAndNewOnesFollow) {
  MakeFile("x.dmp", 1);
  TKRFolder& group = NewGroup(dir_.Path().string());
  data_->CreateDBItemsIntoGroup(group, {krntItem});
  data_->CreateDBItemsIntoGroup(group, {krntItem});
  EXPECT_EQ(group.Items().size(), 2u);
}

TEST_F(DatabaseGroupContents, EmptyDirectoryIsBuiltMissingOneStaysDirty) {
  TKRFolder& empty = NewGroup(dir_.Path().string());
  data_->CreateDBItemsIntoGroup(empty, {krntItem});
  EXPECT_TRUE(empty.Items().empty());
  EXPECT_FALSE(empty.Dirty());

  TKRFolder& missing = NewGroup((dir_.Path() / "gone").string());
  data_->CreateDBItemsIntoGroup(missing, {krntItem});
  EXPECT_TRUE(missing.Items().empty());
  EXPECT_TRUE(missing.Dirty());
}

TEST_F(DatabaseGroupContents, OnlyGroupFoldersAskedForItemsAreScanned) {
  MakeFile("x.dmp", 1);
  TKRFolder& group = NewGroup(dir_.Path().string());
  data_->CreateDBItemsIntoGroup(group, {krntFolder});
  EXPECT_TRUE(group.Items().empty());
  EXPECT_TRUE(group.Dirty());

  TKRFolder& servers = *data_->GetRootFolder()->SearchFolderByType(krftServers);
  servers.GetColumns().push_back(dir_.Path().string());
  data_->CreateDBItemsIntoGroup(servers, {krntFolder, krntItem});
  EXPECT_TRUE(servers.Items().empty());
  EXPECT_TRUE(servers.Dirty());
}

TEST_F(DatabaseGroupContents, DatesFollowTheLocaleSettings) {
  MakeFile("x.dmp", 1);
  MakeFile("s/db.dmp", 1);
  FormatSettings().ShortDateFormat = "yyyy-mm-dd";
  FormatSettings().LongTimeFormat = "hh.nn";
  TKRFolder& group = NewGroup(dir_.Path().string());
  data_->CreateDBItemsIntoGroup(group, {krntItem});
  tm local{};
  localtime_r(&kStamp, &local);
  char day[16];
  char dated[32];
  strftime(day, sizeof day, "%Y-%m-%d", &local);
  strftime(dated, sizeof dated, "%Y-%m-%d %H.%M", &local);
  ASSERT_EQ(group.Items().size(), 2u);
  EXPECT_EQ(group.Items()[0]->Columns()[2], dated);
  EXPECT_EQ(group.Items()[1]->Columns()[2], day);
}
