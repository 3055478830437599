// The language of the window and the reports: the translators that Qt's tr() consults, loaded from
// the translations embedded in the library.
#pragma once

#include <QLocale>

namespace bcf {

// Installs in the running application the translations of the window and the reports for
// `language`, replacing those this function installed before: the library's own catalogue for
// the language (when it has one), Qt's catalogue for its dialogs' buttons (when installed on the
// machine), and the English plural forms, which every other language falls back to; dates take
// the language's forms (setDateLocale). Texts shown from then on are in that language; widgets
// made before keep theirs.
void setLanguage(const QLocale& language);

// The language set last; QLocale() while none was set.
QLocale language();

// Installs the translations of language() unless they are installed in the running application
// already (once per application: a new QApplication gets them again).
void ensureLanguage();

} // namespace bcf
