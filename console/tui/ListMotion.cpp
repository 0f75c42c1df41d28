#include "console/tui/ListMotion.h"

#include <algorithm>

#include "console/tui/Glyphs.h"
#include "platform/text/Locale.h"

std::optional<int> MoveInList(const TKey& key, int index, int count, int page) {
  int target = index;
  switch (key.Code) {
    case TKeyCode::Up:
      target = index - 1;
      break;
    case TKeyCode::Down:
      target = index + 1;
      break;
    case TKeyCode::PageUp:
      target = index - std::max(1, page);
      break;
    case TKeyCode::PageDown:
      target = index + std::max(1, page);
      break;
    case TKeyCode::Home:
      target = 0;
      break;
    case TKeyCode::End:
      target = count - 1;
      break;
    default:
      return std::nullopt;
  }
  if (count <= 0) return -1;
  return std::clamp(target, 0, count - 1);
}

int FindByPrefix(const std::vector<std::string>& items, int from, std::string_view prefix) {
  const int count = int(items.size());
  const int length = GlyphCount(prefix);
  for (int step = 1; step <= count; ++step) {
    const int i = ((from + step) % count + count) % count;
    if (SameText(GlyphPrefix(items[size_t(i)], length), prefix)) return i;
  }
  return -1;
}

int FirstShown(int first, int highlighted, int rows) {
  rows = std::max(1, rows);
  if (highlighted < first) return std::max(0, highlighted);
  if (highlighted >= first + rows) return highlighted - rows + 1;
  return std::max(0, first);
}
