#pragma once
// Test-only, Windows only: the kernel handles this process holds, by type,
// so that a test can tell which handles a piece of work left behind.
#ifdef _WIN32
#include <map>
#include <set>
#include <string>

// Type name ("Event", "Thread", ...) to the values of this process's
// handles of that type, read from the system's handle table (Wine answers
// GetProcessHandleCount with 0). Empty when the table cannot be read.
using TProcessHandles = std::map<std::string, std::set<unsigned short>>;
TProcessHandles ProcessHandles();

// For each type whose handles differ: "Type before->after", then the values
// of the handles that came and went ("+d8 -a0"); "-" when none differs.
std::string HandleChanges(const TProcessHandles &before, const TProcessHandles &after);
#endif
