#include "platform/win32/Registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/testing/Scaling.h"
#include "platform/testing/TestFiles.h"
#include "platform/win32/RegistryFile.h"

namespace {

class RegistryTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string file = dir.File("sub/registry.reg");
  ScopedEnv env{"VAZERIR_REGISTRY", file};

  // Creates a key with every right and answers its handle.
  HKEY Create(HKEY root, const std::string& path, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyEx(root, path, &key, disposition), ERROR_SUCCESS) << path;
    return key;
  }
  bool Exists(HKEY root, const char* path) {
    HKEY key = nullptr;
    const LONG r = RegOpenKeyEx(root, path, 0, KEY_READ, &key);
    if (r == ERROR_SUCCESS) RegCloseKey(key);
    return r == ERROR_SUCCESS;
  }
};

TEST_F(RegistryTest, ValuesRoundTripThroughTheFile) {
  DWORD disposition = 0;
  HKEY key = Create(HKEY_CLASSES_ROOT, "CLSID\\{096D8D3A}\\InprocServer32", &disposition);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  ASSERT_EQ(RegSetValueEx(key, "", std::string("/opt/lib \"x\"\\libVAZERir.so")), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueEx(key, "ThreadingModel", std::string("Apartment")), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueEx(key, "Count", DWORD{0xDEADBEEF}), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueEx(key, "Lines", std::string("one\ntwo\r\n")), ERROR_SUCCESS);
  RegCloseKey(key);

  const std::string text = ReadFile(file);
  EXPECT_EQ(text.rfind("REGEDIT4\n", 0), 0u);
  EXPECT_NE(text.find("[HKEY_CLASSES_ROOT\\CLSID\\{096D8D3A}\\InprocServer32]\n"
                      "@=\"/opt/lib \\\"x\\\"\\\\libVAZERir.so\"\n"
                      "\"ThreadingModel\"=\"Apartment\"\n"
                      "\"Count\"=dword:deadbeef\n"
                      "\"Lines\"=\"one\\ntwo\\r\\n\"\n"),
            std::string::npos)
      << text;

  HKEY again = nullptr;
  ASSERT_EQ(
      RegOpenKeyEx(HKEY_CLASSES_ROOT, "clsid\\{096d8d3a}\\inprocserver32", 0, KEY_READ, &again),
      ERROR_SUCCESS);
  std::string s;
  EXPECT_EQ(RegQueryValueEx(again, "", s), ERROR_SUCCESS);
  EXPECT_EQ(s, "/opt/lib \"x\"\\libVAZERir.so");
  EXPECT_EQ(RegQueryValueEx(again, "threadingmodel", s), ERROR_SUCCESS);
  EXPECT_EQ(s, "Apartment");
  EXPECT_EQ(RegQueryValueEx(again, "Lines", s), ERROR_SUCCESS);
  EXPECT_EQ(s, "one\ntwo\r\n");
  DWORD n = 0;
  EXPECT_EQ(RegQueryValueEx(again, "COUNT", n), ERROR_SUCCESS);
  EXPECT_EQ(n, 0xDEADBEEF);
  EXPECT_EQ(RegQueryValueEx(again, "Count", s), ERROR_UNSUPPORTED_TYPE);
  EXPECT_EQ(RegQueryValueEx(again, "ThreadingModel", n), ERROR_UNSUPPORTED_TYPE);
  EXPECT_EQ(RegQueryValueEx(again, "Missing", s), ERROR_FILE_NOT_FOUND);
  RegCloseKey(again);
}

