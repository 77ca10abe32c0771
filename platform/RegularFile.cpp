#include "platform/RegularFile.h"

#include <sys/stat.h>

#include <QFile>

namespace vantora {

bool IsRegularFile(const QString& path) {
  if (path.isEmpty()) return false;
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return false;
  return S_ISREG(st.st_mode);
}

}  // namespace vantora
