#pragma once
// The program's entry routine.

#include <QString>
#include <functional>

namespace quilmaro {

// The program's title: main window caption and the title of its plain messages.
inline const QString kTituloPrograma = QStringLiteral("Quilmaro");

inline const QString kArchivoConfiguracion = QStringLiteral("QUILMARO.INI");
inline const QString kClaveServidor = QStringLiteral("[Ruta de los datos del sistema]");
inline const QString kClaveBaseDeDatos = QStringLiteral("[Base de datos a usar]");
inline const QString kClaveUrl = QStringLiteral("[URL de los datos del sistema]");
// Optional: the seconds the program waits for the server (inEsperaServidor); not written.
inline const QString kClaveEspera = QStringLiteral("[Segundos de espera del servidor]");
inline const QString kServidorPredeterminado = QStringLiteral("localhost");
inline const QString kBaseDeDatosPredeterminada = QStringLiteral("datos1");
inline const QString kUrlPredeterminada = QStringLiteral("c:\\mysql\\data");

// Makes sure QUILMARO.INI in carpetaPrograma holds the three settings (writing the defaults that
// are missing), sets stServidor, stBaseDeDatos and stRutaPrograma, makes the folder current and
// calls muestraVentana, which shows the main window modally and returns when it is gone.
// When the settings file cannot be read or written, it says so and goes on with the defaults.
// A server or database name that would add options to the connection string (";", "{" or "}")
// is refused with a message naming the key, and the window is not shown. A wait that is not a
// whole number of seconds from 1 to 3600 is named in a message and the default is used.
void Main(const QString& carpetaPrograma, const std::function<void()>& muestraVentana);

}  // namespace quilmaro
