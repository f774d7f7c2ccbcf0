// No window system in the portable build: a form cannot be shown, and a
// configuring call ends as cancelled.
#include "FormViewFactory.h"

TFormViewFactory SystemFormViewFactory() { return {}; }
