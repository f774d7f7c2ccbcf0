// The test prefix has Wine's own fonts: the title bars Wine draws take their
// close, minimise and maximise glyphs from Marlett and their caption from the
// system's caption font; without those the close box shows a plain "r".
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// The face the font mapper picks for a request of `face` in `charset`.
std::string FaceChosenFor(const char *face, BYTE charset) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  HFONT font =
      CreateFontA(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
  HGDIOBJ old = SelectObject(dc, font);
  char chosen[LF_FACESIZE] = {};
  GetTextFaceA(dc, LF_FACESIZE, chosen);
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
  return chosen;
}

TEST(PrefixFonts, TitleBarFontsAreWinesOwn) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
  const struct {
    const char *Face;
    BYTE Charset;
  } wanted[] = {
      {"Marlett", SYMBOL_CHARSET},                      // the caption buttons' glyphs
      {metrics.lfCaptionFont.lfFaceName, ANSI_CHARSET}, // the caption text
      {metrics.lfMessageFont.lfFaceName, ANSI_CHARSET}, // message boxes
  };
  for (const auto &font : wanted) {
    SCOPED_TRACE(font.Face);
    EXPECT_EQ(FaceChosenFor(font.Face, font.Charset), font.Face);
  }
}

} // namespace
