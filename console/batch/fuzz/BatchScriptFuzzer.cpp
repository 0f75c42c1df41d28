// Feeds arbitrary scripts to the batch line and node-path readers, line by line as the runner
// reads them. A line either fails with EBatchError or gives words that, written back quoted
// where they need it, read again as the same words; a node path likewise gives names that,
// escaped and joined, read again as the same names.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>

#include "console/batch/BatchWords.h"

namespace {

// A word as a script writes it: bare when it can be, else in quotes with its quotes escaped.
std::string Written(const std::string& word) {
  const bool bare = !word.empty() && word.front() != '"' && word.front() != '#' &&
                    word.find_first_of(" \t\r\n") == std::string::npos;
  if (bare) return word;
  std::string quoted = "\"";
  for (const char c : word) quoted += c == '"' ? std::string("\\\"") : std::string(1, c);
  return quoted + '"';
}

// A node name with its slashes and backslashes escaped.
std::string Escaped(const std::string& name) {
  std::string escaped;
  for (const char c : name) {
    if (c == '/' || c == '\\') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

using Split = std::vector<std::string> (*)(std::string_view);

// Splits `text`; unless that fails, writes the parts back with `write`, joined by `separator`,
// and checks that the result splits into the same parts. Answers the parts.
std::vector<std::string> CheckRoundTrip(const std::string& text, Split split,
                                        std::string (*write)(const std::string&),
                                        const char* separator) {
  std::vector<std::string> parts;
  try {
    parts = split(text);
  } catch (const EBatchError&) {
    return {};
  }
  std::string again;
  for (const std::string& part : parts) again += (again.empty() ? "" : separator) + write(part);
  if (split(again) != parts) std::abort();
  return parts;
}

void CheckLine(const std::string& line) {
  for (const std::string& word : CheckRoundTrip(line, SplitBatchLine, Written, " "))
    CheckRoundTrip(word, SplitNodePath, Escaped, "/");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream script(std::string(reinterpret_cast<const char*>(data), size));
  for (std::string line; std::getline(script, line);) CheckLine(line);
  return 0;
}
