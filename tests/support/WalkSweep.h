#pragma once
// Test-only: one walk of a pattern over the platform's cache, the plainest
// model of what a selection chooses, for tests to compare the cleaner's
// selection and the dialog's lists with, and to delete through.
#include <functional>
#include <string>

#include "CacheWalk.h"
#include "SettingsForm.h"

// Calls `visit` for every entry of the platform's cache that `pattern`
// selects (TEntrySelector), in the platform's enumeration order. A malformed
// pattern raises EMaskException when the first entry reaches the match; the
// enumeration is released on every path.
void Walk(IPlatform &platform, const std::string &pattern,
          const std::function<void(const TCacheEntryView &)> &visit);

// Empties `list` and adds one row per entry a walk of `pattern` selects
// (URL, file name of the local file, size), repainting once; a malformed
// pattern met by an entry raises with the list empty.
void FillFromWalk(IPlatform &platform, IPreviewList &list, const std::string &pattern);

// The settings whose one sweep is `pattern`: its category on, by mask, the
// rest of `pattern` after the category's prefix as the mask.
CleanerSettings SettingsSweeping(const std::string &pattern);

// Walks `pattern` (Walk) and deletes each entry it selects (TEntryDeleter),
// counted for the pattern's category. `observer`, when set, hears of each
// delete. A malformed pattern raises EMaskException as Walk does.
TCategoryTotals Sweep(IPlatform &platform, const std::string &pattern,
                      const TSweepObserver &observer = {});
