#include "platform/FileList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vantora {
namespace {

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

TEST(MatchesMask, WildcardsAndAliases) {
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
  };
  for (const Case& c : cases)
    EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches) << c.name << " " << c.mask;
}

}  // namespace
}  // namespace vantora
