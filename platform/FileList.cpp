#include "platform/FileList.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "platform/RegularFile.h"

namespace vantora {

namespace {

bool MatchesPattern(const QString& name, const QString& pattern) {
  const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(pattern),
                              QRegularExpression::CaseInsensitiveOption);
  return re.match(name).hasMatch();
}

}  // namespace

bool MatchesMask(const QString& fileName, const QString& mask) {
  // A ".jpeg" file is also tried as ".jpg".
  QString alias;
  if (fileName.endsWith(QLatin1String(".jpeg"), Qt::CaseInsensitive))
    alias = fileName.chopped(5) + QLatin1String(".jpg");
  for (const QString& pattern : mask.split(u';', Qt::SkipEmptyParts)) {
    const QString p = pattern.trimmed();
    if (p.isEmpty()) continue;
    if (MatchesPattern(fileName, p)) return true;
    if (!alias.isEmpty() && MatchesPattern(alias, p)) return true;
  }
  return false;
}

QStringList ListFiles(const QString& folder, const QString& mask) {
  QStringList names;
  if (folder.isEmpty()) return names;
  const QDir dir(folder);
  if (!dir.exists()) return names;
  // QDir::Files without QDir::Hidden and QDir::System: ordinary files only.
  const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
  for (const QFileInfo& info : entries) {
    if (info.isHidden() || !IsRegularFile(info.filePath())) continue;
    if (MatchesMask(info.fileName(), mask)) names.append(info.fileName());
  }
  // By name without regard to case; names that differ only in case keep a
  // fixed order so the listing never depends on the directory's order.
  std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
  });
  return names;
}

}  // namespace vantora
