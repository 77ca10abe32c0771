#include "app/Windows.h"

#include <cstdio>

#include <QApplication>
#include <QFont>
#include <QString>
#include <memory>

#include "app/Signals.h"
#include "config/Unit2.h"
#include "config/Unit3.h"
#include "config/Unit4.h"
#include "config/Unit5.h"
#include "platform/ProgramWindow.h"
#include "platform/Translations.h"
#include "screens/ScreenShows.h"
#include "screens/Unit6.h"

namespace vantora {

namespace {

// The window layouts name their font by its Chinese name or its Latin
// alias; both resolve to the Ming-style font installed with the program.
void RegisterFontSubstitutions() {
  const QStringList ming{QStringLiteral("AR PL UMing CN")};
  QFont::insertSubstitutions(QStringLiteral("宋体"), ming);
  QFont::insertSubstitutions(QStringLiteral("SimSun"), ming);
}

// A window that lives beside the main window: created hidden, shown and
// hidden by the settings window, and never the one whose closing ends the
// program. The dialogs are kept in front of the settings window, so none
// opens behind it or disappears behind it when the user clicks it.
template <typename Form>
std::unique_ptr<Form> SideWindow(std::unique_ptr<Form> form, QWidget* owner = nullptr) {
  form->setAttribute(Qt::WA_QuitOnClose, false);
  if (owner) KeepInFrontOf(form.get(), owner);
  return form;
}

// What both run modes need before their windows: the fonts, Qt's texts in
// Chinese, and an event loop that only the main window ends (a closing
// dialog box is never taken for the program's last window).
void PrepareApplication(QApplication& app) {
  RegisterFontSubstitutions();
  LoadQtTranslations();
  app.setQuitOnLastWindowClosed(false);
}

}  // namespace

std::unique_ptr<TFrameStats> OpenFrameStats(const std::string& statsFile) {
  if (statsFile.empty()) return nullptr;
  auto stats = std::make_unique<TFrameStats>(statsFile);
  if (stats->IsOpen()) return stats;
  std::fprintf(stderr, "vantora: no frame log: %s\n", stats->Error().c_str());
  return nullptr;
}

void RunShowMode(int& argc, char** argv, const std::string& statsFile) {
  TQuitOnSignals quitOnSignals;
  const auto stats = OpenFrameStats(statsFile);
  QApplication app(argc, argv);
  quitOnSignals.Listen();
  PrepareApplication(app);
  // A show window on every screen; any of them closing ends the show.
  TScreenShows shows;
  shows.LogFrames(stats.get());
  shows.Show();
  app.exec();
}

void RunConfigurationMode(int& argc, char** argv) {
  TQuitOnSignals quitOnSignals;
  QApplication app(argc, argv);
  quitOnSignals.Listen();
  PrepareApplication(app);
  // The creation order is fixed: TForm2, TForm3, TForm4, TForm5, Tform6.
  auto form2 = std::make_unique<TForm2>();
  auto form3 = SideWindow(std::make_unique<TForm3>(form2->IniFile()), form2.get());
  auto form4 = SideWindow(std::make_unique<TForm4>(form2->IniFile()), form2.get());
  auto form5 = SideWindow(std::make_unique<TForm5>(), form2.get());
  auto form6 = SideWindow(std::make_unique<Tform6>());
  form2->Form3 = form3.get();
  form2->Form4 = form4.get();
  form2->Form5 = form5.get();
  form2->Form6 = form6.get();
  form2->ResetPreviewGuard = [preview = form6.get()] { preview->ResetGuard(); };
  form2->OnClose = [] { QApplication::quit(); };
  form2->show();
  app.exec();
}

}  // namespace vantora