TEST_F(RegistryTest, QueryAnswersTypeSizeAndMoreData) {
  HKEY key = Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Test");
  const char text[] = "NorvikSCS";
  ASSERT_EQ(RegSetValueEx(key, "Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text),
            ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueEx(key, "Name", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, sizeof text);  // with the terminating NUL

  char buffer[16];
  std::memset(buffer, 'x', sizeof buffer);
  size = sizeof text - 1;
  EXPECT_EQ(RegQueryValueEx(key, "Name", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, sizeof text);
  EXPECT_EQ(buffer[0], 'x');  // nothing copied
  size = sizeof buffer;
  EXPECT_EQ(RegQueryValueEx(key, "Name", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(size, sizeof text);
  EXPECT_STREQ(buffer, "NorvikSCS");
  EXPECT_EQ(RegQueryValueEx(key, "Name", nullptr, &type, reinterpret_cast<BYTE*>(buffer), nullptr),
            ERROR_INVALID_PARAMETER);

  // An empty text still has its NUL; the default value is missing until set.
  ASSERT_EQ(RegSetValueEx(key, "Empty", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1),
            ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueEx(key, "Empty", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 1u);
  EXPECT_EQ(RegQueryValueEx(key, nullptr, nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);

  const DWORD three = 3;
  EXPECT_EQ(RegSetValueEx(key, "Bad", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&three), 2),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueEx(key, "Bad", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&three), 4),
            ERROR_INVALID_PARAMETER);
  RegCloseKey(key);
}

TEST_F(RegistryTest, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
  RegCloseKey(Create(HKEY_CURRENT_USER, "Software\\MyApp"));
  DWORD disposition = 0;
  HKEY key = Create(HKEY_CURRENT_USER, "SOFTWARE\\MYAPP\\Sub", &disposition);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  RegCloseKey(key);
  key = Create(HKEY_CURRENT_USER, "software\\myapp", &disposition);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  ASSERT_EQ(RegSetValueEx(key, "Value", std::string("1")), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueEx(key, "VALUE", std::string("2")), ERROR_SUCCESS);
  std::string name;
  DWORD type = 0;
  EXPECT_EQ(RegEnumValue(key, 0, name, &type), ERROR_SUCCESS);
  EXPECT_EQ(name, "Value");
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(RegEnumValue(key, 1, name), ERROR_NO_MORE_ITEMS);
  RegCloseKey(key);
  const std::string text = ReadFile(file);
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\MyApp\\Sub]"), std::string::npos) << text;
  EXPECT_NE(text.find("\"Value\"=\"2\""), std::string::npos) << text;
}

TEST_F(RegistryTest, EnumerationIsSortedAndBounded) {
  HKEY parent = Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\MMC\\Snapins");
  for (const char* name : {"zeta", "Alpha", "{096D8D3A}", "beta"}) {
    HKEY child = nullptr;
    ASSERT_EQ(RegCreateKeyEx(parent, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(child);
  }
  std::vector<std::string> names;
  std::string name;
  for (DWORD i = 0; RegEnumKeyEx(parent, i, name) == ERROR_SUCCESS; ++i) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "beta", "zeta", "{096D8D3A}"}));

  char buffer[8];
  DWORD length = 6;  // "Alpha" and its NUL fit exactly
  FILETIME written{};
  EXPECT_EQ(RegEnumKeyEx(parent, 0, buffer, &length, nullptr, nullptr, nullptr, &written),
            ERROR_SUCCESS);
  EXPECT_EQ(length, 5u);
  EXPECT_STREQ(buffer, "Alpha");
  EXPECT_NE(written.dwHighDateTime, 0u);
  length = 5;
  EXPECT_EQ(RegEnumKeyEx(parent, 0, buffer, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);
  length = sizeof buffer;
  EXPECT_EQ(RegEnumKeyEx(parent, 4, buffer, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
  RegCloseKey(parent);
}

TEST_F(RegistryTest, DeletingKeysAndValues) {
  RegCloseKey(Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\MMC\\Snapins\\{X}\\StandAlone"));
  EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\MMC\\Snapins\\{X}"), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, "SOFTWARE\\MMC\\Snapins\\{X}\\StandAlone"));
  EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\MMC\\Snapins\\{x}\\standalone"),
            ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\MMC\\Snapins\\{X}"), ERROR_SUCCESS);
  EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE, "SOFTWARE\\MMC\\Snapins\\{X}"));
  EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, "SOFTWARE\\MMC\\Snapins"));
  EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\MMC\\Snapins\\{X}"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, "NoSuch\\Path"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, ""), ERROR_INVALID_PARAMETER);

  RegCloseKey(Create(HKEY_CLASSES_ROOT, "VAZERir.TKRComponentData\\Clsid"));
  EXPECT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, "VAZERir.TKRComponentData"), ERROR_SUCCESS);
  EXPECT_FALSE(Exists(HKEY_CLASSES_ROOT, "VAZERir.TKRComponentData"));
  EXPECT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, "VAZERir.TKRComponentData"), ERROR_FILE_NOT_FOUND);

  HKEY key = Create(HKEY_CURRENT_USER, "Values");
  ASSERT_EQ(RegSetValueEx(key, "A", DWORD{1}), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValue(key, "a"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValue(key, "A"), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST_F(RegistryTest, HandlesAreCheckedAndNeverReused) {
  HKEY key = Create(HKEY_CURRENT_USER, "Gone\\Child");
  HKEY read = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Gone", 0, KEY_READ, &read), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueEx(read, "x", DWORD{1}), ERROR_ACCESS_DENIED);
  HKEY child = nullptr;
  EXPECT_EQ(RegCreateKeyEx(read, "Other", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
            ERROR_ACCESS_DENIED);
  // Opening an existing subkey through a read-only handle is allowed.
  EXPECT_EQ(RegCreateKeyEx(read, "Child", 0, nullptr, 0, KEY_READ, nullptr, &child, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(child);

  ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, "Gone"), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueEx(key, "x", DWORD{1}), ERROR_KEY_DELETED);
  std::string name;
  EXPECT_EQ(RegEnumKeyEx(read, 0, name), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  HKEY next = Create(HKEY_CURRENT_USER, "Gone");
  EXPECT_NE(next, key);
  EXPECT_EQ(RegSetValueEx(key, "x", DWORD{1}), ERROR_INVALID_HANDLE);
  RegCloseKey(next);
  RegCloseKey(read);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Gone\\\\Double", 0, KEY_READ, &child),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Missing", 0, KEY_READ, &child), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, AFileThatCannotBeParsedIsReportedAndLeftUntouched) {
  std::filesystem::create_directories(dir.Path() / "sub");
  const std::string corrupt =
      "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\"Name\"=\"unterminated\n";
  WriteFile(file, corrupt);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &key), ERROR_BADDB);
  EXPECT_EQ(RegistryErrorText(), file + ":4: bad text value");
  EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, std::string("SOFTWARE\\New"), &key), ERROR_BADDB);
  EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, "SOFTWARE"), ERROR_BADDB);
  EXPECT_EQ(ReadFile(file), corrupt);
}

