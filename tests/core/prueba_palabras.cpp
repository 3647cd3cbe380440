// Amounts in words (Numeros, Moneda) and in figures: the words say the cents the figure shows.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "AyudaPruebas.h"
#include "core/Regional.h"
#include "core/libTESK.h"

using namespace quilmaro;
using prueba::numeroDeError;

TEST(Numeros, CadaGrupoYSusLimites) {
    using C = std::pair<std::int32_t, const char*>;
    // Negatives by their absolute value.
    const char* minimo =
        "DOS MIL CIENTO CUARENTA Y SIETE MILLONES CUATROCIENTOS OCHENTA Y TRES MIL SEISCIENTOS "
        "CUARENTA Y OCHO ";
    // clang-format off
    for (auto [numero, palabras] :
         {C{0, "CERO "}, C{1, "UN "}, C{11, "ONCE "}, C{15, "QUINCE "}, C{16, "DIECISEIS "},
          C{20, "VEINTE "}, C{21, "VEINTIUN "}, C{22, "VEINTIDOS "}, C{29, "VEINTINUEVE "},
          C{30, "TREINTA "}, C{31, "TREINTA Y UN "}, C{99, "NOVENTA Y NUEVE "},
          C{100, "CIEN "}, C{101, "CIENTO UN "}, C{115, "CIENTO QUINCE "},
          C{121, "CIENTO VEINTIUN "}, C{500, "QUINIENTOS "}, C{1000, "UN MIL "},
          C{1015, "UN MIL QUINCE "}, C{21000, "VEINTIUN MIL "}, C{100000, "CIEN MIL "},
          C{115016, "CIENTO QUINCE MIL DIECISEIS "}, C{1000000, "UN MILLON "},
          C{1001000, "UN MILLON UN MIL "}, C{2000000, "DOS MILLONES "},
          C{100000000, "CIEN MILLONES "}, C{1000000000, "UN MIL MILLONES "},
          C{2001000000, "DOS MIL UN MILLONES "}, C{-15, "QUINCE "},
          C{std::numeric_limits<std::int32_t>::min(), minimo}})
        // clang-format on
        EXPECT_EQ(tesk().Numeros(numero), QString::fromLatin1(palabras)) << numero;
}

TEST(Moneda, PesosCentavosYDivisas) {
    struct C {
        double importe;
        const char* divisa;  // nullptr: the one-argument form
        const char* palabras;
    };
    // Sums of cents land on the cent they stand for; the amount is rounded to cents before it is
    // split; negatives by their absolute value.
    for (C c :
         {C{1234.56, nullptr, "UN MIL DOSCIENTOS TREINTA Y CUATRO PESOS 56/100 M. N."},
          C{1, nullptr, "UN PESOS 00/100 M. N."}, C{0.05, nullptr, "CERO PESOS 05/100 M. N."},
          C{21.1, nullptr, "VEINTIUN PESOS 10/100 M. N."},
          C{0.1 + 0.2, nullptr, "CERO PESOS 30/100 M. N."},
          C{4.35, nullptr, "CUATRO PESOS 35/100 M. N."},
          C{12.999, nullptr, "TRECE PESOS 00/100 M. N."},
          C{999999.9951, nullptr, "UN MILLON PESOS 00/100 M. N."},
          C{-120.50, nullptr, "CIENTO VEINTE PESOS 50/100 M. N."},
          C{-0.25, nullptr, "CERO PESOS 25/100 M. N."},
          C{2147483647.0, nullptr,
            "DOS MIL CIENTO CUARENTA Y SIETE MILLONES CUATROCIENTOS OCHENTA Y TRES MIL "
            "SEISCIENTOS CUARENTA Y SIETE PESOS 00/100 M. N."},
          C{150.5, "USD", "CIENTO CINCUENTA DÓLARES 50/100 USD"},
          C{2.675, " eur ", "DOS EUROS 68/100 EUR"}, C{1, "CHF", "UN CHF 00/100 CHF"},
          C{1, "MXN", "UN PESOS 00/100 M. N."}, C{1, "", "UN PESOS 00/100 M. N."}}) {
        const QString palabras = c.divisa ? tesk().Moneda(c.importe, QString::fromUtf8(c.divisa))
                                          : tesk().Moneda(c.importe);
        EXPECT_EQ(palabras, QString::fromUtf8(c.palabras)) << c.importe;
    }
    // Past the 32-bit whole part (also by rounding up), or no number at all.
    for (double fuera :
         {2147483648.0, 2147483647.999, -2147483649.0, 1e300, std::nan(""), -HUGE_VAL})
        EXPECT_EQ(numeroDeError([&] { tesk().Moneda(fuera); }), errores::Desbordamiento) << fuera;
}

// Halves of a cent go away from zero on the decimal value the amount stands for (2.675 is kept as
// 2.67499...), negatives included.
TEST(Moneda, CentavosComoLaCifra) {
    const struct {
        double importe;
        const char* cifra;
        const char* palabras;
    } casos[] = {
        {17.255, "17.26", "DIECISIETE PESOS 26/100 M. N."},
        {21.005, "21.01", "VEINTIUN PESOS 01/100 M. N."},
        {2.675, "2.68", "DOS PESOS 68/100 M. N."},
        {1.005, "1.01", "UN PESOS 01/100 M. N."},
        {0.125, "0.13", "CERO PESOS 13/100 M. N."},
        {1234.565, "1,234.57", "UN MIL DOSCIENTOS TREINTA Y CUATRO PESOS 57/100 M. N."},
        {2449.055, "2,449.06", "DOS MIL CUATROCIENTOS CUARENTA Y NUEVE PESOS 06/100 M. N."},
        {0.015625, "0.02", "CERO PESOS 02/100 M. N."},
        {999.995, "1,000.00", "UN MIL PESOS 00/100 M. N."},
        {2.674999, "2.67", "DOS PESOS 67/100 M. N."},
    };
    for (const auto& c : casos) {
        for (const double signo : {1.0, -1.0}) {
            const double x = signo * c.importe;
            EXPECT_EQ(formateaImporte(x),
                      (signo < 0 ? QStringLiteral("-") : QString()) + QLatin1String(c.cifra))
                << x;
            EXPECT_EQ(tesk().Moneda(x), QString::fromUtf8(c.palabras)) << x;
        }
    }
}
