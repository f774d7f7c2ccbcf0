#pragma once
// Whole-file reads and atomic whole-file replacement, on POSIX and Windows.
#include <optional>
#include <string>

// The bytes of the regular file at `path`; nothing when it does not exist or
// cannot be read.
std::optional<std::string> ReadWholeFile(const std::string &path);

// True when `path` names an existing directory entry of any kind.
bool PathExists(const std::string &path);

// Replaces the file at `path` with `content` so that any reader sees either
// the old file or the new one, never a mixture: the content goes to
// "<path>.nvsave" in the same folder (overwriting one that a killed save left
// behind), is flushed to disk, takes the old file's permissions and is renamed
// over the old file. A symbolic link is followed, so the link stays a link.
// Returns false, leaving the old file as it was, when the old file is
// read-only or not a writable regular file, when the folder is missing or
// not writable, or when any step fails.
bool ReplaceFileAtomically(const std::string &path, const std::string &content);
