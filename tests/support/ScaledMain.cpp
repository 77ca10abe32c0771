// Main of the test programs that run on a scaled screen: the offscreen
// platform with one 800 x 600 screen (the size of a screen of 4:3 photos),
// at the scale factor the test environment names (2 when it names none, as
// during test discovery).

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "tests/support/QtApp.h"

int main(int argc, char** argv) {
  QTemporaryDir folder;
  const QString config = folder.filePath("screens.json");
  QFile file(config);
  if (!file.open(QIODevice::WriteOnly)) return 2;
  file.write(R"({"screens": [{"name": "scaled", "x": 0, "y": 0, "width": 800, "height": 600}]})");
  file.close();
  qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toUtf8());
  if (qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR")) qputenv("QT_SCALE_FACTOR", "2");
  vantora::test::QtApp();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
