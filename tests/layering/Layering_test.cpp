#include "tests/layering/Layering.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/testing/TestFiles.h"

namespace {

std::string Joined(const std::vector<std::string>& problems) {
  std::string text;
  for (const std::string& problem : problems) text += problem + "\n";
  return text;
}

std::vector<std::string> BuildOrder() {
  std::vector<std::string> order;
  std::istringstream list(KR_FOLDER_ORDER);
  for (std::string folder; std::getline(list, folder, ',');) order.push_back(folder);
  return order;
}

// An include line; split so that this file's own lines never are one.
std::string Include(const std::string& target, const std::string& spelling = "#include ") {
  return spelling + target + "\n";
}

TEST(Layering, TheTreeKeepsItsLayersAndItsDocument) {
  const std::vector<std::string> order = BuildOrder();
  ASSERT_FALSE(order.empty());
  EXPECT_EQ(Joined(CheckIncludes(KR_SOURCE_DIR, Layers())), "");
  EXPECT_EQ(Joined(CheckLibraryDeps(KR_SOURCE_DIR)), "");
  EXPECT_EQ(Joined(CheckFolderOrder(order, Layers())), "");
  EXPECT_EQ(Joined(CheckLayoutTable(KR_SOURCE_DIR, order)), "");
}

TEST(Layering, IncludesUpwardsOrSidewaysAreFoundWithTheirLines) {
  TempDir tree;
  WriteFile(tree.File("platform/text/Up.cpp"),
            "// the text layer\n" + Include("\"objectmodel/KRAPI_UNT.h\""));
  WriteFile(tree.File("console/host/Sideways.cpp"), Include("\"snapin/KRFolder.h\""));
  WriteFile(tree.File("dialogs/Api.h"),
            Include("<vector>") + Include("<kestrel/include/KestrelAPI.h>", "  #  include "));
  WriteFile(tree.File("kestrel/engine/Ours.cpp"), Include("\"platform/com/Variant.h\""));
  WriteFile(tree.File("tools/Stray.cpp"), "int x;\n");
  // What is allowed: the API header in the object model, lower layers, its
  // own folder, system headers; commented-out lines, build trees and hidden
  // folders are not looked at.
  WriteFile(tree.File("objectmodel/Fine.cpp"),
            Include("\"kestrel/include/KestrelAPI.h\"") + Include("\"platform/com/Variant.h\"") +
                Include("\"support/KRLabel.h\"") + Include("\"objectmodel/Fine.h\"") +
                Include("<gtest/gtest.h>") + "// " + Include("\"snapin/KRFolder.h\""));
  WriteFile(tree.File("console/host/testing/Support.cpp"), Include("\"console/host/Host.h\""));
  WriteFile(tree.File("build/test/Generated.cpp"), Include("\"snapin/KRFolder.h\""));
  WriteFile(tree.File(".hidden/Old.cpp"), Include("\"snapin/KRFolder.h\""));

  EXPECT_EQ(CheckIncludes(tree.Path(), Layers()),
            (std::vector<std::string>{
                "console/host/Sideways.cpp:1: includes snapin/KRFolder.h, but console/host may "
                "not use snapin",
                "dialogs/Api.h:2: includes kestrel/include/KestrelAPI.h, but dialogs may not use "
                "kestrel/include",
                "kestrel/engine/Ours.cpp:1: includes platform/com/Variant.h, but kestrel/engine "
                "may not use platform/com",
                "platform/text/Up.cpp:2: includes objectmodel/KRAPI_UNT.h, but platform/text may "
                "not use objectmodel",
                "tools/Stray.cpp:1: in a folder the layering does not know"}));
}

TEST(Layering, ALibraryMustDeclareWhatItIncludesAndShipNoTestLibrary) {
  TempDir tree;
  WriteFile(tree.File("platform/com/CMakeLists.txt"),
            "kr_library(kr_platform_com SHARED\n"
            "  SOURCES Variant.cpp  # the variant\n"
            "  DEPS kr_platform_text)\n"
            "kr_test_library(kr_platform_com_testing SOURCES testing/TestStream.cpp\n"
            "  DEPS kr_platform_com)\n");
  WriteFile(tree.File("platform/com/Variant.cpp"), Include("\"platform/com/Variant.h\""));
  WriteFile(tree.File("platform/com/Variant.h"), "");
  WriteFile(tree.File("platform/com/ComPtr.h"), "");
  WriteFile(tree.File("platform/com/testing/TestStream.cpp"), "");
  WriteFile(tree.File("platform/win32/CMakeLists.txt"),
            "kr_library(kr_platform_win32 SHARED SOURCES Registry.cpp Clean.cpp\n"
            "  DEPS kr_platform_text)\n"
            "kr_library(kr_platform_win32_extra SOURCES Extra.cpp\n"
            "  DEPS kr_platform_com kr_platform_com_testing)\n");
  // Through the library's own headers as through its sources; a header
  // without a source of its own belongs to its folder's library; headers of
  // no library (the Database API's) need no declaration.
  WriteFile(tree.File("platform/win32/Registry.cpp"), Include("\"platform/win32/Registry.h\""));
  WriteFile(tree.File("platform/win32/Registry.h"), Include("\"platform/win32/WinTypes.h\""));
  WriteFile(tree.File("platform/win32/WinTypes.h"), Include("\"platform/com/ComPtr.h\""));
  WriteFile(tree.File("platform/win32/Clean.cpp"), Include("\"kestrel/include/KestrelAPI.h\""));
  WriteFile(tree.File("platform/win32/Extra.cpp"),
            Include("\"platform/com/ComPtr.h\"") + Include("\"platform/com/Variant.h\""));
  WriteFile(tree.File("platform/mmc/CMakeLists.txt"),
            "kr_library(kr_platform_mmc SOURCES Mmc.cpp DEPS kr_platform_win32)\n");
  WriteFile(tree.File("platform/mmc/Mmc.cpp"), Include("\"platform/com/ComPtr.h\""));

  EXPECT_EQ(CheckLibraryDeps(tree.Path()),
            (std::vector<std::string>{
                "platform/mmc/CMakeLists.txt:1: kr_platform_mmc includes platform/com/ComPtr.h "
                "without declaring kr_platform_com",
                "platform/win32/CMakeLists.txt:1: kr_platform_win32 includes "
                "platform/com/ComPtr.h without declaring kr_platform_com",
                "platform/win32/CMakeLists.txt:3: kr_platform_win32_extra ships but declares "
                "the test library kr_platform_com_testing"}));
}

TEST(Layering, AnOrderAgainstTheArrowsOrALayoutAgainstTheTreeIsFound) {
  EXPECT_EQ(
      CheckFolderOrder({"kestrel", "platform/text", "platform/ui", "support", "console"}, Layers()),
      std::vector<std::string>{});
  EXPECT_EQ(
      CheckFolderOrder({"platform/text", "support", "platform/ui", "platform/gone"}, Layers()),
      (std::vector<std::string>{
          "KR_FOLDERS: platform/gone is a folder the layering does not know",
          "KR_FOLDERS: support comes before platform/ui, which support uses"}));

  TempDir tree;
  for (const char* folder : {"console", "platform/com", "platform/text", "tests/e2e"}) {
    std::filesystem::create_directories(tree.File(folder));
  }
  WriteFile(tree.File("README.md"),
            "## Commands\n"
            "| `gone/` | outside the layout table: not looked at |\n"
            "## Layout\n"
            "| Folder | What it holds |\n"
            "|---|---|\n"
            "| `console/` | the host `vzconsole` |\n"
            "| `platform/` | stand-ins: `com/`, `vcl/` |\n"
            "| `dataset/` | the data set |\n"
            "## Developing\n");
  EXPECT_EQ(
      CheckLayoutTable(tree.Path(), {"console", "platform/com", "platform/text", "tests/e2e"}),
      (std::vector<std::string>{"README.md:7: platform/vcl does not exist",
                                "README.md:8: dataset/ does not exist",
                                "README.md: the layout names no platform/text",
                                "README.md: the layout names no tests/e2e"}));
}

}  // namespace
