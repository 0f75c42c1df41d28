#include "console/host/ImageList.h"

#include <vector>

#include "platform/win32/Resources.h"

HRESULT TConsoleImageList::ImageListSetIcon(LONG_PTR* icon, LONG index) {
  if (icon == nullptr || index < 0) return E_INVALIDARG;
  images_[index];
  return S_OK;
}

HRESULT TConsoleImageList::ImageListSetStrip(LONG_PTR* smallStrip, LONG_PTR* largeStrip, LONG start,
                                             COLORREF) {
  if (smallStrip == nullptr || largeStrip == nullptr || start < 0) return E_INVALIDARG;
  const BitmapResource* strip = GetBitmapResource(reinterpret_cast<HBITMAP>(smallStrip));
  if (strip == nullptr || strip->Height <= 0) return S_OK;
  // The description names the pictures one per line, in strip order.
  std::vector<std::string> lines;
  size_t from = 0;
  while (from <= strip->Description.size()) {
    const size_t end = std::min(strip->Description.find('\n', from), strip->Description.size());
    lines.push_back(strip->Description.substr(from, end - from));
    from = end + 1;
  }
  const int count = strip->Width / strip->Height;
  for (int i = 0; i < count; ++i) {
    images_[start + i] = size_t(i) < lines.size() ? lines[size_t(i)] : std::string();
  }
  return S_OK;
}

std::string TConsoleImageList::Description(int index) const {
  auto it = images_.find(index);
  return it == images_.end() ? std::string() : it->second;
}
