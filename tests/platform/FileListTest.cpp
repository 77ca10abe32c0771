#include "platform/FileList.h"
#include "platform/FolderLister.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "tests/platform/WholeListing.h"
#include "tests/support/QtApp.h"

#include <sys/stat.h>
#include <unistd.h>

namespace vantora {
namespace {

using test::ListFiles;

void Touch(const QString& path) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
  f.write("x");
}

class FileListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FDir.isValid());
    for (const char* name : {"b.jpg", "A.JPG", "c.Jpeg", "d.bmp", "e.png", "f.jpg.txt",
                             ".hidden.jpg", "IMG_0001.JPG", "x.jpgx"})
      Touch(FDir.filePath(name));
    QDir(FDir.path()).mkdir("folder.jpg");
  }
  QTemporaryDir FDir;
};

TEST_F(FileListTest, MaskMatchesWithoutCaseAndSortsByNameWithoutCase) {
  struct Case {
    const char* mask;
    QStringList expected;
  };
  const Case cases[] = {
      {"*.jpg", {"A.JPG", "b.jpg", "c.Jpeg", "IMG_0001.JPG"}},
      {"*.jpg;*.bmp", {"A.JPG", "b.jpg", "c.Jpeg", "d.bmp", "IMG_0001.JPG"}},
      {"*.BMP", {"d.bmp"}},
      {"*.gif", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ListFiles(FDir.path(), c.mask), c.expected) << c.mask;
}

TEST_F(FileListTest, MissingOrEmptyFolderListsNothing) {
  EXPECT_TRUE(ListFiles(FDir.filePath("absent"), "*.jpg").isEmpty());
  EXPECT_TRUE(ListFiles(QString(), "*.jpg").isEmpty());
  QDir(FDir.path()).mkdir("empty");
  EXPECT_TRUE(ListFiles(FDir.filePath("empty"), "*.jpg").isEmpty());
}

TEST(FileMask, WildcardsAndAliases) {
  struct Case {
    const char* name;
    const char* mask;
    bool matches;
  };
  const Case cases[] = {
      {"photo.jpg", "*.jpg", true},     {"PHOTO.JPG", "*.jpg", true},
      {"photo.jpeg", "*.jpg", true},    {"photo.JPEG", "*.JPG", true},
      {"photo.jpe", "*.jpg", false},    {"photo.jpg.bak", "*.jpg", false},
      {"a1.jpg", "a?.jpg", true},       {"a12.jpg", "a?.jpg", false},
      {"d.bmp", "*.jpg ; *.bmp", true}, {"d.bmp", "*.jpg", false},
      {"a.jpeg", "*.JPEG", true},       {"x.jpeg", "*.jp?", true},
      {"trip-2024-01.jpg", "*-*-??.jpg", true}, {"trip-2024-1.jpg", "*-*-??.jpg", false},
      {"ÄRGER.JPG", "ärger.*", true},   {"photo.jpg", "", false},
      {"photo", "*.jpg", false},        {".jpeg", "*.jpg", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TFileMask(c.mask).Matches(QString(c.name)), c.matches) << c.name << " " << c.mask;
}

// A small library: folders by year and trip, a hidden folder, a link back
// up the tree (a loop), a second link to a folder already listed, and
// names whose order differs with and without regard to case.
class PictureTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FDir.isValid());
    const QDir root(FDir.path());
    for (const char* folder : {"2023/Trip", "2023/a", "2024", ".thumbs", "2024/empty"})
      ASSERT_TRUE(root.mkpath(folder));
    for (const char* name : {"b.jpg", "A.JPG", "2023/Trip/z.jpg", "2023/Trip/B.jpg", "2023/a/x.jpg",
                             "2023/a.jpg", "2024/c.bmp", "2024/notes.txt", ".thumbs/t.jpg",
                             "2024/.hidden.jpg"})
      Touch(FDir.filePath(name));
    ASSERT_EQ(symlink("..", FDir.filePath("2024/up").toLocal8Bit().constData()), 0);
    ASSERT_EQ(symlink("../2023/a", FDir.filePath("2024/again").toLocal8Bit().constData()), 0);
    ASSERT_EQ(symlink("b.jpg", FDir.filePath("link.jpg").toLocal8Bit().constData()), 0);
    ASSERT_EQ(symlink("nowhere.jpg", FDir.filePath("broken.jpg").toLocal8Bit().constData()), 0);
  }
  QTemporaryDir FDir;
};

