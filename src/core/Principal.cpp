#include "core/Principal.h"

#include <QDir>
#include <optional>
#include <utility>

#include "core/Globales.h"
#include "core/libTESK.h"
#include "platform/Plataforma.h"

namespace quilmaro {

namespace {

// The server's wait in seconds from the settings file: the default when the key is empty or
// cannot be read (that failure is reported with the other settings), and a warning with the
// default when it is no number of seconds from 1 to 3600.
int leeEspera(libTESK& lib, QString& archivo) {
    QString espera;
    try {
        espera = lib.ObtenINI(kClaveEspera, archivo).trimmed();
    } catch (const ErrorTESK&) {
        return kEsperaPredeterminada;
    }
    if (espera.isEmpty())
        return kEsperaPredeterminada;
    bool ok = false;
    const int segundos = espera.toInt(&ok);
    if (ok && segundos >= 1 && segundos <= 3600)
        return segundos;
    muestraMensaje(QStringLiteral("El valor \"%1\" de %2 en el archivo de configuración\n%3\n"
                                  "no es un número de segundos entre 1 y 3600. El programa "
                                  "esperará al servidor %4 segundos.")
                       .arg(espera, kClaveEspera, archivo)
                       .arg(kEsperaPredeterminada),
                   QStringLiteral("Atención"), Botones::Aceptar, Icono::Exclamacion);
    return kEsperaPredeterminada;
}

// Whether the server and database names can go into a connection string, whose options are
// separated by ";" and whose values may stand in braces: such a name would choose another
// server, socket or user. The first that cannot is shown as an error.
bool nombresUtilizables(const QString& archivo) {
    for (const auto& [clave, valor] :
         {std::pair{kClaveServidor, stServidor}, std::pair{kClaveBaseDeDatos, stBaseDeDatos}}) {
        if (valor.contains(QLatin1Char(';')) || valor.contains(QLatin1Char('{')) ||
            valor.contains(QLatin1Char('}'))) {
            muestraMensaje(
                QStringLiteral("El valor \"%1\" de %2 en el archivo de configuración\n%3\n"
                               "no puede usarse: un nombre de servidor o de base de datos "
                               "no lleva \";\", \"{\" ni \"}\". Corríjalo y vuelva a "
                               "abrir el programa.")
                    .arg(valor, clave, archivo),
                QStringLiteral("Error"), Botones::Aceptar, Icono::Critico);
            return false;
        }
    }
    return true;
}

}  // namespace

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
    inEsperaServidor = leeEspera(lib, archivo);

    if (falla) {
        muestraMensaje(
            QStringLiteral("No se pudo leer o escribir el archivo de configuración\n%1\n\n"
                           "%2 (No. %3)\n\nEl programa usará los valores "
                           "predeterminados donde falten.")
                .arg(archivo, falla->descripcion)
                .arg(falla->numero),
            QStringLiteral("Atención"), Botones::Aceptar, Icono::Exclamacion);
    }
    if (!nombresUtilizables(archivo))
        return;

    QDir::setCurrent(carpetaPrograma);
    if (muestraVentana)
        muestraVentana();
}

}  // namespace quilmaro
