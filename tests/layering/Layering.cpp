#include "tests/layering/Layering.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// The platform folders the module's layers and the console may use.
const std::vector<std::string> kPlatform = {"platform/testing", "platform/text", "platform/com",
                                            "platform/win32",   "platform/mmc",  "platform/ui",
                                            "platform/vcl"};

std::vector<std::string> Plus(std::vector<std::string> list, std::vector<std::string> more) {
  list.insert(list.end(), more.begin(), more.end());
  return list;
}

// The platform folders without the console's interfaces (mmc) and without
// the forms (ui), for the layers below the user interface.
std::vector<std::string> PlatformBelowUI() {
  return {"platform/testing", "platform/text", "platform/com", "platform/win32"};
}

std::vector<std::string> ConsolePlatform() {
  return {"platform/testing", "platform/text", "platform/com",
          "platform/win32",   "platform/mmc",  "platform/ui"};
}

bool IsSource(const fs::path& path) {
  const std::string ext = path.extension().string();
  return ext == ".h" || ext == ".hpp" || ext == ".cpp" || ext == ".cc";
}

// Directories no check looks into: hidden ones and build trees at the top.
bool Skipped(const fs::path& relative) {
  for (const fs::path& part : relative) {
    if (part.string().starts_with(".")) return true;
  }
  return relative.begin() != relative.end() && relative.begin()->string().starts_with("build");
}

