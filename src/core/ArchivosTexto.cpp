#include "core/ArchivosTexto.h"

#include <QFile>
#include <array>
#include <cerrno>

namespace quilmaro::texto {

namespace {

// 0x80..0x9F of Windows-1252; the five bytes the code page leaves undefined map to the C1
// control of the same number, so that no byte is lost on a round trip.
constexpr std::array<char16_t, 32> kAltos = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char byteDe(char16_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<char>(u);
    for (std::size_t i = 0; i < kAltos.size(); ++i)
        if (kAltos[i] == u)
            return static_cast<char>(0x80 + i);
    return '?';
}

}  // namespace

QByteArray aWindows1252(const QString& s) {
    QByteArray salida;
    salida.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c.isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) {
            salida.append('?');  // one character, one question mark
            ++i;
            continue;
        }
        salida.append(byteDe(c.unicode()));
    }
    return salida;
}

QString deWindows1252(const QByteArray& bytes) {
    QString salida;
    salida.reserve(bytes.size());
    for (char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        salida.append(u >= 0x80 && u <= 0x9F ? QChar(kAltos[u - 0x80]) : QChar(u));
    }
    return salida;
}

QString decodifica(const QByteArray& bytes) {
    QByteArray datos = bytes;
    const bool bom = datos.startsWith("\xEF\xBB\xBF");
    if (bom)
        datos.remove(0, 3);
    bool altos = false;
    for (char b : datos)
        if (static_cast<unsigned char>(b) >= 0x80) {
            altos = true;
            break;
        }
    if (!altos)
        return QString::fromLatin1(datos);
    if (QUtf8StringView(datos).isValidUtf8())
        return QString::fromUtf8(datos);
    return deWindows1252(bom ? bytes : datos);
}

QStringList separaLineas(const QString& s) {
    QStringList lineas;
    qsizetype inicio = 0;
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = s.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lineas.append(s.mid(inicio, i - inicio));
            if (c == QLatin1Char('\r') && i + 1 < n && s.at(i + 1) == QLatin1Char('\n'))
                ++i;
            inicio = i + 1;
        }
    }
    if (inicio < n)
        lineas.append(s.mid(inicio));
    return lineas;
}

QByteArray codificaLineas(const QStringList& lineas) {
    QByteArray salida;
    for (const QString& l : lineas) {
        salida += aWindows1252(l);
        salida += "\r\n";
    }
    return salida;
}

Error errorDeSistema(int e) {
    switch (e) {
        case ENOENT:
            return errores::deNumero(errores::ArchivoNoEncontrado);
        case ENOTDIR:
            return errores::deNumero(errores::RutaNoEncontrada);
        case EACCES:
        case EPERM:
        case EROFS:
            return errores::deNumero(errores::PermisoDenegado);
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return errores::deNumero(errores::DiscoLleno);
        case EISDIR:
        case EEXIST:
        case EBUSY:
            return errores::deNumero(errores::AccesoRuta);
        default:
            return errores::deNumero(errores::ErrorES);
    }
}

std::optional<Error> leeLineas(const QString& ruta, QStringList& lineas) {
    QFile f(ruta);
    errno = 0;
    if (!f.open(QIODevice::ReadOnly))
        return errorDeSistema(errno ? errno : ENOENT);
    errno = 0;
    const QByteArray datos = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return errorDeSistema(errno ? errno : EIO);
    lineas = separaLineas(decodifica(datos));
    return std::nullopt;
}

}  // namespace quilmaro::texto
