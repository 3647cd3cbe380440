// The kinds of the variant value that server columns need: 64-bit integers, decimals kept as
// their digits, bytes.

#include <gtest/gtest.h>

#include <limits>

#include "AyudaPruebas.h"
#include "core/ErrorTESK.h"
#include "core/Regional.h"
#include "core/Variante.h"

using namespace quilmaro;
using prueba::numeroDeError;
using prueba::RegionalFijo;

TEST(VarianteServidor, EnterosDe64Bits) {
    const Variante grande = Variante::largo64(4294967295LL);
    EXPECT_EQ(grande.tipo(), Variante::Tipo::Largo64);
    EXPECT_TRUE(grande.esNumero());
    EXPECT_EQ(grande.aTexto(), "4294967295");
    EXPECT_DOUBLE_EQ(grande.aDoble(), 4294967295.0);
    EXPECT_EQ(numeroDeError([&] { grande.aLargo(); }), errores::Desbordamiento);
    EXPECT_EQ(Variante::largo64(-7).aEntero(), -7);

    // Exact sums stay 64-bit; past the range is an overflow, not a rounded double.
    const Variante minimo = Variante::largo64(std::numeric_limits<std::int64_t>::min() + 1);
    EXPECT_EQ(Variante::suma(minimo, Variante(std::int16_t{-1})),
              Variante::largo64(std::numeric_limits<std::int64_t>::min()));
    EXPECT_EQ(Variante::suma(Variante::largo64(9007199254740993LL), Variante(std::int32_t{2})),
              Variante::largo64(9007199254740995LL));
    EXPECT_EQ(numeroDeError([&] {
                  Variante::suma(Variante::largo64(std::numeric_limits<std::int64_t>::max()),
                                 Variante(std::int16_t{1}));
              }),
              errores::Desbordamiento);
    EXPECT_EQ(Variante::suma(Variante::largo64(5), Variante(true)), Variante::largo64(4));
    EXPECT_EQ(Variante::suma(Variante::largo64(1), Variante(0.5)), Variante(1.5));
}

TEST(VarianteServidor, DecimalesConTodosSusDigitos) {
    const Variante d = Variante::decimal(QStringLiteral("-1234.5000"));
    EXPECT_EQ(d.tipo(), Variante::Tipo::Decimal);
    EXPECT_TRUE(d.esNumero());
    EXPECT_EQ(d.decimalTexto(), "-1234.5000");
    EXPECT_EQ(d.aTexto(), "-1234.5000");
    EXPECT_DOUBLE_EQ(d.aDoble(), -1234.5);
    EXPECT_EQ(d.aLargo(), -1234);  // half to even
    EXPECT_EQ(Variante::decimal(QStringLiteral("18446744073709551615")).aTexto(),
              "18446744073709551615");
    {
        RegionalFijo aleman(QLocale(QLocale::German, QLocale::Germany));
        EXPECT_EQ(d.aTexto(), "-1234,5000");
        EXPECT_EQ(d.decimalTexto(), "-1234.5000");
    }
    EXPECT_EQ(Variante::suma(d, Variante(std::int16_t{1})), Variante(-1233.5));
    EXPECT_NE(Variante::decimal(QStringLiteral("1.50")), Variante::decimal(QStringLiteral("1.5")));
    for (const char* malo : {"", "-", "1,5", "1.2.3", "abc", "1e5", " 1"})
        EXPECT_EQ(numeroDeError([&] { Variante::decimal(QString::fromLatin1(malo)); }),
                  errores::TiposNoCoinciden)
            << malo;
    EXPECT_EQ(numeroDeError([] { Variante::decimal(QStringLiteral(".5")); }), 0);
}

TEST(VarianteServidor, Bytes) {
    const QByteArray crudos("\x00\x27\xC3\xB1", 4);
    const Variante b = Variante::binario(crudos);
    EXPECT_EQ(b.tipo(), Variante::Tipo::Binario);
    EXPECT_FALSE(b.esNumero());
    EXPECT_EQ(b.bytes(), crudos);
    EXPECT_EQ(b.aTexto(), QString::fromUtf8(crudos));
    EXPECT_EQ(numeroDeError([&] { b.aDoble(); }), errores::TiposNoCoinciden);
    EXPECT_EQ(numeroDeError([&] { Variante::suma(b, Variante(std::int16_t{1})); }),
              errores::TiposNoCoinciden);
    EXPECT_EQ(Variante::suma(b, Variante::nulo()), Variante::nulo());
    EXPECT_NE(b, Variante(QString::fromUtf8(crudos)));
}
