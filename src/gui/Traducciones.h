#pragma once
// Qt's own texts (file, print and page set-up dialogs, standard buttons, key names) in the
// program's language.

#include <QLocale>

namespace quilmaro {

// Installs Qt's translations for the language of loc (by default the regional settings the
// program uses) on the running application. Returns whether a translation was found; without
// one Qt's texts stay in English and the program works as usual.
bool cargaTraduccionesQt(const QLocale& loc);
bool cargaTraduccionesQt();

}  // namespace quilmaro
