#include "console/tui/FolderPicker.h"

#include <algorithm>
#include <filesystem>

#include "console/tui/Glyphs.h"
#include "console/tui/ListMotion.h"
#include "platform/text/Locale.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kHere = ".";
constexpr const char* kUp = "..";

std::string Normal(const std::string& path) {
  std::string normal = fs::path(path.empty() ? "/" : path).lexically_normal().string();
  while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return normal;
}

std::vector<std::string> Subfolders(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    std::error_code typeError;
    if (!name.empty() && name[0] != '.' && it->is_directory(typeError)) names.push_back(name);
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
  return names;
}

std::string Parent(const std::string& folder) {
  return Normal(fs::path(folder).parent_path().string());
}

}  // namespace

TFolderPicker::TFolderPicker(std::string caption, const std::string& root)
    : caption_(std::move(caption)), root_(Normal(root)) {
  Enter(root_, {});
}

void TFolderPicker::Enter(const std::string& folder, const std::string& highlight) {
  current_ = folder;
  entries_ = {kHere};
  if (current_ != root_) entries_.push_back(kUp);
  for (std::string& name : Subfolders(current_)) entries_.push_back(std::move(name));
  const auto found = std::find(entries_.begin() + 1, entries_.end(), highlight);
  highlighted_ = found == entries_.end() ? 0 : int(found - entries_.begin());
  first_ = 0;
}

void TFolderPicker::Highlight(int entry, int rows) {
  highlighted_ = entry;
  first_ = FirstShown(first_, entry, rows);
}

std::string TFolderPicker::PathOf(int entry) const {
  const std::string& name = entries_[size_t(entry)];
  if (name == kHere) return current_;
  if (name == kUp) return Parent(current_);
  return Normal(current_ + "/" + name);
}

TFolderPicker::TOutcome TFolderPicker::Choose(std::string folder) {
  chosen_ = std::move(folder);
  return TOutcome::Chosen;
}

TFolderPicker::TOutcome TFolderPicker::Activate() {
  const std::string& name = entries_[size_t(highlighted_)];
  if (name == kHere) return Choose(current_);
  if (name == kUp) {
    Enter(Parent(current_), fs::path(current_).filename().string());
  } else {
    Enter(PathOf(highlighted_), {});
  }
  return TOutcome::Browsing;
}

TFolderPicker::TOutcome TFolderPicker::HandleKey(const TKey& key, int gridWidth, int gridHeight) {
  const TCellRect list = ListRect(gridWidth, gridHeight);
  if (auto moved = MoveInList(key, highlighted_, int(entries_.size()), list.Height)) {
    Highlight(*moved, list.Height);
    return TOutcome::Browsing;
  }
  switch (key.Code) {
    case TKeyCode::Escape:
      return TOutcome::Cancelled;
    case TKeyCode::Enter:
      return Activate();
    case TKeyCode::Right:
      if (highlighted_ > 0 && entries_[size_t(highlighted_)] != kUp) return Activate();
      return TOutcome::Browsing;
    case TKeyCode::Left:
    case TKeyCode::Backspace:
      if (current_ != root_) Enter(Parent(current_), fs::path(current_).filename().string());
      return TOutcome::Browsing;
    case TKeyCode::Char:
      if (key.Text == " ") return Choose(PathOf(highlighted_));
      if (const int found = FindByPrefix(entries_, highlighted_, key.Text); found >= 0) {
        Highlight(found, list.Height);
      }
      return TOutcome::Browsing;
    case TKeyCode::Mouse: {
      const int entry = FirstShown(first_, highlighted_, list.Height) + key.Y - list.Top;
      if (!list.Contains({key.X, key.Y}) || entry >= int(entries_.size())) {
        return TOutcome::Browsing;
      }
      Highlight(entry, list.Height);
      return key.Button == TMouseButton::LeftDouble ? Activate() : TOutcome::Browsing;
    }
    default:
      return TOutcome::Browsing;
  }
}

TCellRect TFolderPicker::BoxRect(int gridWidth, int gridHeight) {
  const int width = std::max(1, std::min(gridWidth - 4, 64));
  const int height = std::max(1, std::min(gridHeight - 2, 20));
  return {(gridWidth - width) / 2, (gridHeight - height) / 2, width, height};
}

TCellRect TFolderPicker::ListRect(int gridWidth, int gridHeight) {
  const TCellRect box = BoxRect(gridWidth, gridHeight);
  // Inside the frame: the folder's path, the list, a blank row and the keys.
  return {box.Left + 2, box.Top + 2, std::max(0, box.Width - 4), std::max(0, box.Height - 5)};
}

void TFolderPicker::Draw(TCellGrid& grid) const {
  const TCellRect box = BoxRect(grid.Width(), grid.Height());
  const TCellRect list = ListRect(grid.Width(), grid.Height());
  grid.Fill(box, TCellStyle::Window);
  grid.Box(box, TCellStyle::Frame, caption_);
  const std::vector<std::string> path = Glyphs(current_);
  std::string shown = current_;
  if (int(path.size()) > list.Width) {
    shown = "…";
    for (size_t i = path.size() - size_t(list.Width - 1); i < path.size(); ++i) shown += path[i];
  }
  grid.Put(list.Left, box.Top + 1, shown, TCellStyle::Mark);
  const int first = FirstShown(first_, highlighted_, list.Height);
  for (int row = 0; row < list.Height && first + row < int(entries_.size()); ++row) {
    const int entry = first + row;
    std::string text = entries_[size_t(entry)];
    if (text == kHere) {
      text = ". (this folder)";
    } else {
      text += "/";
    }
    grid.Put(list.Left, list.Top + row, FitText(text, list.Width),
             entry == highlighted_ ? TCellStyle::Highlight : TCellStyle::Window);
  }
  grid.Put(list.Left, box.Bottom() - 2,
           FitText("Enter open  Space choose  Backspace up  Esc cancel", list.Width),
           TCellStyle::Status);
}
