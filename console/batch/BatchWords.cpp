#include "console/batch/BatchWords.h"

std::vector<std::string> SplitBatchLine(std::string_view line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
    } else if (c == '#') {
      break;
    } else if (c == '"') {
      std::string word;
      for (++i;; ++i) {
        if (i >= line.size()) throw EBatchError("a quoted word is not closed");
        if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '"') {
          word.push_back('"');
          ++i;
        } else if (line[i] == '"') {
          ++i;
          break;
        } else {
          word.push_back(line[i]);
        }
      }
      words.push_back(std::move(word));
    } else {
      const size_t end = line.find_first_of(" \t\r\n", i);
      words.emplace_back(line.substr(i, end == std::string_view::npos ? line.npos : end - i));
      i = end == std::string_view::npos ? line.size() : end;
    }
  }
  return words;
}

std::vector<std::string> SplitNodePath(std::string_view path) {
  std::vector<std::string> names;
  if (path.empty() || path == "/") return names;
  std::string name;
  for (size_t i = 0; i < path.size(); ++i) {
    if (path[i] == '\\' && i + 1 < path.size() && (path[i + 1] == '/' || path[i + 1] == '\\')) {
      name.push_back(path[++i]);
    } else if (path[i] == '/') {
      if (name.empty())
        throw EBatchError("the node path \"" + std::string(path) + "\" has an empty name");
      names.push_back(std::move(name));
      name.clear();
    } else {
      name.push_back(path[i]);
    }
  }
  if (name.empty())
    throw EBatchError("the node path \"" + std::string(path) + "\" has an empty name");
  names.push_back(std::move(name));
  return names;
}
