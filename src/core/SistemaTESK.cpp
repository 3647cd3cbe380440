// File and system helpers of libTESK that need no window: a pause, drive serials, the computer's
// name, file attributes, disk space and opening documents.

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QSysInfo>
#include <QUrl>
#include <chrono>
#include <thread>

#include "core/Biblioteca.h"
#include "core/libTESK.h"
#include "platform/Sistema.h"

namespace quilmaro {

namespace {

// Attribute letters in the order they are read, with their bits.
struct Letra {
    QChar letra;
    std::uint32_t valor;
};
constexpr Letra kLetras[] = {{QLatin1Char('A'), 32}, {QLatin1Char('D'), 16}, {QLatin1Char('V'), 8},
                             {QLatin1Char('S'), 4},  {QLatin1Char('H'), 2},  {QLatin1Char('R'), 1}};

// What a document opener answers, in the numbers of the system the program comes from.
constexpr std::int32_t kAbierto = 42;  // any value above 32 is success
constexpr std::int32_t kArchivoNoEncontrado = 2;
constexpr std::int32_t kRutaNoEncontrada = 3;
constexpr std::int32_t kSinAsociacion = 31;

}  // namespace

QString textoDeVolumen(std::uint32_t serie, const QString& etiqueta) {
    QString nombre = etiqueta.left(etiqueta.indexOf(QChar(0)));  // whole when there is no NUL
    if (tesk().AllTrim(nombre).texto().isEmpty())
        nombre = QStringLiteral("(no label)");
    QString digitos = QString::number(serie, 16).toUpper();
    QString relleno = QStringLiteral("0");
    return tesk().Pad(digitos, 8, relleno, 2) + nombre;
}

void libTESK::Segundos(std::int32_t MiliSegundos) {
    if (MiliSegundos > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(MiliSegundos));
}

QString libTESK::LeeSerie(QString& Ruta) {
    if (AllTrim(Ruta).texto().isEmpty())
        Ruta = QStringLiteral("C");
    Ruta = Ruta.left(1).toUpper();
    const auto volumen = sistema::leeVolumen(Ruta);
    if (!volumen)
        return QString(23, QLatin1Char(' '));
    return textoDeVolumen(volumen->serie, volumen->etiqueta);
}

QString libTESK::LeeSerie() {
    QString ruta;
    return LeeSerie(ruta);
}

QString libTESK::NetName() {
    return QSysInfo::machineHostName();
}

QString libTESK::Atributo(const QString& sArchivo, const QString& sAtributos) {
    if (!AllTrim(sAtributos).texto().isEmpty()) {
        const QString letras = sAtributos.toUpper();
        std::uint32_t palabra = 0;
        if (letras.contains(QLatin1Char('A')))
            palabra += 32;
        if (letras.contains(QLatin1Char('S')))
            palabra += 4;
        if (letras.contains(QLatin1Char('H')))
            palabra += 2;
        if (letras.contains(QLatin1Char('R')))
            palabra += 1;
        // A failure to set shows in the letters read back.
        sistema::fijaAtributos(sArchivo, palabra);
    }
    const auto leida = sistema::leeAtributos(sArchivo);
    if (!leida || *leida == 0 || *leida >= 128)
        return QString();
    std::uint32_t resto = *leida;
    QString resultado;
    for (const Letra& l : kLetras) {
        if (l.valor <= resto) {
            resultado += l.letra;
            resto -= l.valor;
        }
    }
    return resultado;
}

Moneda64 libTESK::EspacioLibre(QString lpRootPathName) {
    const auto e = sistema::espacioDeDisco(lpRootPathName);
    return e ? Moneda64::deSinSigno(e->libre) : Moneda64();
}

Moneda64 libTESK::EspacioTotal(QString lpRootPathName) {
    const auto e = sistema::espacioDeDisco(lpRootPathName);
    return e ? Moneda64::deSinSigno(e->total) : Moneda64();
}

std::int32_t libTESK::AbreDocumento(const QString& stArchivo, std::int32_t inhWnd) {
    // The desktop's opener has no owner window; inhWnd is accepted for the callers' sake.
    Q_UNUSED(inhWnd);
    if (AllTrim(stArchivo).texto().isEmpty())
        return kArchivoNoEncontrado;
    QUrl direccion;
    const QUrl comoDireccion(stArchivo, QUrl::StrictMode);
    // An address with a scheme of its own ("https:", "mailto:"); one letter is a drive.
    if (comoDireccion.isValid() && comoDireccion.scheme().size() > 1 &&
        !QFileInfo::exists(stArchivo)) {
        direccion = comoDireccion;
    } else {
        // A relative name is taken from the current folder, which is the program folder.
        const QFileInfo archivo(stArchivo);
        if (!archivo.exists())
            return archivo.absoluteDir().exists() ? kArchivoNoEncontrado : kRutaNoEncontrada;
        direccion = QUrl::fromLocalFile(archivo.absoluteFilePath());
    }
    return QDesktopServices::openUrl(direccion) ? kAbierto : kSinAsociacion;
}

}  // namespace quilmaro
