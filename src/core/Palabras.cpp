// Amounts in words: whole numbers and money amounts written in Spanish capitals, as they go on
// cheques and invoices. The number words carry no accents; currency names keep theirs.

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "core/Regional.h"
#include "core/libTESK.h"

namespace quilmaro {

namespace {

constexpr std::array<const char*, 10> kCentenas = {"",
                                                   "ciento ",
                                                   "doscientos ",
                                                   "trescientos ",
                                                   "cuatrocientos ",
                                                   "quinientos ",
                                                   "seiscientos ",
                                                   "setecientos ",
                                                   "ochocientos ",
                                                   "novecientos "};
constexpr std::array<const char*, 10> kDecenas = {"",          "",           "",         "treinta ",
                                                  "cuarenta ", "cincuenta ", "sesenta ", "setenta ",
                                                  "ochenta ",  "noventa "};
constexpr std::array<const char*, 10> kUnidades = {"",       "un ",   "dos ",   "tres ", "cuatro ",
                                                   "cinco ", "seis ", "siete ", "ocho ", "nueve "};
constexpr std::array<const char*, 6> kDieces = {"diez ",  "once ",    "doce ",
                                                "trece ", "catorce ", "quince "};

// Appends the words of one group of three digits. `unidadPermitida` is cleared while a teen word
// already carries its unit.
void escribeGrupo(QString& texto, std::size_t h, std::size_t t, std::size_t u,
                  bool& unidadPermitida) {
    if (h >= 1)
        texto += QLatin1String(h == 1 && t == 0 && u == 0 ? "cien " : kCentenas[h]);
    if (t >= 1) {
        if (t == 1 && u >= 1 && u <= 5)
            unidadPermitida = false;
        if (t == 1)
            texto += QLatin1String(u <= 5 ? kDieces[u] : "dieci");
        else if (t == 2)
            texto += QLatin1String(u == 0 ? "veinte " : "veinti");
        else {
            texto += QLatin1String(kDecenas[t]);
            if (u >= 1)
                texto += QLatin1String("y ");
        }
    }
    if (u >= 1) {
        if (unidadPermitida)
            texto += QLatin1String(kUnidades[u]);
        unidadPermitida = true;
    }
}

// The words of a magnitude of at most ten digits (the largest is 2,147,483,648), in lower case.
QString palabras(std::int64_t magnitud) {
    if (magnitud == 0)
        return QStringLiteral("Cero ");
    // d[0] is the thousands of millions; then hundreds, tens and units of the millions, the
    // thousands and the units.
    std::array<std::size_t, 10> d{};
    for (std::size_t i = d.size(); i-- > 0;) {
        d[i] = static_cast<std::size_t>(magnitud % 10);
        magnitud /= 10;
    }
    QString texto;
    bool unidadPermitida = true;
    if (d[0] >= 1) {
        texto += QLatin1String(kUnidades[d[0]]);
        texto += QLatin1String("mil ");
    }
    const bool millones = d[1] + d[2] + d[3] > 0;
    escribeGrupo(texto, d[1], d[2], d[3], unidadPermitida);
    if (d[0] >= 1 || millones)
        texto += QLatin1String(d[0] == 0 && d[1] == 0 && d[2] == 0 && d[3] == 1 ? "millon "
                                                                                : "millones ");
    const bool miles = d[4] + d[5] + d[6] > 0;
    escribeGrupo(texto, d[4], d[5], d[6], unidadPermitida);
    if (miles)
        texto += QLatin1String("mil ");
    escribeGrupo(texto, d[7], d[8], d[9], unidadPermitida);
    return texto;
}

}  // namespace

QString libTESK::Numeros(std::int32_t Numero) {
    // The sign never reaches the words: a negative number is written like its absolute value.
    const std::int64_t n = Numero;
    return palabras(n < 0 ? -n : n).toUpper();
}

QString libTESK::Moneda(double Cantidad) {
    return Moneda(Cantidad, QString());
}

QString libTESK::Moneda(double Cantidad, const QString& Divisa) {
    if (!std::isfinite(Cantidad))
        errores::lanza(errores::Desbordamiento);
    // The cents are those the figure beside the words shows: rounded half away from zero on the
    // decimal value (17.255, kept as 17.25499..., is 17.26), so 12.999 is 13 pesos and never
    // "100/100". A negative amount is written by its absolute value.
    const bool negativa = Cantidad < 0;
    const double magnitud = std::fabs(redondeaMitad(Cantidad, 2));
    // The whole part, with its sign, must be a 32-bit integer.
    const double limite = negativa ? -static_cast<double>(std::numeric_limits<std::int32_t>::min())
                                   : static_cast<double>(std::numeric_limits<std::int32_t>::max());
    if (std::floor(magnitud) > limite)
        errores::lanza(errores::Desbordamiento);
    const auto enCentavos = static_cast<std::int64_t>(std::llround(magnitud * 100.0));
    const std::int64_t entera = enCentavos / 100;
    const int c = static_cast<int>(enCentavos % 100);

    const QString codigo = Divisa.trimmed().toUpper();
    QString nombre, cierre;
    if (codigo.isEmpty() || codigo == QLatin1String("MXN") || codigo == QLatin1String("MN")) {
        nombre = QStringLiteral("PESOS");
        cierre = QStringLiteral("M. N.");
    } else {
        static const struct {
            const char* codigo;
            const char* nombre;
        } kDivisas[] = {{"USD", "DÓLARES"},
                        {"EUR", "EUROS"},
                        {"CAD", "DÓLARES CANADIENSES"},
                        {"GBP", "LIBRAS ESTERLINAS"},
                        {"JPY", "YENES"}};
        nombre = codigo;
        for (const auto& d : kDivisas) {
            if (codigo == QLatin1String(d.codigo))
                nombre = QString::fromUtf8(d.nombre);
        }
        cierre = codigo;
    }
    const QString textoCentavos =
        c < 10 ? QStringLiteral(" 0%1").arg(c) : QStringLiteral(" %1").arg(c);
    return palabras(entera).toUpper() + nombre + textoCentavos + QStringLiteral("/100 ") + cierre;
}

}  // namespace quilmaro
