#include "platform/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace vantora {

bool LoadQtTranslations() {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return false;
  // Numbers, dates and the names of file types that Qt writes follow the
  // default locale: Chinese too, also in a session under LANG=C.
  QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
  // "qt_zh_CN" gathers the catalogues of Qt's modules (qtbase, ...).
  auto* translator = new QTranslator(app);
  if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qt"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  return true;
}

}  // namespace vantora
