#pragma once
// The layering of the tree, checked rather than only drawn.
//
// Layers() is the architecture's table of arrows: each folder and the
// folders its files may include from (a folder always includes from itself;
// a folder's testing/ subfolder belongs to it). CheckIncludes walks every
// source file below a root and reports each include that goes up a layer or
// sideways against the table, and each source file in a folder the table
// does not know. CheckLibraryDeps reads the kr_library and kr_test_library
// calls of every CMakeLists.txt and reports a library that includes a header
// of another library without declaring it among its DEPS (a header belongs
// to the library built from the source of its name, else to the first
// shipped library of the nearest folder that builds one), and a shipped
// library that declares a test library. CheckFolderOrder reports a build
// order (the top CMakeLists.txt's KR_FOLDERS) that names a folder the table
// does not know or lists a folder before one it uses.
// CheckLayoutTable reads the "Layout" table of README.md and reports a folder
// it names that does not exist (a folder's row may name its subfolders, in
// backquotes with a slash, as the platform's does) and a folder of the build
// order it does not name.
//
// Each problem is one line: "path:line: reason" (path relative to the root).

#include <filesystem>
#include <string>
#include <vector>

struct TLayer {
  std::string Folder;
  std::vector<std::string> Uses;  // "*" for a folder that may use any other
};

const std::vector<TLayer>& Layers();

std::vector<std::string> CheckIncludes(const std::filesystem::path& root,
                                       const std::vector<TLayer>& layers);
std::vector<std::string> CheckLibraryDeps(const std::filesystem::path& root);
std::vector<std::string> CheckFolderOrder(const std::vector<std::string>& buildOrder,
                                          const std::vector<TLayer>& layers);
std::vector<std::string> CheckLayoutTable(const std::filesystem::path& root,
                                          const std::vector<std::string>& buildOrder);
