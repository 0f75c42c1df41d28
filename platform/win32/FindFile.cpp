#include "platform/win32/FindFile.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <vector>

#include "platform/text/Locale.h"
#include "platform/text/Utf.h"

struct FindState {
  std::vector<TSearchRec> Entries;
  size_t Next = 0;
};

namespace {

// Days from 30 December 1899 to 1 January 1970.
constexpr double kUnixEpochDays = 25569;

std::u32string CodePoints(const std::string& text) {
  const std::u16string wide = Utf8ToUtf16(AnsiUpperCase(text));
  std::u32string result;
  for (size_t i = 0; i < wide.size(); ++i) {
    char32_t c = wide[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00);
    }
    result += c;
  }
  return result;
}

bool Match(const std::u32string& name, const std::u32string& pattern) {
  size_t n = 0, p = 0;
  size_t starPattern = std::u32string::npos, starName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == U'*') {
      starPattern = p++;
      starName = n;
    } else if (starPattern != std::u32string::npos) {
      p = starPattern + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == U'*') ++p;
  return p == pattern.size();
}

int32_t PackedLocalTime(const std::tm& tm) {
  if (tm.tm_year < 80) return 0;  // before 1980 there is no packed form
  return static_cast<int32_t>(
      (static_cast<uint32_t>(tm.tm_year - 80) << 25) |
      (static_cast<uint32_t>(tm.tm_mon + 1) << 21) | (static_cast<uint32_t>(tm.tm_mday) << 16) |
      (static_cast<uint32_t>(tm.tm_hour) << 11) | (static_cast<uint32_t>(tm.tm_min) << 5) |
      static_cast<uint32_t>(tm.tm_sec / 2));
}

// The entry for `name` in `directory`, or false when it vanished meanwhile.
bool Describe(const std::string& directory, const std::string& name, TSearchRec& entry) {
  const std::string full = directory + "/" + name;
  struct stat info {};
  if (stat(full.c_str(), &info) != 0 && lstat(full.c_str(), &info) != 0) return false;
  entry.Name = name;
  const bool isDirectory = S_ISDIR(info.st_mode);
  entry.Attr = isDirectory ? faDirectory : faArchive;
  if (name[0] == '.' && name != "." && name != "..") entry.Attr |= faHidden;
  if ((info.st_mode & S_IWUSR) == 0) entry.Attr |= faReadOnly;
  entry.Size = isDirectory ? 0 : static_cast<int64_t>(info.st_size);
  std::tm tm{};
  const time_t seconds = info.st_mtim.tv_sec;
  if (localtime_r(&seconds, &tm) != nullptr) {
    entry.Time = PackedLocalTime(tm);
    entry.TimeStamp = kUnixEpochDays + (static_cast<double>(seconds + tm.tm_gmtoff) +
                                        static_cast<double>(info.st_mtim.tv_nsec) / 1e9) /
                                           86400.0;
  }
  return true;
}

// Copies the next entry into the caller's record.
int Advance(TSearchRec& search) {
  FindState& state = *search.FindHandle;
  if (state.Next >= state.Entries.size()) return ERROR_NO_MORE_FILES;
  const TSearchRec& entry = state.Entries[state.Next++];
  search.Time = entry.Time;
  search.Size = entry.Size;
  search.Attr = entry.Attr;
  search.Name = entry.Name;
  search.TimeStamp = entry.TimeStamp;
  return 0;
}

}  // namespace

bool MatchesFileMask(const std::string& name, const std::string& pattern) {
  if (pattern == "*.*" || pattern == "*") return true;
  return Match(CodePoints(name), CodePoints(pattern));
}

int FindFirst(const std::string& path, int attr, TSearchRec& search) {
  FindClose(search);
  const size_t slash = path.rfind('/');
  const std::string directory =
      slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  const std::string pattern = slash == std::string::npos ? path : path.substr(slash + 1);
  search.ExcludeAttr = ~attr & (faHidden | faSysFile | faVolumeID | faDirectory);
  DIR* dir = opendir(directory.c_str());
  if (dir == nullptr) return errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND;
  auto state = std::make_shared<FindState>();
  while (const dirent* d = readdir(dir)) {
    const std::string name = d->d_name;
    TSearchRec entry;
    if (!MatchesFileMask(name, pattern) || !Describe(directory, name, entry)) continue;
    if ((entry.Attr & search.ExcludeAttr) == 0) state->Entries.push_back(std::move(entry));
  }
  closedir(dir);
  std::sort(state->Entries.begin(), state->Entries.end(),
            [](const TSearchRec& a, const TSearchRec& b) {
              const std::string ka = AnsiUpperCase(a.Name), kb = AnsiUpperCase(b.Name);
              return ka != kb ? ka < kb : a.Name < b.Name;
            });
  if (state->Entries.empty()) return ERROR_FILE_NOT_FOUND;
  search.FindHandle = std::move(state);
  return Advance(search);
}

int FindNext(TSearchRec& search) {
  if (!search.FindHandle) return ERROR_INVALID_HANDLE;
  return Advance(search);
}

void FindClose(TSearchRec& search) { search.FindHandle.reset(); }
