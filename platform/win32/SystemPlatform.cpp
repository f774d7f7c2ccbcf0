// The system platform of the Windows build.
#include "Win32Platform.h"

std::unique_ptr<IPlatform> CreateSystemPlatform() { return std::make_unique<TWin32Platform>(); }
