#pragma once
// Qt's own texts (the buttons of message boxes, the file dialog) in
// Simplified Chinese, the language of the program's windows, whatever the
// locale of the session.

namespace vantora {

// Installs Qt's zh_CN catalogue into the running application and makes
// zh_CN the default locale (dates, numbers, file type names). Returns false
// when the catalogue is not installed (the texts then stay in English).
bool LoadQtTranslations();

}  // namespace vantora
