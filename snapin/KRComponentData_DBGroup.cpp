// The contents of a database group: the dumps found in its directory.

#include "platform/text/DateTimeText.h"
#include "platform/text/FormatSettings.h"
#include "platform/win32/FindFile.h"
#include "snapin/KRComponentData.h"

namespace {

// Attributes that ask a listing for ordinary files only.
constexpr int kOrdinaryFiles = faReadOnly | faArchive;
// The dump a subdirectory must hold to count as a dump itself.
constexpr char kDirectoryDump[] = "db.dmp";

// Calls `visit` for every entry the listing of `pattern` gives and answers
// how many there were (none for a missing or unreadable directory).
template <class Visit>
size_t ForEachEntry(const std::string& pattern, int attributes, Visit visit) {
  TSearchRec entry;
  if (FindFirst(pattern, attributes, entry) != 0) return 0;
  size_t count = 0;
  do {
    visit(entry);
    ++count;
  } while (FindNext(entry) == 0);
  FindClose(entry);
  return count;
}

void AddItem(TKRFolder& folder, std::string name, int64_t size, std::string date) {
  auto item = std::make_unique<TKRResultData>();
  item->Columns() = {std::move(name), std::to_string(size), std::move(date)};
  TKRResultData::SetParent(std::move(item), folder);
}

// The ordinary file `name` inside `directory`, matched exactly (listing
// matches ignore case, the file system does not).
bool FindExactFile(const std::string& directory, const std::string& name, TSearchRec& found) {
  bool seen = false;
  ForEachEntry(directory + "/" + name, kOrdinaryFiles, [&](const TSearchRec& entry) {
    if (!seen && entry.Name == name) {
      found = entry;
      seen = true;
    }
  });
  return seen;
}

}  // namespace

void TKRComponentData::CreateDBItemsIntoGroup(TKRFolder& folder, TKRNodeTypes nodeTypes) {
  if (folder.FolderType() != krftDBGroup || !nodeTypes.Contains(krntItem)) return;
  const std::string directory = folder.ColumnText(2);
  const TFormatSettings& settings = FormatSettings();
  const std::string fileDateFormat = settings.ShortDateFormat + " " + settings.LongTimeFormat;

  ForEachEntry(directory + "/*.dmp", kOrdinaryFiles, [&](const TSearchRec& entry) {
    AddItem(folder, entry.Name, entry.Size, FormatDateTime(fileDateFormat, entry.TimeStamp));
  });

  // Every entry of this listing, "." and ".." included, shows that the
  // directory could be read.
  const size_t listed = ForEachEntry(directory + "/*.*", faDirectory, [&](const TSearchRec& entry) {
    if ((entry.Attr & faDirectory) == 0 || entry.Name.starts_with('.')) return;
    TSearchRec dump;
    if (FindExactFile(directory + "/" + entry.Name, kDirectoryDump, dump)) {
      AddItem(folder, entry.Name + "/", dump.Size,
              FormatDateTime(settings.ShortDateFormat, dump.TimeStamp));
    }
  });
  if (listed > 0) folder.SetDirty(false);
}