TEST_F(RegistryTest, AMissingFileIsAnEmptyRegistryAndTheDefaultPathIsUnderHome) {
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(std::filesystem::exists(file));  // reading creates nothing
  ScopedEnv noFile("VAZERIR_REGISTRY", "");
  ScopedEnv home("HOME", dir.Path().string());
  EXPECT_EQ(RegistryFilePath(), dir.File(".config/vazerir/registry.reg"));
}

// Each process adds its own keys while the others do; none may be lost.
TEST_F(RegistryTest, ConcurrentWritersInSeveralProcessesLoseNothing) {
  constexpr int kProcesses = 3;
  constexpr int kKeysEach = 25;
  const auto writeKeys = [&](int process) {
    bool ok = true;
    for (int i = 0; i < kKeysEach; ++i) {
      HKEY key = nullptr;
      const std::string path =
          "Software\\Load\\P" + std::to_string(process) + "_" + std::to_string(i);
      ok = ok && RegCreateKeyEx(HKEY_CURRENT_USER, path, &key) == ERROR_SUCCESS &&
           RegSetValueEx(key, "n", static_cast<DWORD>(i)) == ERROR_SUCCESS;
      RegCloseKey(key);
    }
    return ok;
  };
  std::vector<pid_t> children;
  for (int p = 1; p < kProcesses; ++p) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) _exit(writeKeys(p) ? 0 : 1);
    children.push_back(pid);
  }
  EXPECT_TRUE(writeKeys(0));
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  HKEY load = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Load", 0, KEY_READ, &load), ERROR_SUCCESS);
  std::string name;
  DWORD count = 0;
  while (RegEnumKeyEx(load, count, name) == ERROR_SUCCESS) ++count;
  EXPECT_EQ(count, static_cast<DWORD>(kProcesses * kKeysEach));
  HKEY last = nullptr;
  ASSERT_EQ(RegOpenKeyEx(load, "P2_24", 0, KEY_READ, &last), ERROR_SUCCESS);
  DWORD n = 0;
  EXPECT_EQ(RegQueryValueEx(last, "n", n), ERROR_SUCCESS);
  EXPECT_EQ(n, 24u);
  RegCloseKey(last);
  RegCloseKey(load);
}

