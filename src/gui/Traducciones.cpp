#include "gui/Traducciones.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "core/Regional.h"

namespace quilmaro {

bool cargaTraduccionesQt(const QLocale& loc) {
    // One translator for the whole run, replaced when the language changes.
    static QTranslator* instalado = nullptr;
    auto* nuevo = new QTranslator(QCoreApplication::instance());
    // qtbase holds the dialogs' texts; "es-MX" finds qtbase_es when there is no qtbase_es_MX.
    if (!nuevo->load(loc, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete nuevo;
        return false;
    }
    if (instalado) {
        QCoreApplication::removeTranslator(instalado);
        delete instalado;
    }
    instalado = nuevo;
    return QCoreApplication::installTranslator(nuevo);
}

bool cargaTraduccionesQt() {
    return cargaTraduccionesQt(regional());
}

}  // namespace quilmaro
