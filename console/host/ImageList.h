#pragma once
// TConsoleImageList: an image list of the console (IImageList). The console
// draws text, so it keeps for each image index only what the image shows
// (the bitmap resource's description). The snap-in keeps its bitmaps: the
// console reads them during the call and holds nothing of them. A bitmap the
// console cannot read (one of another module's handle tables) adds no
// pictures and is not an error: pictures are decoration in a text console.

#include <map>
#include <string>

#include "platform/com/Unknown.h"
#include "platform/mmc/MmcInterfaces.h"

class TConsoleImageList : public ComObject<IImageList> {
 public:
  // E_INVALIDARG for a null handle.
  HRESULT ImageListSetIcon(LONG_PTR* icon, LONG index) override;
  HRESULT ImageListSetStrip(LONG_PTR* smallStrip, LONG_PTR* largeStrip, LONG start,
                            COLORREF mask) override;

  // What image `index` shows; empty when unknown.
  std::string Description(int index) const;
  int Count() const { return int(images_.size()); }

 private:
  std::map<int, std::string> images_;
};