// The registry file is only ever replaced where it belongs: through a
// symbolic link to its target, never over a FIFO or a read-only file, and a
// FIFO standing at the path is refused at once instead of waited on.
TEST_F(RegistryTest, TheFileIsWrittenOnlyWhereItBelongs) {
  std::filesystem::create_directories(dir.Path() / "sub");
  std::filesystem::create_directories(dir.Path() / "real");
  std::filesystem::create_symlink(dir.File("real/registry.reg"), file);
  HKEY key = Create(HKEY_CURRENT_USER, "Linked");
  RegCloseKey(key);
  EXPECT_TRUE(std::filesystem::is_symlink(file));
  EXPECT_NE(ReadFile(dir.File("real/registry.reg")).find("[HKEY_CURRENT_USER\\Linked]"),
            std::string::npos);

  const std::string before = ReadFile(file);
  ASSERT_EQ(chmod(dir.File("real/registry.reg").c_str(), 0444), 0);
  EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, std::string("Refused"), &key), ERROR_WRITE_FAULT);
  EXPECT_EQ(RegistryErrorText(), file + ": it is read-only");
  EXPECT_EQ(ReadFile(file), before);

  std::filesystem::remove(file);
  ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
  EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Linked", 0, KEY_READ, &key), ERROR_READ_FAULT);
  EXPECT_EQ(RegistryErrorText(), file + ": it is not a regular file");
  EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, std::string("Refused"), &key), ERROR_READ_FAULT);
  EXPECT_TRUE(std::filesystem::is_fifo(file));
}

// A sequence of changes under a TRegistryLock does not interleave with
// another writer's: the other one waits, then goes ahead.
TEST_F(RegistryTest, AnotherWriterWaitsForAHeldRegistry) {
  std::atomic<bool> holding{false};
  std::atomic<LONG> secondChange{-1};
  std::thread holder([&] {
    TRegistryLock lock;
    EXPECT_TRUE(lock.Held());
    HKEY key = Create(HKEY_CLASSES_ROOT, "CLSID\\{Pending}");
    holding = true;
    // Long enough for the other writer to try in the meantime.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    secondChange = RegSetValueEx(key, "", std::string("/lib/module.so"));
    RegCloseKey(key);
    EXPECT_EQ(lock.Problem(), "");
  });
  while (!holding) std::this_thread::yield();
  EXPECT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, "CLSID\\{Pending}"), ERROR_SUCCESS);
  EXPECT_EQ(secondChange, ERROR_SUCCESS);  // the deletion came after the whole sequence
  holder.join();
  EXPECT_FALSE(Exists(HKEY_CLASSES_ROOT, "CLSID\\{Pending}"));
}

// A writer waits for a held registry only so long; a holder learns of the
// first failure of its changes, with the file, line and problem.
TEST_F(RegistryTest, ARegistryLockWaitsBoundedAndKeepsTheFirstFailure) {
  {
    TRegistryLock outer;
    ASSERT_TRUE(outer.Held());
    TRegistryLock nested;  // the same thread: nothing more to wait for
    EXPECT_TRUE(nested.Held());
    std::thread other([] {
      TRegistryLock busy(std::chrono::milliseconds(100));
      EXPECT_FALSE(busy.Held());
      EXPECT_NE(busy.Problem().find("another writer has held the registry"), std::string::npos)
          << busy.Problem();
    });
    other.join();
  }
  std::filesystem::create_directories(dir.Path() / "sub");
  WriteFile(file, "REGEDIT4\n[HKEY_NOWHERE]\n");
  TRegistryLock lock;
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, std::string("Any"), &key), ERROR_BADDB);
  EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "Other"), ERROR_BADDB);
  EXPECT_EQ(lock.Problem(), file + ":2: bad key path");
}

