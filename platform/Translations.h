#pragma once
// Qt's own texts (the buttons of message boxes, the file dialog) in
// Simplified Chinese, the language of the program's windows, whatever the
// locale of the session.

namespace vantora {

// Installs Qt's zh_CN catalogue into the running application. Returns
// false when it is not installed (the texts then stay in English).
bool LoadQtTranslations();

}  // namespace vantora
