// config_render OUTDIR [PROGRAM_FOLDER]
//
// Renders each configuration window into a PNG file under OUTDIR so its
// layout can be looked at without a display: the settings window with its
// first page of thumbnails (from PROGRAM_FOLDER's settings and "pics",
// default the folder of this program), the three tabs of the user settings
// dialog, the folder chooser and the about box.

#include <cstdio>

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTabWidget>

#include "config/Unit2.h"
#include "config/Unit3.h"
#include "config/Unit4.h"
#include "config/Unit5.h"
#include "platform/ProgramFolder.h"

using namespace vantora;

namespace {

bool Save(QWidget* window, const QString& file) {
  window->show();
  QCoreApplication::processEvents();
  return window->grab().save(file, "PNG");
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QFont::insertSubstitutions(QStringLiteral("宋体"), {QStringLiteral("AR PL UMing CN")});
  if (argc < 2) {
    std::fprintf(stderr, "usage: config_render OUTDIR [PROGRAM_FOLDER]\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);
  SetProgramArgument(argv[0]);
  std::string folder = argc > 2 ? std::string(argv[2]) + "/" : ProgramFolder();

  TForm2 form2(folder);
  TForm3 form3(form2.IniFile());
  TForm4 form4(form2.IniFile());
  TForm5 form5;
  form2.Form3 = &form3;
  form2.Form4 = &form4;
  form2.Form5 = &form5;
  form2.show();
  QDeadlineTimer deadline(20000);
  while (form2.PendingThumbnails() > 0 && !deadline.hasExpired())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);

  bool ok = Save(&form2, out + "/TForm2.png");
  for (int tab = 0; tab < form3.PageControl1()->count(); ++tab) {
    form3.PageControl1()->setCurrentIndex(tab);
    ok = Save(&form3, out + QStringLiteral("/TForm3-tab%1.png").arg(tab + 1)) && ok;
  }
  ok = Save(&form4, out + "/TForm4.png") && ok;
  ok = Save(&form5, out + "/TForm5.png") && ok;
  return ok ? 0 : 1;
}
