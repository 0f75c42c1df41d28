#include "snapin/KRImages.h"

#include <array>
#include <string_view>
#include <vector>

#include "platform/mmc/MmcInterfaces.h"
#include "platform/win32/Resources.h"
#include "snapin/KRStrings.h"

namespace {

constexpr int kSmallSize = 16;

// The pictures at 16 x 16, one character per pixel, one line per row.
constexpr std::array<std::string_view, kSnapinImageCount* kSmallSize> kArt = {
    // 0 snap-in
    "................",
    ".nnnnnnnnnnnnnn.",
    ".nBBBBBBBBBBBBn.",
    ".nBWWBBBBBBWWBn.",
    ".nBWWBBBBBBWWBn.",
    ".nBBWWBBBBWWBBn.",
    ".nBBWWBBBBWWBBn.",
    ".nBBBWWBBWWBBBn.",
    ".nBBBWWBBWWBBBn.",
    ".nBBBBWWWWBBBBn.",
    ".nBBBBWWWWBBBBn.",
    ".nBBBBBWWBBBBBn.",
    ".nBBBBBBBBBBBBn.",
    ".nBBBBBBBBBBBBn.",
    ".nnnnnnnnnnnnnn.",
    "................",
    // 1 workstation
    "................",
    ".kkkkkkkkkkkkkk.",
    ".ksssssssssssak.",
    ".kstttttttttsak.",
    ".kstCCtttttttak.",
    ".kstCttttttttak.",
    ".ksttttttttttak.",
    ".ksttttttttttak.",
    ".ksssssssssssak.",
    ".kaaaaaaaaaaaak.",
    ".kkkkkkkkkkkkkk.",
    "......kssk......",
    "....kkkkkkkk....",
    "..kssssssssssk..",
    ".kaaaaaaaaaaaak.",
    ".kkkkkkkkkkkkkk.",
    // 2 servers
    "................",
    ".kkkkkk..kkkkkk.",
    ".kssssk..kssssk.",
    ".kaaaak..kaaaak.",
    ".kssssk..kssssk.",
    ".kaaaak..kaaaak.",
    ".kssssk..kssssk.",
    ".ksssGk..ksssGk.",
    ".kssssk..kssssk.",
    ".kssssk..kssssk.",
    ".kssssk..kssssk.",
    ".kssssk..kssssk.",
    ".kssssk..kssssk.",
    ".kssssk..kssssk.",
    ".kkkkkk..kkkkkk.",
    "................",
    // 3 workstations
    "................",
    "kkkkkkkk........",
    "ksssssak........",
    "ksCtttak........",
    "ksttttak........",
    "kaaaaaak........",
    "kkkkkkkk........",
    "...kk...kkkkkkkk",
    ".kkkkkk.ksssssak",
    "........ksCtttak",
    "........ksttttak",
    "........kaaaaaak",
    "........kkkkkkkk",
    "...........kk...",
    ".........kkkkkk.",
    "................",
    // 4 database
    "................",
    "....kkkkkkkk....",
    "..kkYYYYYYYYkk..",
    ".kYYYYYYYYYYYYk.",
    ".koYYYYYYYYYYok.",
    ".kookkkkkkkkook.",
    ".kYoooooooooooY.",
    ".kYYYYYYYYYYYYk.",
    ".koYYYYYYYYYYok.",
    ".kookkkkkkkkook.",
    ".kYoooooooooooY.",
    ".kYYYYYYYYYYYYk.",
    ".koYYYYYYYYYYok.",
    "..kkooooooookk..",
    "....kkkkkkkk....",
    "................",
    // 5 server
    "................",
    "....kkkkkkkk....",
    "....kWsssssk....",
    "....kaaaaaak....",
    "....kWsssssk....",
    "....kaaaaaak....",
    "....kWsssssk....",
    "....kssssGRk....",
    "....kWsssssk....",
    "....kssssssk....",
    "....kssaassk....",
    "....kssssssk....",
    "....kssaassk....",
    "....kssssssk....",
    "....kkkkkkkk....",
    "................",
    // 6 schema
    ".kkkkkkkkkk.....",
    ".kWWWWWWWWkk....",
    ".kWnnnnWWWkWk...",
    ".kWnBBnWWWkkkk..",
    ".kWnnnnWWWWWWk..",
    ".kWWWkWWWWWWWk..",
    ".kWWWkkkkknnnnk.",
    ".kWWWkWWWWnBBnk.",
    ".kWWWkWWWWnnnnk.",
    ".kWWWkWWWWWWWWk.",
    ".kWWWkkkkknnnnk.",
    ".kWWWWWWWWnBBnk.",
    ".kWWWWWWWWnnnnk.",
    ".kWWWWWWWWWWWWk.",
    ".kkkkkkkkkkkkkk.",
    "................",
    // 7 user
    "................",
    "......kkkk......",
    ".....kYYYYk.....",
    "....kYYYYYYk....",
    "....kYkYYkYk....",
    "....kYYYYYYk....",
    "....kYYkkYYk....",
    ".....kYYYYk.....",
    "......kkkk......",
    "....kkBBBBkk....",
    "...kBBBBBBBBk...",
    "..kBBBBBBBBBBk..",
    "..kBBBBBBBBBBk..",
    "..kBBBBBBBBBBk..",
    "..kkkkkkkkkkkk..",
    "................",
    // 8 database group
    "................",
    ".kkkkk..........",
    "kYYYYYk.........",
    "kYYYYYYkkkkkkkk.",
    "kYYYYYYYYYYYYYok",
    "kYYYYYkkkkYYYYok",
    "kYYYYkssssaYYYok",
    "kYYYYkaaaaaYYYok",
    "kYYYYkssssaYYYok",
    "kYYYYkaaaaaYYYok",
    "kYYYYkssssaYYYok",
    "kYYYYYkkkkYYYYok",
    "kYYYYYYYYYYYYYok",
    "kooooooooooooook",
    ".kkkkkkkkkkkkkk.",
    "................",
    // 9 users
    "................",
    "...kkk....kkk...",
    "..kYYYk..kYYYk..",
    "..kYYYk..kYYYk..",
    "..kYYYk..kYYYk..",
    "...kkk....kkk...",
    ".kkBBBkk.kgggkk.",
    "kBBBBBBBkggggggk",
    "kBBBBBBBkggggggk",
    "kBBBBBBBkggggggk",
    "kkkkkkkkkkkkkkkk",
    "................",
    "................",
    "................",
    "................",
    "................",
    // 10 transaction
    "................",
    "..kkkkkkkkkk....",
    "..kWWWWWWWWkk...",
    "..kWaaaaWWWkWk..",
    "..kWWWWWWWWkkkk.",
    "..kWaaaaaaaWWWk.",
    "..kWWWWWWWWWWWk.",
    "..kWaaaaaWWWWGk.",
    "..kWWWWWWWWWWGk.",
    "..kWaaaaaaWWGGk.",
    "..kWWWWWWGWGGWk.",
    "..kWWWWWWWGGWWk.",
    "..kWWWWWWWWGWWk.",
    "..kWWWWWWWWWWWk.",
    "..kkkkkkkkkkkkk.",
    "................",
    // 11 transactions
    ".....kkkkkkkkkk.",
    ".....kWWWWWWWWk.",
    "...kkkkkkkkkkWk.",
    "...kWWWWWWWWkWk.",
    ".kkkkkkkkkkkWWk.",
    ".kWWWWWWWWkWkWk.",
    ".kWaaaaaaWkWkkk.",
    ".kWWWWWWWWkWk...",
    ".kWaaaaaWWkkk...",
    ".kWWWWWWWWk.....",
    ".kWaaaaaaWk.....",
    ".kWWWWWWWWk.....",
    ".kWaaaaWWWk.....",
    ".kWWWWWWWWk.....",
    ".kkkkkkkkkk.....",
    "................",
    // 12 scenarios
    "................",
    "..kk.......kk...",
    ".kRRk.....kRRk..",
    ".kRRk.....kRRk..",
    "..kk.......kk...",
    "...k.......k....",
    "...k..kk...k....",
    "...k.kRRk..k....",
    "...k.kRRk..k....",
    "...k..kk..k.....",
    "....k..k.k......",
    ".....k.kk.......",
    "......kk........",
    "......kk........",
    ".....kBBk.......",
    ".....kBBk.......",
    // 13 delta
    "................",
    ".......kk.......",
    ".......kk.......",
    "......kRRk......",
    "......kRRk......",
    ".....kRRRRk.....",
    ".....kRkkRk.....",
    "....kRRk.kRk....",
    "....kRk..kRRk...",
    "...kRRk...kRk...",
    "...kRk.....kRk..",
    "..kRRkkkkkkkRRk.",
    "..kRRRRRRRRRRRk.",
    "..kkkkkkkkkkkkk.",
    "................",
    "................",
    // 14 scenario
    "................",
    "................",
    "..........kk....",
    ".........kRRk...",
    ".........kRRk...",
    "..........kk....",
    "..........k.....",
    ".........k......",
    "........k.......",
    ".......k........",
    "......k.........",
    ".....kk.........",
    ".....kk.........",
    "....kBBk........",
    "....kBBk........",
    ".....kk.........",
    // 15 deltas
    "................",
    "....kk..........",
    "...kRRk.........",
    "...kRRk.........",
    "..kRkkRk........",
    "..kRk.kRk.......",
    ".kRRRRRRk.kk....",
    ".kkkkkkkk.kRk...",
    ".........kRRk...",
    ".........kRkRk..",
    "........kRk.kRk.",
    "........kRRRRRk.",
    "........kkkkkkk.",
    "................",
    "................",
    "................",
};

constexpr std::array<std::string_view, kSnapinImageCount> kNames = {
    "snap-in",   "workstation", "servers",        "workstations", "database",    "server",
    "schema",    "user",        "database group", "users",        "transaction", "transactions",
    "scenarios", "delta",       "scenario",       "deltas",
};

// The colour index of an art character; -1 for none.
constexpr int ColorIndex(char c) {
  constexpr std::string_view kPalette = "krgonptsaRGYB.CW";
  const size_t index = kPalette.find(c);
  return index == std::string_view::npos ? -1 : static_cast<int>(index);
}

constexpr bool ArtIsWellFormed() {
  for (std::string_view row : kArt) {
    if (row.size() != kSmallSize) return false;
    for (char c : row) {
      if (ColorIndex(c) < 0) return false;
    }
  }
  return ColorIndex('.') == kTransparentColorIndex;
}
static_assert(ArtIsWellFormed(), "every art row has 16 pixels of known colours");

// The strip with every picture pixel repeated `scale` times across and down.
BitmapResource Strip(int scale) {
  const int size = kSmallSize * scale;
  BitmapResource bitmap;
  bitmap.Width = size * kSnapinImageCount;
  bitmap.Height = size;
  bitmap.Bytes.assign(static_cast<size_t>(bitmap.Width) * bitmap.Height / 2, 0);
  for (int y = 0; y < bitmap.Height; ++y) {
    for (int x = 0; x < bitmap.Width; ++x) {
      const int image = x / size;
      const char pixel = kArt[image * kSmallSize + y / scale][(x % size) / scale];
      const auto color = static_cast<uint8_t>(ColorIndex(pixel));
      uint8_t& byte = bitmap.Bytes[(static_cast<size_t>(y) * bitmap.Width + x) / 2];
      byte |= (x % 2 == 0) ? static_cast<uint8_t>(color << 4) : color;
    }
  }
  for (std::string_view name : kNames) {
    if (!bitmap.Description.empty()) bitmap.Description += ';';
    bitmap.Description += name;
  }
  return bitmap;
}

HINSTANCE RegisteredImages() {
  static const HINSTANCE instance = [] {
    const HINSTANCE module = SnapinInstance();
    RegisterModuleBitmap(module, kSmallImagesName, Strip(1));
    RegisterModuleBitmap(module, kLargeImagesName, Strip(2));
    return module;
  }();
  return instance;
}

}  // namespace

std::string SnapinImageName(int index) {
  if (index < 0 || index >= kSnapinImageCount) return {};
  return std::string(kNames[index]);
}

HBITMAP LoadSnapinBitmap(const char* name) { return LoadBitmap(RegisteredImages(), name); }

HRESULT SetSnapinImageStrips(IImageList* imageList) {
  HBITMAP small = LoadSnapinBitmap(kSmallImagesName);
  HBITMAP large = LoadSnapinBitmap(kLargeImagesName);
  const HRESULT hr = imageList->ImageListSetStrip(
      reinterpret_cast<LONG_PTR*>(small), reinterpret_cast<LONG_PTR*>(large), 0, kImageMaskColor);
  DeleteObject(small);
  DeleteObject(large);
  return hr;
}