// The files below `root` that `wanted` accepts, as paths relative to it.
template <class Wanted>
std::vector<std::string> FilesBelow(const fs::path& root, Wanted wanted) {
  std::vector<std::string> files;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
       ++it) {
    const fs::path relative = fs::relative(it->path(), root);
    if (Skipped(relative)) {
      if (it->is_directory()) it.disable_recursion_pending();
      continue;
    }
    if (it->is_regular_file() && wanted(relative)) files.push_back(relative.generic_string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

struct TInclude {
  int Line;
  std::string Target;
};

// The #include directives of a file, quoted or angled, in order.
std::vector<TInclude> IncludesOf(const fs::path& file) {
  std::vector<TInclude> includes;
  std::ifstream in(file);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    size_t at = line.find_first_not_of(" \t");
    if (at == std::string::npos || line[at] != '#') continue;
    at = line.find_first_not_of(" \t", at + 1);
    if (at == std::string::npos || line.compare(at, 7, "include") != 0) continue;
    at = line.find_first_not_of(" \t", at + 7);
    if (at == std::string::npos || (line[at] != '"' && line[at] != '<')) continue;
    const char close = line[at] == '"' ? '"' : '>';
    const size_t end = line.find(close, at + 1);
    if (end != std::string::npos) includes.push_back({number, line.substr(at + 1, end - at - 1)});
  }
  return includes;
}

// The table's folder that holds `path`: the longest folder it lies in.
const TLayer* LayerOf(const std::string& path, const std::vector<TLayer>& layers) {
  const TLayer* found = nullptr;
  for (const TLayer& layer : layers) {
    if (path.starts_with(layer.Folder + "/") &&
        (found == nullptr || layer.Folder.size() > found->Folder.size())) {
      found = &layer;
    }
  }
  return found;
}

bool Uses(const TLayer& layer, const std::string& folder) {
  return std::any_of(layer.Uses.begin(), layer.Uses.end(),
                     [&](const std::string& used) { return used == "*" || used == folder; });
}

std::string ReadText(const fs::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct TLibrary {
  std::string Name;
  std::string File;  // the CMakeLists.txt, relative to the root
  int Line = 0;
  bool Test = false;
  std::vector<std::string> Sources;  // relative to the root
  std::set<std::string> Deps;
};

// The kr_library and kr_test_library calls of one CMakeLists.txt.
std::vector<TLibrary> LibrariesIn(const fs::path& root, const std::string& file) {
  std::string text = ReadText(root / file);
  // Comments run from '#' to the end of the line.
  for (size_t at = text.find('#'); at != std::string::npos; at = text.find('#', at)) {
    const size_t end = text.find('\n', at);
    text.erase(at, end == std::string::npos ? std::string::npos : end - at);
  }
  const fs::path dir = fs::path(file).parent_path();
  std::vector<TLibrary> libraries;
  for (const std::string call : {"kr_library(", "kr_test_library("}) {
    for (size_t at = text.find(call); at != std::string::npos; at = text.find(call, at + 1)) {
      if (at > 0 &&
          (std::isalnum(static_cast<unsigned char>(text[at - 1])) || text[at - 1] == '_')) {
        continue;
      }
      const size_t open = at + call.size();
      const size_t close = text.find(')', open);
      std::istringstream words(text.substr(open, close - open));
      TLibrary library;
      library.File = file;
      library.Line = 1 + int(std::count(text.begin(), text.begin() + long(at), '\n'));
      library.Test = call == "kr_test_library(";
      words >> library.Name;
      std::string section;
      for (std::string word; words >> word;) {
        if (word == "SOURCES" || word == "DEPS" || word == "SHARED") {
          section = word;
        } else if (section == "SOURCES") {
          library.Sources.push_back((dir / word).lexically_normal().generic_string());
        } else if (section == "DEPS") {
          library.Deps.insert(word);
        }
      }
      libraries.push_back(std::move(library));
    }
  }
  return libraries;
}

std::string WithExtension(const std::string& path, const char* extension) {
  return fs::path(path).replace_extension(extension).generic_string();
}

}  // namespace

const std::vector<TLayer>& Layers() {
  static const std::vector<TLayer> layers = [] {
    const std::vector<std::string> belowUI = PlatformBelowUI();
    const std::vector<std::string> console = ConsolePlatform();
    return std::vector<TLayer>{
        {"kestrel/include", {}},
        {"kestrel/engine", {"kestrel/include"}},
        // The library and kestreld share the messages generated from kestrel/daemon/kestrel.proto.
        {"kestrel/api", {"kestrel/include", "kestrel/engine", "kestrel/daemon"}},
        // kestrel-admin goes through kestreld (the library) while one serves the home.
        {"kestrel/admin", {"kestrel/include", "kestrel/engine", "kestrel/api"}},
        {"kestrel/daemon", {"kestrel/include", "kestrel/engine", "kestrel/api"}},
        {"platform/testing", {}},
        {"platform/text", {"platform/testing"}},
        {"platform/com", {"platform/testing", "platform/text"}},
        {"platform/win32", {"platform/testing", "platform/text", "platform/com"}},
        {"platform/mmc", {"platform/testing", "platform/text", "platform/com", "platform/win32"}},
        {"platform/ui", {"platform/testing", "platform/text"}},
        {"platform/vcl", belowUI},
        {"support", Plus(belowUI, {"platform/ui"})},
        {"objectmodel", Plus(belowUI, {"support", "kestrel/include"})},
        {"dataset", Plus(belowUI, {"platform/vcl", "support", "objectmodel"})},
        {"dialogs",
         Plus(belowUI, {"platform/ui", "platform/vcl", "support", "objectmodel", "dataset"})},
        {"snapin", Plus(kPlatform, {"support", "objectmodel", "dataset", "dialogs"})},
        {"console/host", console},
        {"console/batch", Plus(console, {"console/host"})},
        {"console/tui", Plus(console, {"console/host"})},
        {"console", Plus(console, {"console/host", "console/batch", "console/tui"})},
        {"tests/e2e", {}},
        {"tests/install", {}},
        {"tests/layering", {"platform/testing"}},
        {"bench", {"*"}},
    };
  }();
  return layers;
}

std::vector<std::string> CheckIncludes(const fs::path& root, const std::vector<TLayer>& layers) {
  std::vector<std::string> problems;
  for (const std::string& file : FilesBelow(root, IsSource)) {
    const TLayer* from = LayerOf(file, layers);
    if (from == nullptr) {
      problems.push_back(file + ":1: in a folder the layering does not know");
      continue;
    }
    for (const TInclude& include : IncludesOf(root / file)) {
      const TLayer* to = LayerOf(include.Target, layers);
      if (to == nullptr || to == from || Uses(*from, to->Folder)) continue;
      problems.push_back(file + ":" + std::to_string(include.Line) + ": includes " +
                         include.Target + ", but " + from->Folder + " may not use " + to->Folder);
    }
  }
  return problems;
}

std::vector<std::string> CheckLibraryDeps(const fs::path& root) {
  std::vector<TLibrary> libraries;
  for (const std::string& file :
       FilesBelow(root, [](const fs::path& p) { return p.filename() == "CMakeLists.txt"; })) {
    for (TLibrary& library : LibrariesIn(root, file)) libraries.push_back(std::move(library));
  }
  // A header belongs to the library built from the source of the same name,
  // else to the first shipped library of the nearest folder that builds one.
  std::map<std::string, const TLibrary*> owners;
  std::map<std::string, const TLibrary*> byName;
  std::map<std::string, const TLibrary*> folderLibraries;
  for (const TLibrary& library : libraries) {
    byName[library.Name] = &library;
    for (const std::string& source : library.Sources)
      owners[WithExtension(source, ".h")] = &library;
    const std::string folder = fs::path(library.File).parent_path().generic_string();
    if (!library.Test) folderLibraries.try_emplace(folder, &library);
  }
  auto ownerOf = [&](const std::string& header) -> const TLibrary* {
    if (const auto owner = owners.find(header); owner != owners.end()) return owner->second;
    for (fs::path folder = fs::path(header).parent_path(); !folder.empty();
         folder = folder.parent_path()) {
      const auto found = folderLibraries.find(folder.generic_string());
      if (found != folderLibraries.end()) return found->second;
    }
    return nullptr;
  };
  std::vector<std::string> problems;
  for (const TLibrary& library : libraries) {
    const std::string at = library.File + ":" + std::to_string(library.Line) + ": ";
    // The library's sources and, through their includes, its own headers.
    std::set<std::string> reported;
    std::vector<std::string> pending(library.Sources.begin(), library.Sources.end());
    std::set<std::string> seen(pending.begin(), pending.end());
    while (!pending.empty()) {
      const std::string file = pending.back();
      pending.pop_back();
      for (const TInclude& include : IncludesOf(root / file)) {
        const TLibrary* owner = ownerOf(include.Target);
        if (owner == &library) {
          if (seen.insert(include.Target).second) pending.push_back(include.Target);
          continue;
        }
        if (owner == nullptr) continue;
        const std::string& needed = owner->Name;
        if (library.Deps.count(needed) == 0 && reported.insert(needed).second) {
          problems.push_back(at + library.Name + " includes " + include.Target +
                             " without declaring " + needed);
        }
      }
    }
    for (const std::string& dep : library.Deps) {
      const auto found = byName.find(dep);
      if (!library.Test && found != byName.end() && found->second->Test) {
        problems.push_back(at + library.Name + " ships but declares the test library " + dep);
      }
    }
  }
  return problems;
}

std::vector<std::string> CheckFolderOrder(const std::vector<std::string>& buildOrder,
                                          const std::vector<TLayer>& layers) {
  std::vector<std::string> problems;
  // The position of the build-order entry that holds a folder; -1 for none.
  auto position = [&](const std::string& folder) {
    int found = -1;
    size_t length = 0;
    for (size_t i = 0; i < buildOrder.size(); ++i) {
      const std::string& entry = buildOrder[i];
      if ((folder == entry || folder.starts_with(entry + "/")) && entry.size() >= length) {
        found = int(i);
        length = entry.size();
      }
    }
    return found;
  };
  for (const std::string& entry : buildOrder) {
    const bool known = std::any_of(layers.begin(), layers.end(), [&](const TLayer& layer) {
      return layer.Folder == entry || layer.Folder.starts_with(entry + "/");
    });
    if (!known)
      problems.push_back("KR_FOLDERS: " + entry + " is a folder the layering does not know");
  }
  for (const TLayer& layer : layers) {
    const int at = position(layer.Folder);
    if (at < 0) continue;
    for (const std::string& used : layer.Uses) {
      const int usedAt = used == "*" ? -1 : position(used);
      if (usedAt > at) {
        problems.push_back("KR_FOLDERS: " + buildOrder[size_t(at)] + " comes before " +
                           buildOrder[size_t(usedAt)] + ", which " + layer.Folder + " uses");
      }
    }
  }
  return problems;
}

std::vector<std::string> CheckLayoutTable(const fs::path& root,
                                          const std::vector<std::string>& buildOrder) {
  std::vector<std::string> problems;
  std::set<std::string> named;  // folders and, for a folder's row, "folder/sub"
  std::ifstream readme(root / "README.md");
  bool inLayout = false;
  int number = 0;
  for (std::string line; std::getline(readme, line);) {
    ++number;
    if (line.starts_with("## ")) inLayout = line == "## Layout";
    if (!inLayout || !line.starts_with("| `")) continue;
    const size_t end = line.find("/`", 3);
    if (end == std::string::npos) continue;
    const std::string folder = line.substr(3, end - 3);
    const std::string at = "README.md:" + std::to_string(number) + ": ";
    if (!fs::is_directory(root / folder)) problems.push_back(at + folder + "/ does not exist");
    named.insert(folder);
    // The subfolders its description names, in backquotes with a slash.
    const size_t description = line.find('|', end);
    for (size_t open = line.find('`', description); open != std::string::npos;
         open = line.find('`', line.find('`', open + 1) + 1)) {
      const size_t close = line.find('`', open + 1);
      if (close == std::string::npos) break;
      std::string sub = line.substr(open + 1, close - open - 1);
      if (!sub.ends_with('/')) continue;
      sub.pop_back();
      if (!fs::is_directory(root / folder / sub)) {
        problems.push_back(at + folder + "/" + sub + " does not exist");
      }
      named.insert(folder + "/" + sub);
    }
  }
  for (const std::string& folder : buildOrder) {
    if (named.count(folder) == 0) problems.push_back("README.md: the layout names no " + folder);
  }
  return problems;
}
