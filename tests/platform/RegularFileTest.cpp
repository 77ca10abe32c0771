#include "platform/RegularFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "tests/platform/WholeListing.h"

namespace vantora {
namespace {

// Named pipes and devices in a file's place count as missing: reading them
// would wait for a writer or never end. Links count as what they name.
TEST(IsRegularFile, OnlyRegularFilesAndLinksToThemCount) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString file = dir.filePath("song.mp3");
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  const QString fifo = dir.filePath("pipe.mp3");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  QDir(dir.path()).mkdir("folder.mp3");
  ASSERT_TRUE(QFile::link(file, dir.filePath("link.mp3")));
  ASSERT_TRUE(QFile::link(fifo, dir.filePath("pipelink.mp3")));
  ASSERT_TRUE(QFile::link("/dev/zero", dir.filePath("zero.mp3")));

  struct Case {
    QString path;
    bool regular;
  };
  const Case cases[] = {
      {file, true},
      {dir.filePath("link.mp3"), true},
      {fifo, false},
      {dir.filePath("pipelink.mp3"), false},
      {"/dev/zero", false},
      {dir.filePath("zero.mp3"), false},
      {dir.filePath("folder.mp3"), false},
      {dir.filePath("absent.mp3"), false},
      {QString(), false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsRegularFile(c.path), c.regular) << c.path.toStdString();

  // The picture listing follows the same rule.
  EXPECT_EQ(test::ListFiles(dir.path(), "*.mp3"), (QStringList{"link.mp3", "song.mp3"}));
}

}  // namespace
}  // namespace vantora
