#include "app/Windows.h"

#include <QApplication>
#include <QFont>
#include <QString>
#include <memory>

#include "app/PlaceholderForm.h"
#include "screens/Unit1.h"
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
// program.
template <typename Form>
std::unique_ptr<Form> SideWindow(std::unique_ptr<Form> form) {
  form->setAttribute(Qt::WA_QuitOnClose, false);
  return form;
}

}  // namespace

void RunShowMode(int& argc, char** argv) {
  QApplication app(argc, argv);
  RegisterFontSubstitutions();
  auto form1 = std::make_unique<TForm1>();
  form1->show();
  app.exec();
}

void RunConfigurationMode(int& argc, char** argv) {
  QApplication app(argc, argv);
  RegisterFontSubstitutions();
  // Placeholders until the configuration windows are built; the creation
  // order is fixed: TForm2, TForm3, TForm4, TForm5, Tform6.
  auto form2 = std::make_unique<PlaceholderForm>(
      QStringLiteral("TForm2"), QStringLiteral("settings window with the thumbnail browser"));
  auto form3 = SideWindow(std::make_unique<PlaceholderForm>(
      QStringLiteral("TForm3"), QStringLiteral("user settings dialog")));
  auto form4 = SideWindow(std::make_unique<PlaceholderForm>(
      QStringLiteral("TForm4"), QStringLiteral("picture folder chooser")));
  auto form5 = SideWindow(std::make_unique<PlaceholderForm>(
      QStringLiteral("TForm5"), QStringLiteral("about box")));
  auto form6 = SideWindow(std::make_unique<Tform6>());
  form2->show();
  app.exec();
}

}  // namespace vantora
