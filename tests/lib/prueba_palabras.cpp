// Amounts in words: Numeros and Moneda.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "AyudaPruebas.h"
#include "core/Regional.h"
#include "core/libTESK.h"

using namespace quilmaro;
using prueba::numeroDeError;
using prueba::RegionalFijo;

namespace {

struct Caso {
    std::int32_t numero;
    const char* palabras;
};

void revisa(std::initializer_list<Caso> casos) {
    for (const Caso& c : casos)
        EXPECT_EQ(tesk().Numeros(c.numero), QString::fromLatin1(c.palabras)) << c.numero;
}

}  // namespace

TEST(Numeros, UnidadesDiecesYVeintes) {
    revisa({{0, "CERO "},
            {1, "UN "},
            {9, "NUEVE "},
            {10, "DIEZ "},
            {11, "ONCE "},
            {12, "DOCE "},
            {13, "TRECE "},
            {14, "CATORCE "},
            {15, "QUINCE "},
            {16, "DIECISEIS "},
            {17, "DIECISIETE "},
            {18, "DIECIOCHO "},
            {19, "DIECINUEVE "},
            {20, "VEINTE "},
            {21, "VEINTIUN "},
            {22, "VEINTIDOS "},
            {25, "VEINTICINCO "},
            {29, "VEINTINUEVE "},
            {30, "TREINTA "},
            {31, "TREINTA Y UN "},
            {45, "CUARENTA Y CINCO "},
            {99, "NOVENTA Y NUEVE "}});
}

TEST(Numeros, Centenas) {
    revisa({{100, "CIEN "},
            {101, "CIENTO UN "},
            {110, "CIENTO DIEZ "},
            {115, "CIENTO QUINCE "},
            {116, "CIENTO DIECISEIS "},
            {121, "CIENTO VEINTIUN "},
            {500, "QUINIENTOS "},
            {999, "NOVECIENTOS NOVENTA Y NUEVE "}});
}

TEST(Numeros, LimitesDeCadaGrupo) {
    revisa({{1000, "UN MIL "},
            {1001, "UN MIL UN "},
            {1015, "UN MIL QUINCE "},
            {12000, "DOCE MIL "},
            {21000, "VEINTIUN MIL "},
            {100000, "CIEN MIL "},
            {115016, "CIENTO QUINCE MIL DIECISEIS "},
            {999999, "NOVECIENTOS NOVENTA Y NUEVE MIL NOVECIENTOS NOVENTA Y NUEVE "},
            {1000000, "UN MILLON "},
            {1000001, "UN MILLON UN "},
            {1001000, "UN MILLON UN MIL "},
            {1500000, "UN MILLON QUINIENTOS MIL "},
            {2000000, "DOS MILLONES "},
            {11000000, "ONCE MILLONES "},
            {100000000, "CIEN MILLONES "},
            {1000000000, "UN MIL MILLONES "},
            {1000000001, "UN MIL MILLONES UN "},
            {2001000000, "DOS MIL UN MILLONES "},
            {2147483647,
             "DOS MIL CIENTO CUARENTA Y SIETE MILLONES CUATROCIENTOS OCHENTA Y TRES MIL "
             "SEISCIENTOS CUARENTA Y SIETE "}});
}

TEST(Numeros, NegativosSinSigno) {
    revisa({{-1, "UN "},
            {-15, "QUINCE "},
            {-1000, "UN MIL "},
            {std::numeric_limits<std::int32_t>::min(),
             "DOS MIL CIENTO CUARENTA Y SIETE MILLONES CUATROCIENTOS OCHENTA Y TRES MIL "
             "SEISCIENTOS CUARENTA Y OCHO "}});
}

TEST(Moneda, PesosYCentavos) {
    libTESK& t = tesk();
    EXPECT_EQ(t.Moneda(1234.56), "UN MIL DOSCIENTOS TREINTA Y CUATRO PESOS 56/100 M. N.");
    EXPECT_EQ(t.Moneda(1), "UN PESOS 00/100 M. N.");
    EXPECT_EQ(t.Moneda(0), "CERO PESOS 00/100 M. N.");
    EXPECT_EQ(t.Moneda(0.5), "CERO PESOS 50/100 M. N.");
    EXPECT_EQ(t.Moneda(0.05), "CERO PESOS 05/100 M. N.");
    EXPECT_EQ(t.Moneda(21.1), "VEINTIUN PESOS 10/100 M. N.");
    EXPECT_EQ(t.Moneda(1000000.99), "UN MILLON PESOS 99/100 M. N.");
    // Amounts that come from sums of cents land on the cent they stand for.
    EXPECT_EQ(t.Moneda(0.1 + 0.2), "CERO PESOS 30/100 M. N.");
    EXPECT_EQ(t.Moneda(4.35), "CUATRO PESOS 35/100 M. N.");
}

