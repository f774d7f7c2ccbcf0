#pragma once
// A dialog template (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX items) built in
// memory, for CreateDialogIndirectParamA. It says which windows a dialog has,
// of which class and style, in which order; positions and sizes are left 0
// for the caller to set in pixels.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>
#include <vector>

// The font every window of a dialog gets from the dialog manager.
struct TTemplateFont {
  WORD Points;
  const char *Face;
};

class TDialogTemplate {
public:
  // A dialog of the window class `windowClass` (empty: the system's dialog
  // class) with `caption`. DS_SETFONT is added to `style`. Texts are ANSI.
  TDialogTemplate(DWORD style, DWORD extendedStyle, const std::string &windowClass,
                  const std::string &caption, const TTemplateFont &font);

  // Appends one control: a window of the class `className` (e.g. "Button")
  // with control id `id` and the text `text`. Controls are created in the
  // order they are added, which is also their tab order.
  void AddItem(const std::string &className, const std::string &text, int id, DWORD style,
               DWORD extendedStyle);

  // The template, valid while this object lives and is not changed.
  const DLGTEMPLATE *Get() const { return reinterpret_cast<const DLGTEMPLATE *>(Words.data()); }

private:
  void Word(WORD value) { Words.push_back(value); }
  void DoubleWord(DWORD value);
  // A NUL-terminated UTF-16 text converted from the ANSI code page.
  void Text(const std::string &text);
  void AlignToDoubleWord();

  std::vector<WORD> Words; // the template is an array of WORDs, DWORD-aligned items
  size_t ItemCount = 0;
};