TEST_F(PictureTreeTest, TreeInPathOrderWithoutHiddenAndWithoutEnteringAFolderTwice) {
  // "2023/a" comes before "2023/a.jpg" (a folder's contents where its name
  // sorts) and before "2023/Trip"; "2024/again" names "2023/a", listed
  // already; "2024/up" leads back to the top.
  EXPECT_EQ(ListFiles(FDir.path(), "*.jpg;*.bmp", true),
            (QStringList{"2023/a/x.jpg", "2023/a.jpg", "2023/Trip/B.jpg", "2023/Trip/z.jpg",
                         "2024/c.bmp", "A.JPG", "b.jpg", "link.jpg"}));
  // Without subfolders only the top's files, as before.
  EXPECT_EQ(ListFiles(FDir.path(), "*.jpg;*.bmp"), (QStringList{"A.JPG", "b.jpg", "link.jpg"}));
}

TEST_F(PictureTreeTest, BatchesArriveInTheFinalOrderAndACancelEndsTheWalk) {
  QStringList joined;
  int batches = 0;
  ListPictures(FDir.path(), TFileMask("*.jpg"), true, [&](QStringList batch) {
    EXPECT_FALSE(batch.isEmpty());
    joined += batch;
    ++batches;
  });
  EXPECT_GE(batches, 1);
  EXPECT_EQ(joined, ListFiles(FDir.path(), "*.jpg", true));

  const std::atomic<bool> cancelled{true};
  bool called = false;
  ListPictures(FDir.path(), TFileMask("*.jpg"), true, [&](QStringList) { called = true; },
               &cancelled);
  EXPECT_FALSE(called);
}

TEST_F(PictureTreeTest, AHeldListingWaitsBeforeItsNextFolderUntilItMayGoOn) {
  test::QtApp();
  QObject context;
  TFolderLister lister(&context);
  QStringList names;
  int batches = 0;
  bool done = false;
  lister.OnBatch = [&](const QStringList& batch) {
    names += batch;
    ++batches;
  };
  lister.OnDone = [&] { done = true; };
  // Held from the start: the walk stops before the first subfolder, with
  // nothing found yet.
  lister.Start(FDir.path(), "*.jpg;*.bmp", true, true);
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  EXPECT_FALSE(done);
  EXPECT_TRUE(lister.Listing());
  lister.GoOn(false);
  ASSERT_TRUE(test::WaitFor([&] { return done; }));
  EXPECT_EQ(names, ListFiles(FDir.path(), "*.jpg;*.bmp", true));
  EXPECT_FALSE(lister.Listing());

  // Dropped while it holds: no more names of it, and a new listing runs
  // whole.
  lister.Start(FDir.path(), "*.jpg;*.bmp", true, true);
  lister.Start(FDir.path(), "*.jpg;*.bmp", true);
  names.clear();
  done = false;
  ASSERT_TRUE(test::WaitFor([&] { return done; }));
  EXPECT_EQ(names, ListFiles(FDir.path(), "*.jpg;*.bmp", true));
}

TEST_F(PictureTreeTest, UnreadableFolderIsSkipped) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every folder";
  ASSERT_EQ(chmod(FDir.filePath("2023/Trip").toLocal8Bit().constData(), 0), 0);
  EXPECT_EQ(ListFiles(FDir.path(), "*.jpg", true),
            (QStringList{"2023/a/x.jpg", "2023/a.jpg", "A.JPG", "b.jpg", "link.jpg"}));
  chmod(FDir.filePath("2023/Trip").toLocal8Bit().constData(), 0755);
}

TEST(PathLess, FolderContentsSortWhereTheFolderDoes) {
  const QStringList sorted = {"a/z.jpg", "A/Z2.jpg", "a b.jpg", "a.jpg", "a0.jpg", "B.jpg", "b.jpg"};
  for (qsizetype i = 0; i + 1 < sorted.size(); ++i) {
    EXPECT_FALSE(PathLess(sorted[i + 1], sorted[i])) << sorted[i].toStdString();
    EXPECT_TRUE(PathLess(sorted[i], sorted[i + 1])) << sorted[i].toStdString();
  }
}

}  // namespace
}  // namespace vantora
