#pragma once
// The options dialog in a real Win32 window: a modal top-level window with
// panels, labels, check boxes, radio buttons, edit boxes, owner-data list
// views and glyph buttons, built from the form's layout.
#include <memory>

#include "frmIENorvane.h"

// Makes the window that shows `form` (hidden until ShowModal). Its windows
// carry the property "NvControl" holding the control's name, so tools in the
// same process can find a control by name.
std::unique_ptr<IFormView> CreateWin32FormView(TConfForm &form);

// The title of the box that shows a failure raised by an event handler.
constexpr const char *kFailureBoxTitle = "IE Norvane";

// The window class of a form's top-level window: "Nv" and the form's name.
constexpr const char *kConfFormClassName = "NvConfForm";
constexpr const char *kKeepSitesFormClassName = "NvKeepSitesForm";
