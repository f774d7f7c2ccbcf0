#pragma once
// Test-only: a category's clean as its definition reads, one walk of its
// pattern deleting what it selects, for tests to compare the clean's
// selection (SelectEntries) with and to delete through the real walk.
#include <string>

#include "CacheWalk.h"

// Walks `pattern` (Walk) and deletes each entry it selects (TEntryDeleter),
// counted for the pattern's category. `observer`, when set, hears of each
// delete. A malformed pattern raises EMaskException as Walk does.
TCategoryTotals Sweep(IPlatform &platform, const std::string &pattern,
                      const TSweepObserver &observer = {});
