#pragma once
// The one rule for a path the user named (a song, a picture, the picture
// folder's entries): only a regular file is opened, played or listed.
//
// A named pipe, a device (/dev/zero), a socket or a folder in a file's place
// is treated like a missing file. Reading such a thing can wait forever for
// a writer or never end, and it would do so on the window's thread. The
// test looks at the file's type through stat, which never opens the file and
// so never waits; a symbolic link counts as what it points to.

#include <QString>

namespace vantora {

bool IsRegularFile(const QString& path);

}  // namespace vantora
