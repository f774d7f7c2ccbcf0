// The Windows build shows the options dialog in real Win32 windows.
#include "FormViewFactory.h"
#include "Win32FormView.h"

TFormViewFactory SystemFormViewFactory() { return CreateWin32FormView; }
