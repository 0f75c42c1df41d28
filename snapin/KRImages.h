#pragma once
// The console image strips of the snap-in: sixteen images, indexed by the
// image numbers that folders and result rows carry. "BMPSMALL" holds them at
// 16 x 16 pixels (a strip 256 x 16), "BMPBIG" at 32 x 32 (512 x 32), both as
// bitmap resources of the snap-in's module (SnapinInstance), registered on
// the first LoadSnapinBitmap.
//
// Pixel format of the resources' bytes: 4 bits per pixel, rows from top to
// bottom, two pixels per byte with the left one in the high nibble. A pixel
// is an index into the sixteen standard colours: 0 black, 1 maroon, 2 green,
// 3 olive, 4 navy, 5 purple, 6 teal, 7 silver, 8 gray, 9 red, 10 lime,
// 11 yellow, 12 blue, 13 magenta (the transparent colour), 14 aqua, 15 white.
// A resource's Description lists the images' short names in image order,
// separated by ';', for front ends that show text instead of pictures.

#include <string>

#include "platform/com/HResult.h"
#include "platform/mmc/MmcTypes.h"
#include "platform/win32/WinTypes.h"

inline constexpr int kSnapinImageCount = 16;
inline constexpr char kSmallImagesName[] = "BMPSMALL";
inline constexpr char kLargeImagesName[] = "BMPBIG";
// Magenta: red 255, green 0, blue 255.
inline constexpr COLORREF kImageMaskColor = 0x00FF00FF;
inline constexpr uint8_t kTransparentColorIndex = 13;

// The short name of image `index` ("workstation", "server", ...); empty
// outside 0 .. kSnapinImageCount - 1.
std::string SnapinImageName(int index);
// A new handle to one of the strips (free it with DeleteObject); null for
// another name.
HBITMAP LoadSnapinBitmap(const char* name);

struct IImageList;
// Hands both strips to a console image list (first image 0, magenta
// transparent) and frees the bitmaps again, whatever the list answers;
// answers the list's result.
HRESULT SetSnapinImageStrips(IImageList* imageList);
