// The error box over the configuration windows, and Qt's own texts in
// Chinese: acknowledging a report leaves the program running, repeats pile
// up no boxes, and the box speaks the windows' language.

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>

#include "platform/ErrorReport.h"
#include "platform/Translations.h"
#include "tests/config/ConfigFixture.h"

namespace vantora::test {
namespace {

QList<QMessageBox*> ErrorBoxes() {
  QList<QMessageBox*> boxes;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == QLatin1String("ErrorReportBox") && w->isVisible())
      boxes << static_cast<QMessageBox*>(w);
  return boxes;
}

class ErrorBox : public ConfigFixture {
 protected:
  void TearDown() override {
    for (QMessageBox* box : ErrorBoxes()) box->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
};

TEST_F(ErrorBox, AcknowledgingItLeavesTheProgramRunning) {
  // The settings window is a tool window, like every window of the program
  // but the preview: the box is then the only window Qt could take for the
  // program's last one.
  Form2->show();
  bool survived = false;
  QTimer::singleShot(0, [] { ReportError(QStringLiteral("Unable to write to /x/scr.ini")); });
  // The user presses Enter on the box as soon as it shows.
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    if (ErrorBoxes().isEmpty()) return;
    user.stop();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(ErrorBoxes().first(), &enter);
    // Whatever would end the event loop has been posted by now.
    QTimer::singleShot(200, [&] {
      survived = ErrorBoxes().isEmpty() && Form2->isVisible();
      QCoreApplication::quit();
    });
  });
  user.start(10);
  QTimer::singleShot(5000, [] { QCoreApplication::quit(); });  // never hang
  QCoreApplication::exec();
  EXPECT_TRUE(survived);
}

TEST_F(ErrorBox, OneBoxAtATimeAndRepeatsAddNothing) {
  Form2->show();
  const QString write = QStringLiteral("Unable to write to /x/scr.ini");
  const QString song = QStringLiteral("Cannot open /music/broken.mp3");
  for (int pass = 0; pass < 3; ++pass) ReportError(song);  // a looping playlist
  ReportError(write);
  ASSERT_EQ(ErrorBoxes().size(), 1);
  QMessageBox* box = ErrorBoxes().first();
  EXPECT_EQ(box->text(), song + u'\n' + write);
  EXPECT_FALSE(box->isModal());  // the windows behind it go on working
  EXPECT_EQ(box->windowTitle(), QStringLiteral("Vantora"));
}

TEST_F(ErrorBox, QtsOwnTextsAreInChinese) {
  ASSERT_TRUE(LoadQtTranslations());
  ReportError(QStringLiteral("Unable to write to /x/scr.ini"));
  ASSERT_EQ(ErrorBoxes().size(), 1);
  EXPECT_EQ(ErrorBoxes().first()->button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Open"), QStringLiteral("打开"));
}

}  // namespace
}  // namespace vantora::test
