// Raw printer output of libTESK: text placed by line and column straight onto a printer port (a
// parallel port, another device or a file), in Windows-1252 with CR LF line ends.

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <limits>
#include <memory>

#include "core/ArchivosTexto.h"
#include "core/Biblioteca.h"
#include "core/libTESK.h"
#include "platform/Plataforma.h"
#include "platform/Sistema.h"

namespace quilmaro {

namespace {

const QString kTituloError = QStringLiteral("ERROR");
const QString kFinDeLinea = QStringLiteral("\r\n");
const QString kSaltoDePagina = QStringLiteral("\f\r\n");

// The flags of the error word in the order they are checked, with their messages (the port name
// follows each).
struct Aviso {
    std::uint32_t bandera;
    const char* texto;
};
constexpr Aviso kAvisos[] = {
    {puerto::kInterrupcion, "Error genérico en el puerto "},
    {puerto::kTiempoAgotado, "Tiempo de espera de impresora agotado, en "},
    {puerto::kErrorES, "Error de entrada/salida con el puerto "},
    {puerto::kNoSeleccionado, "Dispositivo no seleccionado, o no está listo, en "},
    {puerto::kSinPapel, "Sin papel en la impresora "},
};

Error errorDePuerto(int e) {
    if (e == ENODEV || e == ENXIO)
        return errores::deNumero(errores::DispositivoNoDisponible);
    return texto::errorDeSistema(e ? e : EIO);
}

}  // namespace

// --- Port check ----------------------------------------------------------------------------------

void puerto::aplicaReglaDeNombre(QString& nombre) {
    if (tesk().AllTrim(nombre).texto().isEmpty())
        nombre = QStringLiteral("LPT1");
    else if (numeroDeImpresora(nombre) != 0)
        nombre = nombre.toUpper();
}

QStringList puerto::mensajesDeEstado(std::uint32_t banderas, const QString& nombre) {
    QStringList mensajes;
    for (const Aviso& a : kAvisos)
        if (banderas & a.bandera)
            mensajes.append(QString::fromUtf8(a.texto) + nombre);
    return mensajes;
}

bool puerto::avisaEstado(std::uint32_t banderas, const QString& nombre, bool avisar) {
    const QStringList mensajes = mensajesDeEstado(banderas, nombre);
    if (avisar)
        for (const QString& m : mensajes)
            muestraMensaje(m, kTituloError, Botones::Aceptar, Icono::Critico);
    return mensajes.isEmpty();
}

bool RevisaPuerto(QString& nombre, bool avisar) {
    puerto::aplicaReglaDeNombre(nombre);
    const sistema::EstadoPuerto estado = sistema::consultaPuerto(nombre);
    if (!estado.abierto) {
        // Nothing can be printed on a port that does not open.
        if (avisar)
            muestraMensaje(QStringLiteral("Error de apertura del puerto ") + nombre, kTituloError,
                           Botones::Aceptar, Icono::Critico);
        return false;
    }
    return puerto::avisaEstado(estado.banderas, nombre, avisar);
}

// --- libTESK -------------------------------------------------------------------------------------

bool libTESK::ImpresoraLista(QString& sPuerto, bool bAvisarEstado) {
    return RevisaPuerto(sPuerto, bAvisarEstado);
}

bool libTESK::ImpresoraLista() {
    QString puerto;
    return ImpresoraLista(puerto);
}

bool libTESK::IniciaImpresora(QString& Puerto) {
    puerto::aplicaReglaDeNombre(Puerto);
    // One port at a time: an earlier one would stay open for nobody and keep a printer device
    // busy for the check below.
    CierraImpresora();
    if (!RevisaPuerto(Puerto, true))
        return false;
    // Unbuffered, so that each value reaches the port when it is written and a device failure
    // reaches the call that wrote it.
    auto archivo = std::make_unique<QFile>(sistema::rutaDePuerto(Puerto));
    QIODevice::OpenMode modo = QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered;
    if (puerto::numeroDeImpresora(Puerto) != 0)
        modo |= QIODevice::ExistingOnly;
    errno = 0;
    if (!archivo->open(modo))
        throw ErrorTESK(errorDePuerto(errno));
    puertoImp_ = archivo.release();
    HandleImpres = 1;
    LineaImp = 1;
    columnaImp_ = 1;
    return true;
}

bool libTESK::IniciaImpresora() {
    QString puerto;
    return IniciaImpresora(puerto);
}

void libTESK::escribePuerto(const QString& texto) {
    if (!puertoImp_)
        errores::lanza(errores::NombreArchivoIncorrecto);
    const QByteArray bytes = texto::aWindows1252(texto);
    errno = 0;
    if (puertoImp_->write(bytes) != bytes.size())
        throw ErrorTESK(errorDePuerto(errno));
    const qsizetype fin =
        std::max(texto.lastIndexOf(QLatin1Char('\r')), texto.lastIndexOf(QLatin1Char('\n')));
    if (fin >= 0)
        columnaImp_ = 1 + static_cast<int>(texto.size() - fin - 1);
    else
        columnaImp_ += static_cast<int>(texto.size());
}

void libTESK::Imprime(std::int16_t Ren, std::int16_t Col, const Variante& Dato) {
    if (Ren < LineaImp) {
        escribePuerto(kSaltoDePagina);
        LineaImp = 1;
    }
    if (Ren > LineaImp) {
        escribePuerto(kFinDeLinea.repeated(Ren - LineaImp));
        LineaImp = Ren;
    }
    // A column already passed (or below 1) is written where the print position stands; moving
    // to the next line would leave the line count behind.
    const int columna = std::max<int>(Col, 1);
    if (columnaImp_ < columna)
        escribePuerto(QString(columna - columnaImp_, QLatin1Char(' ')));
    escribePuerto(Dato.aTexto());
}

void libTESK::Centra(const QString& Dato, std::int16_t Linea, std::int16_t& Columnas) {
    if (Columnas == 0)
        Columnas = 80;
    const double columna = std::nearbyint((Columnas - static_cast<double>(Dato.size())) / 2.0);
    const double limite = std::numeric_limits<std::int16_t>::max();
    Imprime(Linea, static_cast<std::int16_t>(std::clamp(columna, -limite, limite)), Dato);
}

void libTESK::CadenaImp(const QString& Dato) {
    escribePuerto(Dato);
}

QString libTESK::CadConfImp(const QString& Cadena) {
    if (Cadena.size() > 254)
        errores::lanza(errores::Desbordamiento);
    QByteArray codigos;
    QString pendiente;
    auto agrega = [&] {
        const double codigo = std::nearbyint(tkVal(pendiente));
        if (!(codigo >= 0 && codigo <= 255))
            errores::lanza(errores::ArgumentoNoValido);
        codigos.append(static_cast<char>(static_cast<int>(codigo)));
        pendiente.clear();
    };
    for (QChar c : Cadena) {
        if (c == QLatin1Char(','))
            agrega();
        else
            pendiente += c;
    }
    agrega();
    return texto::deWindows1252(codigos);
}

void libTESK::Eject() {
    escribePuerto(kSaltoDePagina);
    CierraImpresora();
}

void libTESK::CierraImpresora() {
    if (!puertoImp_)
        return;
    puertoImp_->close();
    delete puertoImp_;
    puertoImp_ = nullptr;
}

}  // namespace quilmaro
