// Value and text conversions of libTESK.

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "core/Regional.h"
#include "core/libTESK.h"
#include "platform/Plataforma.h"

namespace quilmaro {

namespace {

constexpr QChar kBlanco = QLatin1Char(' ');

QString recortaBlancos(const QString& s) {
    qsizetype i = 0, j = s.size();
    while (i < j && s.at(i) == kBlanco)
        ++i;
    while (j > i && s.at(j - 1) == kBlanco)
        --j;
    return s.mid(i, j - i);
}

bool saltable(QChar c) {
    return c == kBlanco || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

// "&H" / "&O" integers: up to 16 bits they read as a signed 16-bit value, up to 32 bits as a
// signed 32-bit value, beyond that as the plain unsigned value.
double leeEnteroConBase(QStringView t, qsizetype i, int base) {
    const auto b = static_cast<quint64>(base);  // 8, 10 or 16
    quint64 v = 0;
    bool desborde = false;
    for (; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (saltable(c))
            continue;
        int d = -1;
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            d = c.unicode() - '0';
        else if (base == 16 && c.toUpper() >= QLatin1Char('A') && c.toUpper() <= QLatin1Char('F'))
            d = c.toUpper().unicode() - 'A' + 10;
        if (d < 0 || d >= base)
            break;
        if (v > (std::numeric_limits<quint64>::max() - static_cast<quint64>(d)) / b)
            desborde = true;
        v = v * b + static_cast<quint64>(d);
    }
    if (desborde)
        return static_cast<double>(std::numeric_limits<quint64>::max());
    if (v <= 0xFFFF)
        return static_cast<double>(static_cast<qint16>(static_cast<quint16>(v)));
    if (v <= 0xFFFFFFFFULL)
        return static_cast<double>(static_cast<qint32>(static_cast<quint32>(v)));
    return static_cast<double>(v);
}

// The exponent that starts at t[i]: "E" or "D", an optional sign, digits, as "e", the sign and
// the digits; empty when there is none (without digits the letter is not part of the number).
std::string exponente(QStringView t, qsizetype i) {
    const qsizetype n = t.size();
    if (i >= n)
        return {};
    const QChar e = t.at(i).toUpper();
    if (e != QLatin1Char('E') && e != QLatin1Char('D'))
        return {};
    std::string texto = "e";
    qsizetype k = i + 1;
    while (k < n && saltable(t.at(k)))
        ++k;
    if (k < n && (t.at(k) == QLatin1Char('+') || t.at(k) == QLatin1Char('-'))) {
        texto += static_cast<char>(t.at(k).unicode());
        ++k;
    }
    bool hay = false;
    for (; k < n; ++k) {
        const QChar c = t.at(k);
        if (saltable(c))
            continue;
        if (c.unicode() < '0' || c.unicode() > '9')
            break;
        texto += static_cast<char>(c.unicode());
        hay = true;
    }
    return hay ? texto : std::string();
}

// The value of a decimal number already gathered ("-12.5e3"). Too large reads as the largest
// double; too small as zero.
double valorDecimal(const std::string& numero) {
    double v = 0.0;
    const char* inicio = numero.data();
    const char* fin = numero.data() + numero.size();
    if (*inicio == '-')
        ++inicio;  // from_chars takes the magnitude; the sign is applied below
    const auto r = std::from_chars(inicio, fin, v, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        const bool grande =
            numero.find('e') == std::string::npos || numero.find("e-") == std::string::npos;
        v = grande ? std::numeric_limits<double>::max() : 0.0;
    }
    return numero.front() == '-' ? -v : v;
}

}  // namespace

libTESK& libTESK::instancia() {
    static libTESK unica;
    return unica;
}

double libTESK::leePrefijoNumerico(QStringView t) {
    qsizetype i = 0;
    const qsizetype n = t.size();
    auto salta = [&] {
        while (i < n && saltable(t.at(i)))
            ++i;
    };
    salta();
    if (i + 1 < n && t.at(i) == QLatin1Char('&')) {
        const QChar b = t.at(i + 1).toUpper();
        if (b == QLatin1Char('H'))
            return leeEnteroConBase(t, i + 2, 16);
        if (b == QLatin1Char('O'))
            return leeEnteroConBase(t, i + 2, 8);
        return 0.0;
    }
    std::string numero;
    if (i < n && (t.at(i) == QLatin1Char('+') || t.at(i) == QLatin1Char('-'))) {
        if (t.at(i) == QLatin1Char('-'))
            numero += '-';
        ++i;
    }
    bool punto = false, digitos = false;
    for (; i < n; ++i) {
        const QChar c = t.at(i);
        if (saltable(c))
            continue;
        if (c.unicode() >= '0' && c.unicode() <= '9') {
            numero += static_cast<char>(c.unicode());
            digitos = true;
        } else if (c == QLatin1Char('.') && !punto) {
            numero += '.';
            punto = true;
        } else {
            break;
        }
    }
    if (!digitos)
        return 0.0;
    numero += exponente(t, i);
    return valorDecimal(numero);
}

Variante libTESK::AllTrim(const QString& Texto) {
    return Variante(recortaBlancos(Texto));
}

Variante libTESK::QuitaComas(const QString& Cantidad) {
    const QString recortado = recortaBlancos(Cantidad);
    if (recortado.size() > std::numeric_limits<std::int16_t>::max())
        errores::lanza(errores::Desbordamiento);
    QString salida;
    salida.reserve(recortado.size());
    for (QChar c : recortado)
        if (c != QLatin1Char(',') && c != QLatin1Char('$'))
            salida.append(c);
    return Variante(salida);
}

double libTESK::tkVal(const QString& Texto) {
    // Plain digits, as the list's numbers and identifiers are read row after row, are their own
    // value: no copy without commas, no scan for signs, points or exponents.
    if (!Texto.isEmpty() && Texto.size() <= 15) {
        qint64 valor = 0;
        bool digitos = true;
        for (const QChar c : Texto) {
            if (c.unicode() < '0' || c.unicode() > '9') {
                digitos = false;
                break;
            }
            valor = valor * 10 + (c.unicode() - '0');
        }
        if (digitos)
            return static_cast<double>(valor);
    }
    return leePrefijoNumerico(QuitaComas(Texto).texto());
}

QString libTESK::StrZero(std::int32_t Valor, std::int16_t Longitud) {
    const QString digitos = QString::number(Valor);
    if (Longitud < digitos.size())
        errores::lanza(errores::ArgumentoNoValido);
    return QString(Longitud - digitos.size(), QLatin1Char('0')) + digitos;
}

QString libTESK::Pad(QString& sDato, std::int16_t inLongitud, QString& sCaracter,
                     std::int16_t inJust0I1C2D) {
    if (sCaracter.isEmpty())
        sCaracter = QString(kBlanco);
    if (inLongitud < 0)
        errores::lanza(errores::ArgumentoNoValido);
    sDato = recortaBlancos(sDato).left(inLongitud);
    const qsizetype largo = sDato.size();
    const QChar relleno = sCaracter.at(0);
    switch (inJust0I1C2D) {
        case 0:
            return sDato + QString(inLongitud - largo, relleno);
        case 1: {
            const qsizetype izquierda = inLongitud / 2 - largo / 2;
            QString s = QString(izquierda, relleno) + sDato;
            return s + QString(inLongitud - s.size(), relleno);
        }
        case 2:
            return QString(inLongitud - largo, relleno) + sDato;
        default:
            return QString();
    }
}

std::int32_t libTESK::HtoD(const QString& stHexa) {
    const QString t = recortaBlancos(stHexa).toUpper();
    double total = 0.0;
    int k = 0;  // an 8-bit counter: the 256th place overflows
    for (qsizetype i = t.size() - 1; i >= 0; --i) {
        const QChar c = t.at(i);
        double valor;
        if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
            valor = c.unicode() - 'A' + 10;
        else
            valor = leePrefijoNumerico(QStringView(&t.data()[i], 1));
        total = std::nearbyint(total + valor * std::pow(16.0, k));
        if (total > std::numeric_limits<std::int32_t>::max() ||
            total < std::numeric_limits<std::int32_t>::min())
            errores::lanza(errores::Desbordamiento);
        if (++k > 255)
            errores::lanza(errores::Desbordamiento);
    }
    return static_cast<std::int32_t>(total);
}

void libTESK::Suma(Variante& vVariable, const Variante& vValor) {
    try {
        vVariable = Variante::suma(vVariable, vValor);
    } catch (const ErrorTESK& e) {
        muestraMensaje(QStringLiteral("Función 'Suma'. ") + e.descripcion(),
                       QStringLiteral("Detección de errores"), Botones::Aceptar, Icono::Critico);
    }
}

QString libTESK::FechaSQL(const QString& stFecha) {
    const auto f = leeFechaRegional(stFecha);
    if (!f)
        return QStringLiteral("0000-00-00");
    return QStringLiteral("%1-%2-%3").arg(f->year()).arg(f->month()).arg(f->day());
}

}  // namespace quilmaro
