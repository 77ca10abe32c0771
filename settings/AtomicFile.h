#pragma once
// Whole-file reads and crash-safe whole-file replacement.

#include <optional>
#include <string>

namespace vantora {

// The file's bytes, or nothing when it does not exist. Throws
// std::system_error when it exists but cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Replaces the file at path with contents: writes a temporary file in the
// same folder, flushes it to disk, gives it the original's permissions and
// renames it over the original (a symbolic link is followed, so the file it
// names is replaced and the link stays). A missing folder is created first,
// with its missing parents, private to the user. Throws std::system_error when any
// step fails; the original is then untouched and no temporary file is left.
void ReplaceWholeFile(const std::string& path, const std::string& contents);

}  // namespace vantora
