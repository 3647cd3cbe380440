// Amounts in words: whole numbers and money amounts written in Spanish capitals, as they go on
// cheques and invoices. The words carry no accents.

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

#include "lib/libTESK.h"

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
void escribeGrupo(QString& texto, int h, int t, int u, bool& unidadPermitida) {
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
    std::array<int, 10> d{};
    for (int i = 9; i >= 0; --i) {
        d[i] = static_cast<int>(magnitud % 10);
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
    if (!std::isfinite(Cantidad))
        errores::lanza(errores::Desbordamiento);
    // The amount is rounded to whole cents before it is split (halves of a cent go to the even
    // neighbour), so 12.999 is 13 pesos and never "100/100"; a negative amount is written by its
    // absolute value.
    const bool negativa = Cantidad < 0;
    const double magnitud = std::fabs(Cantidad);
    double entera = std::floor(magnitud);
    double centavos = std::nearbyint((magnitud - entera) * 100.0);
    if (centavos >= 100.0) {
        entera += 1.0;
        centavos = 0.0;
    }
    // The whole part, with its sign, must be a 32-bit integer.
    const double limite = negativa ? -static_cast<double>(std::numeric_limits<std::int32_t>::min())
                                   : static_cast<double>(std::numeric_limits<std::int32_t>::max());
    if (entera > limite)
        errores::lanza(errores::Desbordamiento);

    const int c = static_cast<int>(centavos);
    const QString textoCentavos =
        c < 10 ? QStringLiteral(" 0%1").arg(c) : QStringLiteral(" %1").arg(c);
    return palabras(static_cast<std::int64_t>(entera)).toUpper() + QStringLiteral("PESOS") +
           textoCentavos + QStringLiteral("/100 M. N.");
}

}  // namespace quilmaro