// The words say the cents the figure beside them shows: halves of a cent go away from zero on
// the decimal value the amount stands for (2.675 is kept as 2.67499...), negatives included.
TEST(Moneda, CentavosComoLaCifra) {
    RegionalFijo mx(QLocale(QStringLiteral("es_MX")));
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
        {10.625, "10.63", "DIEZ PESOS 63/100 M. N."},
        {2449.055, "2,449.06", "DOS MIL CUATROCIENTOS CUARENTA Y NUEVE PESOS 06/100 M. N."},
        {0.015625, "0.02", "CERO PESOS 02/100 M. N."},
        {999.995, "1,000.00", "UN MIL PESOS 00/100 M. N."},
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

TEST(Moneda, OtrasDivisas) {
    libTESK& t = tesk();
    EXPECT_EQ(t.Moneda(150.5, QStringLiteral("USD")), "CIENTO CINCUENTA DÓLARES 50/100 USD");
    EXPECT_EQ(t.Moneda(2.675, QStringLiteral(" eur ")), "DOS EUROS 68/100 EUR");
    EXPECT_EQ(t.Moneda(1, QStringLiteral("CHF")), "UN CHF 00/100 CHF");
    EXPECT_EQ(t.Moneda(1, QStringLiteral("MXN")), t.Moneda(1));
    EXPECT_EQ(t.Moneda(1, QString()), "UN PESOS 00/100 M. N.");
}

TEST(Moneda, RedondeoAlPesoSiguienteYNegativos) {
    libTESK& t = tesk();
    EXPECT_EQ(t.Moneda(12.999), "TRECE PESOS 00/100 M. N.");
    EXPECT_EQ(t.Moneda(999.999), "UN MIL PESOS 00/100 M. N.");
    EXPECT_EQ(t.Moneda(999999.9951), "UN MILLON PESOS 00/100 M. N.");
    EXPECT_EQ(t.Moneda(0.996), "UN PESOS 00/100 M. N.");
    EXPECT_EQ(t.Moneda(-120.50), "CIENTO VEINTE PESOS 50/100 M. N.");
    EXPECT_EQ(t.Moneda(-0.25), "CERO PESOS 25/100 M. N.");
    EXPECT_EQ(t.Moneda(-12.999), "TRECE PESOS 00/100 M. N.");
    EXPECT_EQ(t.Moneda(-1), "UN PESOS 00/100 M. N.");
}

TEST(Moneda, FueraDelRangoDe32Bits) {
    libTESK& t = tesk();
    EXPECT_EQ(t.Moneda(2147483647.0),
              "DOS MIL CIENTO CUARENTA Y SIETE MILLONES CUATROCIENTOS OCHENTA Y TRES MIL "
              "SEISCIENTOS CUARENTA Y SIETE PESOS 00/100 M. N.");
    EXPECT_EQ(t.Moneda(-2147483648.0),
              "DOS MIL CIENTO CUARENTA Y SIETE MILLONES CUATROCIENTOS OCHENTA Y TRES MIL "
              "SEISCIENTOS CUARENTA Y OCHO PESOS 00/100 M. N.");
    EXPECT_EQ(numeroDeError([&] { t.Moneda(2147483648.0); }), errores::Desbordamiento);
    // Rounds up past the largest whole part.
    EXPECT_EQ(numeroDeError([&] { t.Moneda(2147483647.999); }), errores::Desbordamiento);
    EXPECT_EQ(numeroDeError([&] { t.Moneda(-2147483649.0); }), errores::Desbordamiento);
    EXPECT_EQ(numeroDeError([&] { t.Moneda(1e300); }), errores::Desbordamiento);
    EXPECT_EQ(numeroDeError([&] { t.Moneda(std::nan("")); }), errores::Desbordamiento);
    EXPECT_EQ(numeroDeError([&] { t.Moneda(-HUGE_VAL); }), errores::Desbordamiento);
}