// A registry of many keys and values is read, searched and written in time
// linear in its size (each change reads and writes the whole file), so
// registering into a large registry costs the same per key as into a small
// one.
TEST_F(RegistryTest, AChangeCostsTheSamePerKeyInALargeRegistry) {
  std::filesystem::create_directories(dir.Path() / "sub");
  const double growth = GrowthPerUnit(500, 4000, [this](int n) {
    std::string text = "REGEDIT4\n\n";
    for (int i = 0; i < n; ++i) {
      // Sections in an order of their own, not the registry's sorted one.
      text += "[HKEY_CLASSES_ROOT\\CLSID\\{" + std::to_string((i * 7919) % n) +
              "-Class}\\InprocServer32]\n@=\"/lib/m.so\"\n\n";
    }
    text += "[HKEY_CURRENT_USER\\Settings]\n";
    for (int i = 0; i < n; ++i) text += "\"Value" + std::to_string(i) + "\"=dword:1\n";
    WriteFile(file, text);
    HKEY key = Create(HKEY_CLASSES_ROOT, "CLSID\\{New}\\Server");
    ASSERT_EQ(RegSetValueEx(key, "ThreadingModel", std::string("Apartment")), ERROR_SUCCESS);
    RegCloseKey(key);
  });
  EXPECT_LT(growth, 3.0);
}

struct BadText {
  const char* text;
  int line;
  const char* problem;
};

TEST(RegistryFileTest, ParseErrorsNameTheLine) {
  const BadText cases[] = {
      {"REGEDIT5\n", 1, "\"REGEDIT4\" expected"},
      {"REGEDIT4\n\"A\"=\"x\"\n", 2, "value line before any key line"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\n", 2, "']' expected at the end of the key line"},
      {"REGEDIT4\n[HKEY_NOWHERE\\A]\n", 2, "bad key path"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\\\A]\n", 2, "bad key path"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n; c\n\"A\"=dword:123456789\n", 4, "bad dword value"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"A\"=dword:xyz\n", 3, "bad dword value"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"A\"=\"x\" y\n", 3, "unexpected text after the value"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"A\"=\"bad \\q escape\"\n", 3, "bad text value"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"A\"\"x\"\n", 3, "'=' expected after the value name"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"A=\"x\"\n", 3, "'=' expected after the value name"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\nA=\"x\"\n", 3, "key line or value line expected"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"A\"=hex:01\n", 3, "bad text value"},
  };
  for (const BadText& c : cases) {
    RegistryTree tree;
    std::optional<RegistryParseError> error = ParseRegistry(c.text, tree);
    ASSERT_TRUE(error.has_value()) << c.text;
    EXPECT_EQ(error->Line, c.line) << c.text;
    EXPECT_EQ(error->Problem, c.problem) << c.text;
  }
}

TEST(RegistryFileTest, AcceptedTextsAndTheirWrittenForm) {
  RegistryTree tree;
  // BOM, CRLF line ends, blanks around '=', a root section, a repeated section
  // spelled differently, an empty file being an empty registry.
  const char* text =
      "\xEF\xBB\xBFREGEDIT4\r\n\r\n[HKEY_CURRENT_USER]\r\n\"Top\" = dword:2A\r\n"
      "[hkey_local_machine\\Soft\\App]\r\n@=\"d\"\r\n[HKEY_LOCAL_MACHINE\\SOFT]\r\n"
      "\"V\"=\"\\\"q\\\"\"\r\n";
  ASSERT_FALSE(ParseRegistry(text, tree).has_value());
  EXPECT_EQ(FormatRegistry(tree),
            "REGEDIT4\n\n"
            "[HKEY_CURRENT_USER]\n\"Top\"=dword:0000002a\n\n"
            "[HKEY_LOCAL_MACHINE\\Soft]\n\"V\"=\"\\\"q\\\"\"\n\n"
            "[HKEY_LOCAL_MACHINE\\Soft\\App]\n@=\"d\"\n\n");
  RegistryTree again;
  ASSERT_FALSE(ParseRegistry(FormatRegistry(tree), again).has_value());
  EXPECT_EQ(FormatRegistry(again), FormatRegistry(tree));
  RegistryTree empty;
  EXPECT_FALSE(ParseRegistry("", empty).has_value());
  EXPECT_EQ(FormatRegistry(empty), "REGEDIT4\n\n");
}

}  // namespace
