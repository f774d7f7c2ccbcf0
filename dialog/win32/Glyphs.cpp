#include "Glyphs.h"

#include <algorithm>
#include <cstdlib>

const std::array<uint32_t, 16> kGlyphPalette = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
    0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

namespace {

constexpr uint8_t kGreen = 2, kGrey = 8, kRed = 9, kLime = 10, kMaroon = 1, kWhite = 15;

// A stroke from (x0, y0) to (x1, y1), `width` pixels wide, in the normal
// (left) picture.
void Stroke(TGlyphImage &image, int x0, int y0, int x1, int y1, int width, uint8_t index) {
  const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
  for (int i = 0; i <= steps; ++i) {
    const int x = x0 + (x1 - x0) * i / steps;
    const int y = y0 + (y1 - y0) * i / steps;
    for (int d = 0; d < width; ++d)
      if (y + d < kGlyphSize) image.Set(x, y + d, index);
  }
}

bool Opaque(const TGlyphImage &image, int x, int y) {
  if (x < 0 || y < 0 || x >= kGlyphSize || y >= kGlyphSize) return false;
  return image.At(x, y) != kGlyphTransparent;
}

// The disabled picture: the normal picture's outline in grey, with a white
// shadow one pixel down and right, as disabled glyphs are drawn.
void AddDisabledPicture(TGlyphImage &image) {
  for (int y = 0; y < kGlyphSize; ++y) {
    for (int x = 0; x < kGlyphSize; ++x) {
      if (!Opaque(image, x, y)) continue;
      const bool edge = !Opaque(image, x - 1, y) || !Opaque(image, x + 1, y) ||
                        !Opaque(image, x, y - 1) || !Opaque(image, x, y + 1);
      if (!edge) continue;
      if (x + 1 < kGlyphSize && y + 1 < kGlyphSize && !Opaque(image, x + 1, y + 1))
        image.Set(kGlyphSize + x + 1, y + 1, kWhite);
      image.Set(kGlyphSize + x, y, kGrey);
    }
  }
}

TGlyphImage Blank() {
  TGlyphImage image;
  image.Pixels.fill(kGlyphTransparent);
  return image;
}

} // namespace

TGlyphImage TickGlyph() {
  TGlyphImage image = Blank();
  Stroke(image, 3, 8, 7, 12, 3, kGreen);
  Stroke(image, 7, 12, 14, 3, 3, kGreen);
  Stroke(image, 4, 8, 7, 11, 1, kLime);
  Stroke(image, 8, 11, 14, 3, 1, kLime);
  AddDisabledPicture(image);
  return image;
}

TGlyphImage CrossGlyph() {
  TGlyphImage image = Blank();
  Stroke(image, 4, 3, 13, 12, 3, kMaroon);
  Stroke(image, 13, 3, 4, 12, 3, kMaroon);
  Stroke(image, 4, 4, 13, 13, 1, kRed);
  Stroke(image, 13, 4, 4, 13, 1, kRed);
  AddDisabledPicture(image);
  return image;
}

HIMAGELIST CreateButtonGlyphs(const TGlyphImage &glyph) {
  // The push button states, 1 to 6; the disabled one (PBS_DISABLED) is 4.
  constexpr int kStates = 6;
  constexpr int kDisabledState = 4 - 1; // pictures are indexed from 0
  constexpr int kWidth = kStates * kGlyphSize;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kGlyphSize, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void *bits = nullptr;
  HBITMAP strip = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!strip) return nullptr;
  auto *pixels = static_cast<uint32_t *>(bits);
  for (int state = 0; state < kStates; ++state) {
    const int picture = state == kDisabledState ? kGlyphSize : 0;
    for (int y = 0; y < kGlyphSize; ++y)
      for (int x = 0; x < kGlyphSize; ++x) {
        const uint32_t bgr = kGlyphPalette[glyph.At(picture + x, y)];
        // 0x00BBGGRR to the DIB's 0x00RRGGBB
        pixels[static_cast<size_t>(y * kWidth + state * kGlyphSize + x)] =
            (bgr & 0xFF) << 16 | (bgr & 0xFF00) | (bgr >> 16 & 0xFF);
      }
  }
  HIMAGELIST list = ImageList_Create(kGlyphSize, kGlyphSize, ILC_COLOR24 | ILC_MASK, kStates, 0);
  if (list && ImageList_AddMasked(list, strip, kGlyphPalette[kGlyphTransparent]) < 0) {
    ImageList_Destroy(list);
    list = nullptr;
  }
  DeleteObject(strip);
  return list;
}
