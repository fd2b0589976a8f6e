// Qt's own texts (message-box buttons, the file and folder pickers, the context menus of
// edit boxes) in the interface language, from the translations installed with Qt.
#pragma once

#include <QString>

namespace lum {

// The Qt locale name of a language id (1041 "ja"); empty for English and for a language
// whose Qt texts we do not load.
QString QtLocaleNameOf(int langId);

// Installs Qt's translations for the language into the application, replacing those of the
// previous call, or removes them for English. A language whose files are missing leaves
// Qt's texts in English. Call with the application object alive, on its thread.
void ApplyQtTranslations(int langId);

}  // namespace lum
