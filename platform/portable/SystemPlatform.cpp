// The system platform of the portable build.
#include "PortablePlatform.h"

std::unique_ptr<IPlatform> CreateSystemPlatform() { return std::make_unique<TPortablePlatform>(); }
