#pragma once
// The buttons' glyphs: 36 x 18 images in the 16 standard colours, holding two
// 18 x 18 pictures side by side (normal, disabled). Olive is transparent.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <commctrl.h>

#include <array>
#include <cstdint>

constexpr int kGlyphSize = 18;

// One glyph image: palette indices, row by row, 36 per row.
struct TGlyphImage {
  std::array<uint8_t, 2 * kGlyphSize * kGlyphSize> Pixels{};
  uint8_t At(int x, int y) const { return Pixels[static_cast<size_t>(y * 2 * kGlyphSize + x)]; }
  void Set(int x, int y, uint8_t index) {
    Pixels[static_cast<size_t>(y * 2 * kGlyphSize + x)] = index;
  }
};

// The 16 standard colours as 0x00BBGGRR, in palette order.
extern const std::array<uint32_t, 16> kGlyphPalette;
// The palette index of olive, RGB(128, 128, 0): the transparent colour.
constexpr uint8_t kGlyphTransparent = 3;

// A green tick, with its disabled variant (a grey outline).
TGlyphImage TickGlyph();
// A red cross, with its disabled variant.
TGlyphImage CrossGlyph();

// The image list a push button of the common controls (version 6) draws its
// glyph from, one 18 x 18 picture per button state (normal, hot, pressed,
// disabled, defaulted, stylus hot): the disabled picture for the disabled
// state, the normal one for the others; olive masked out. Made once; the
// caller destroys it (ImageList_Destroy). Null when it cannot be made.
HIMAGELIST CreateButtonGlyphs(const TGlyphImage &glyph);
