#include "LeadBytes.h"

TLeadByteSet SystemLeadBytes() { return {}; }
