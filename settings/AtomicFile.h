#pragma once
// Whole-file reads and crash-safe whole-file replacement.

#include <optional>
#include <string>

namespace vantora {

// The file's bytes, or nothing when it does not exist. Throws
// std::system_error when it exists but cannot be read or is not a regular
// file (a named pipe in its place is refused, not waited on).
std::optional<std::string> ReadWholeFile(const std::string& path);

// Replaces the file at path with contents: writes a temporary file in the
// same folder, flushes it to disk, gives it the original's permissions and
// renames it over the original (a symbolic link is followed, so the file it
// names is replaced and the link stays). A missing folder is created first,
// with its missing parents, private to the user.
//
// The file is never torn: a reader or a crash sees the old content or the
// new. The temporary file has no name until it is complete, so a writer
// killed mid-write leaves nothing behind; a file system that cannot make
// unnamed files gets a named one, and such leftovers of killed writers are
// removed by the next write.
//
// Throws std::system_error when any step fails, and refuses a file that may
// not be written (not permitted, or marked read-only for everyone) and one
// whose permissions cannot be carried over; the original is then untouched
// and no temporary file is left.
void ReplaceWholeFile(const std::string& path, const std::string& contents);

}  // namespace vantora
