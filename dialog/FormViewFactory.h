#pragma once
// The window system's part of the options dialog: what makes the view that
// shows a TConfForm on this system.
#include "frmIENorvane.h"

// The factory of the system's form views: real Win32 windows in the Windows
// build; none where there is no window system (the dialog then ends as
// cancelled).
TFormViewFactory SystemFormViewFactory();
