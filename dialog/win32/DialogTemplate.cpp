#include "DialogTemplate.h"

namespace {

// Where DLGTEMPLATEEX keeps its item count, in WORDs from the start.
constexpr size_t kItemCountWord = 8;

} // namespace

TDialogTemplate::TDialogTemplate(DWORD style, DWORD extendedStyle, const std::string &windowClass,
                                 const std::string &caption, const TTemplateFont &font) {
  Word(1);       // dlgVer
  Word(0xFFFF);  // signature: the extended template
  DoubleWord(0); // helpID
  DoubleWord(extendedStyle);
  DoubleWord(style | DS_SETFONT);
  Word(0);                    // cDlgItems, counted by AddItem
  for (int i = 0; i < 4; ++i) // x, y, cx, cy
    Word(0);
  Word(0); // no menu
  Text(windowClass);
  Text(caption);
  Word(font.Points);
  Word(FW_NORMAL);
  Word(MAKEWORD(FALSE, DEFAULT_CHARSET)); // italic, charset
  Text(font.Face);
}

void TDialogTemplate::AddItem(const std::string &className, const std::string &text, int id,
                              DWORD style, DWORD extendedStyle) {
  AlignToDoubleWord();
  DoubleWord(0); // helpID
  DoubleWord(extendedStyle);
  DoubleWord(style);
  for (int i = 0; i < 4; ++i) // x, y, cx, cy
    Word(0);
  DoubleWord(static_cast<DWORD>(id));
  Text(className);
  Text(text);
  Word(0); // no creation data
  Words[kItemCountWord] = static_cast<WORD>(++ItemCount);
}

void TDialogTemplate::DoubleWord(DWORD value) {
  Word(LOWORD(value));
  Word(HIWORD(value));
}

void TDialogTemplate::Text(const std::string &text) {
  // An empty text is a lone NUL, which for a window class means the
  // system's dialog class.
  if (!text.empty()) {
    const int length = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::wstring converted(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, converted.data(), wide);
    for (wchar_t c : converted)
      Word(static_cast<WORD>(c));
  }
  Word(0);
}

void TDialogTemplate::AlignToDoubleWord() {
  if (Words.size() % 2) Word(0);
}
