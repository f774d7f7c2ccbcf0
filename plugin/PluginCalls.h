#pragma once
// The frame of the two working calls, over any platform: create the cleaner,
// load its settings, do the work, hand a text back to the host. No exception
// leaves these: a host not built with our compiler would be terminated by
// it, so a failure becomes the result false, with the host's text as it
// stood at that moment.
#include "FormViewFactory.h"
#include "Platform.h"

// GetConfigString's work: empties the host's text, shows the dialog (made by
// `makeView`; none: ends as cancelled) and, on OK, saves the settings and
// copies the summary. False, with nothing touched, for a null argument.
bool ConfigureOn(IPlatform &platform, const TFormViewFactory &makeView, const char *iniFile,
                 const char *section, char **buffer);

// ExecClearProc's work: cleans as the settings say and copies the report.
// False, with nothing touched, for a null argument.
bool CleanOn(IPlatform &platform, const char *iniFile, const char *section, char **buffer);
