#include "startup/Principal.h"

#include <QDir>
#include <optional>

#include "lib/libTESK.h"
#include "platform/Plataforma.h"
#include "startup/Globales.h"

namespace quilmaro {

void Main(const QString& carpetaPrograma, const std::function<void()>& muestraVentana) {
    const QString carpeta = QDir::toNativeSeparators(carpetaPrograma);
    QString archivo = carpeta + QDir::separator() + kArchivoConfiguracion;
    libTESK& lib = libTESK::instancia();

    std::optional<Error> falla;
    // One setting: read it; when empty write its default and read it again.
    auto asegura = [&](const QString& clave, const QString& predeterminado) -> QString {
        try {
            QString valor = lib.ObtenINI(clave, archivo);
            if (valor.isEmpty()) {
                lib.CambiaIni(clave, predeterminado, archivo);
                valor = lib.ObtenINI(clave, archivo);
            }
            return valor;
        } catch (const ErrorTESK& e) {
            if (!falla)
                falla = e.error();
            return predeterminado;
        }
    };

    stServidor = asegura(kClaveServidor, kServidorPredeterminado).toLower();
    if (stServidor == kServidorPredeterminado)
        stServidor.clear();
    stBaseDeDatos = asegura(kClaveBaseDeDatos, kBaseDeDatosPredeterminada).toLower();
    asegura(kClaveUrl, kUrlPredeterminada);
    stRutaPrograma = carpeta + QDir::separator();

    if (falla) {
        muestraMensaje(
            QStringLiteral("No se pudo leer o escribir el archivo de configuración\n%1\n\n"
                           "%2 (No. %3)\n\nEl programa usará los valores "
                           "predeterminados donde falten.")
                .arg(archivo, falla->descripcion)
                .arg(falla->numero),
            QStringLiteral("Atención"), Botones::Aceptar, Icono::Exclamacion);
    }

    QDir::setCurrent(carpetaPrograma);
    if (muestraVentana)
        muestraVentana();
}

}  // namespace quilmaro
