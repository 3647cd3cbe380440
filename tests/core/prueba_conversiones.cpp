// Conversions of libTESK, the cipher, the regional date reader and the variant value: its
// addition, its text and the kinds server columns need.

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QTimeZone>
#include <limits>
#include <optional>

#include "AyudaPruebas.h"
#include "PlataformaPrueba.h"
#include "core/Biblioteca.h"
#include "core/Regional.h"
#include "core/libTESK.h"

using namespace quilmaro;
using prueba::numeroDeError;
using prueba::RegionalFijo;

TEST(Recortes, SoloBlancosYSeparadores) {
    using P = std::pair<const char*, const char*>;
    // Tabs are not blanks.
    for (auto [entrada, salida] :
         {P{"  a b  ", "a b"}, P{"     ", ""}, P{"\ta ", "\ta"}, P{"a\t", "a\t"}})
        EXPECT_EQ(tesk().AllTrim(entrada), Variante(QString::fromUtf8(salida))) << entrada;
    for (auto [entrada, salida] :
         {P{" $1,234,567.89 ", "1234567.89"}, P{",", ""}, P{" a$,b ", "ab"}})
        EXPECT_EQ(tesk().QuitaComas(entrada), Variante(QString::fromUtf8(salida))) << entrada;
}

TEST(PrefijoNumerico, SignosExponentesYBases) {
    libTESK& t = tesk();
    using P = std::pair<QString, double>;
    // An exponent without digits is not read; one point only; blanks, tabs and line feeds vanish
    // wherever they stand, a carriage return stops. &H and &O read integers: up to 16 bits they
    // are signed 16-bit values, up to 32 signed 32. Out of range never fails.
    constexpr double kMax = std::numeric_limits<double>::max();
    // clang-format off
    for (auto [texto, valor] :
         {P{"$1,234.50", 1234.5}, P{"1,234.5", 1234.5}, P{"-$3", -3}, P{"+7", 7}, P{"12abc", 12},
          P{"abc", 0}, P{"", 0}, P{"(5)", 0}, P{"--5", 0}, P{"1e3", 1000}, P{"1D3", 1000},
          P{"2.5E-1", 0.25}, P{"1e", 1}, P{"1e+x", 1}, P{".5", 0.5}, P{"1.2.3", 1.2},
          P{"1 000", 1000}, P{"12\r3", 12}, P{"0125", 125}, P{"- 1\t2\n3", -123},
          P{"1234567890123456", 1234567890123456.0}, P{"&HFF", 255}, P{"&hff", 255},
          P{"&H7FFF", 32767}, P{"&HFFFF", -1}, P{"&H10000", 65536}, P{"&HFFFFFFFF", -1},
          P{"&O17", 15}, P{"&O8", 0}, P{"&X1", 0}, P{"1e999", kMax}, P{"-1e999", -kMax},
          P{"1e-999", 0}})
        // clang-format on
        EXPECT_EQ(t.tkVal(texto), valor) << qPrintable(texto);
    EXPECT_EQ(numeroDeError([&] { t.tkVal(QString(40000, '1')); }), errores::Desbordamiento);
    // Plain digits (the list's identifiers) read as any other writing of them does.
    QRandomGenerator azar(20261206);
    for (int i = 0; i < 2000; ++i) {
        QString s;
        for (auto k = 1 + azar.bounded(15); k > 0; --k)
            s += QChar(u'0' + static_cast<char16_t>(azar.bounded(10)));
        EXPECT_EQ(t.tkVal(s), t.tkVal(QLatin1Char(',') + s + QLatin1Char(' '))) << qPrintable(s);
        EXPECT_EQ(t.tkVal(s), static_cast<double>(s.toLongLong())) << qPrintable(s);
    }
    EXPECT_EQ(t.tkVal(QString::fromUtf8("١٢")), t.tkVal(QString::fromUtf8("١٢ ")));
    // The point is always "." whatever the regional settings say.
    RegionalFijo aleman(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(t.tkVal("3,5"), 35);
    EXPECT_EQ(t.tkVal("3.5"), 3.5);
}

TEST(Relleno, CerosAlineacionesYHexadecimal) {
    libTESK& t = tesk();
    using Z = std::tuple<std::int32_t, std::int16_t, const char*>;  // nullptr: refused
    for (auto [n, largo, texto] : {Z{7, 4, "0007"}, Z{1234, 4, "1234"}, Z{-5, 4, "00-5"},
                                   Z{12345, 4, nullptr}, Z{-5, 1, nullptr}}) {
        if (texto)
            EXPECT_EQ(t.StrZero(n, largo), texto) << n;
        else
            EXPECT_EQ(numeroDeError([&] { t.StrZero(n, largo); }), errores::ArgumentoNoValido);
    }
    // The text is trimmed and cut; the odd fill goes right; an unknown alignment gives nothing;
    // an empty fill is a blank.
    using C = std::tuple<const char*, std::int16_t, const char*, std::int16_t, const char*>;
    for (auto [d, largo, r, alineacion, salida] :
         {C{"abc", 10, "*", 0, "abc*******"}, C{"abc", 10, "*", 1, "****abc***"},
          C{"abc", 10, "*", 2, "*******abc"}, C{"abcd", 9, "*", 1, "**abcd***"},
          C{"abcd", 10, "*", 7, ""}, C{"  abcdef ", 4, "*", 0, "abcd"}, C{"7", 3, "", 2, "  7"},
          C{"1A2B", 8, "0xyz", 2, "00001A2B"}}) {
        QString dato = d, relleno = r;
        EXPECT_EQ(t.Pad(dato, largo, relleno, alineacion), salida) << d;
    }
    // An unknown character or an inner blank still takes its place; leading zeros cost nothing
    // until the place counter runs out at 256 characters.
    using H = std::pair<QString, std::optional<std::int32_t>>;  // nullopt: overflow
    for (const auto& [texto, valor] :
         {H{"ff", 255}, H{" 1A ", 26}, H{"", 0}, H{"1G", 16}, H{"1 A", 266},
          H{"7FFFFFFF", 2147483647}, H{QString(254, '0') + "F", 15}, H{"80000000", {}},
          H{"100000000", {}}, H{QString(255, '0') + "F", {}}}) {
        if (valor)
            EXPECT_EQ(t.HtoD(texto), *valor) << qPrintable(texto);
        else
            EXPECT_EQ(numeroDeError([&] { t.HtoD(texto); }), errores::Desbordamiento);
    }
}

TEST(Cifrado, IdaVueltaYFallas) {
    // Every character moves, by the same shift at positions four apart; any direction but 0
    // deciphers. The top code, a character without a single-byte code and too long a text fail.
    using P = std::pair<QString, int>;
    for (const auto& [claro, error] :
         {P{"ABCXYZ abcxyz 0189 Ñandú, Año 2024: €1.50; ¿qué?", 0}, P{QString(32767, 'a'), 0},
          P{"abc" + QString(QChar(0xFF)), errores::ArgumentoNoValido},
          P{"a\u0151b", errores::ArgumentoNoValido}, P{"x😀", errores::ArgumentoNoValido},
          P{QString(32768, 'a'), errores::Desbordamiento}}) {
        EXPECT_EQ(numeroDeError([&] { tesk().Encripta(claro); }), error) << claro.size();
        if (error == 0) {
            const QString cifrado = tesk().Encripta(claro);
            EXPECT_EQ(tesk().DesEncripta(cifrado), claro);
            EXPECT_EQ(CifraTexto(cifrado, -7), claro);
            const auto paso = [&](int i) { return cifrado[i].unicode() - claro[i].unicode(); };
            EXPECT_TRUE(paso(0) > 0 && paso(4) == paso(0));
        }
    }
    EXPECT_EQ(numeroDeError([&] { tesk().DesEncripta("abc" + QString(QChar(0))); }),
              errores::ArgumentoNoValido);
}
TEST(Suma, TiposYUniones) {
    prueba::PlataformaPrueba p;
    const Variante uno(std::int16_t{1}), maximo(std::numeric_limits<double>::max());
    // 16-bit widens to 32-bit, 32-bit to double; a text that reads as a number adds to a number;
    // Empty counts from zero; NULL stays NULL. A failed addition (a text and a number that is
    // no number, a double's overflow) shows one message and leaves the variable as it was.
    using T = std::tuple<Variante, Variante, Variante>;
    for (const auto& [inicio, sumando, fin] :
         {T{Variante(std::int16_t{5}), uno, Variante(std::int16_t{6})},
          T{uno, Variante(2.5), Variante(3.5)},
          T{Variante(std::int16_t{32767}), uno, Variante(std::int32_t{32768})},
          T{Variante(std::int32_t{2147483647}), uno, Variante(2147483648.0)},
          T{Variante("abc"), Variante("def"), Variante("abcdef")},
          T{Variante("10"), Variante(std::int16_t{5}), Variante(15.0)}, T{Variante(), uno, uno},
          T{Variante(), Variante("x"), Variante("x")}, T{Variante::nulo(), uno, Variante::nulo()},
          T{Variante(QDate(2001, 2, 28)), uno, Variante(QDate(2001, 3, 1))},
          T{Variante("abc"), uno, Variante("abc")}, T{maximo, maximo, maximo}}) {
        Variante v = inicio;
        tesk().Suma(v, sumando);
        EXPECT_EQ(v, fin) << qPrintable(inicio.aTexto());
    }
    ASSERT_EQ(p.mensajes().size(), 2);
    const Mensaje& m = p.mensajes().first();
    EXPECT_TRUE(m.texto.startsWith("Función 'Suma'. ") && m.texto.size() > 16);
    EXPECT_TRUE(m.titulo == "Detección de errores" && m.icono == Icono::Critico);
}

TEST(FechaSQL, OrdenRegional) {
    // Two-digit years: 1930-2029; year first is read as such; no day that does not exist; no
    // silent swap of day and month; month names only in the user's language.
    using C = std::tuple<const char*, const char*, const char*>;
    for (auto [region, fecha, sql] : {C{"es_MX", "03/02/2001", "2001-2-3"},
                                      C{"es_MX", "25/12/2004", "2004-12-25"},
                                      C{"es_MX", "9-3-2005", "2005-3-9"},
                                      C{"es_MX", "9.3.05", "2005-3-9"},
                                      C{"es_MX", "9 mar 2005", "2005-3-9"},
                                      C{"es_MX", "9/MARZO/2005", "2005-3-9"},
                                      C{"es_MX", "09/mar./05", "2005-3-9"},
                                      C{"es_MX", "05/03/45", "1945-3-5"},
                                      C{"es_MX", "05/03/29", "2029-3-5"},
                                      C{"es_MX", "05/03/30", "1930-3-5"},
                                      C{"es_MX", "2001-02-03", "2001-2-3"},
                                      C{"es_MX", "03/02/2001 14:25:00", "2001-2-3"},
                                      C{"es_MX", "29/02/2004", "2004-2-29"},
                                      C{"es_MX", "29/02/2001", "0000-00-00"},
                                      C{"es_MX", "13/13/2001", "0000-00-00"},
                                      C{"es_MX", "abc", "0000-00-00"},
                                      C{"es_MX", "", "0000-00-00"},
                                      C{"es_MX", "03/02/2001 basura", "0000-00-00"},
                                      C{"es_MX", "9 FEB 2005", "2005-2-9"},
                                      C{"en_US", "03/02/2001", "2001-3-2"},
                                      C{"en_US", "12/25/2004", "2004-12-25"},
                                      C{"en_US", "25/12/2004", "0000-00-00"},
                                      C{"en_US", "Mar 9 2005", "2005-3-9"},
                                      C{"en_US", "9 mar 2005", "2005-3-9"},
                                      C{"en_US", "9 marzo 2005", "0000-00-00"}}) {
        RegionalFijo fijo{QLocale(QString::fromLatin1(region))};
        EXPECT_EQ(tesk().FechaSQL(fecha), sql) << region << " " << fecha;
    }
}

TEST(Variante, TextosYConversiones) {
    // The text of a date reads back unchanged in any regional order.
    for (const char* region : {"es_MX", "en_US", "zh_CN"}) {
        RegionalFijo r{QLocale(QString::fromLatin1(region))};
        for (const QDate d : {QDate(2001, 2, 3), QDate(1999, 12, 31), QDate(2030, 1, 15)})
            EXPECT_EQ(tesk().FechaSQL(Variante(d).aTexto()), d.toString("yyyy-M-d")) << region;
    }
    EXPECT_EQ(Variante(QDateTime(QDate(2001, 2, 3), QTime(14, 5, 6))).aTexto(),
              "03/02/2001 14:05:06");
    EXPECT_EQ(Variante(true).aTexto(), "Verdadero");
    EXPECT_EQ(Variante(2.5).aLargo(), 2);  // half to even
    EXPECT_EQ(Variante(3.5).aLargo(), 4);
    EXPECT_EQ(numeroDeError([] { Variante(40000.0).aEntero(); }), errores::Desbordamiento);
    EXPECT_EQ(numeroDeError([] { Variante::nulo().aDoble(); }), errores::TiposNoCoinciden);
    EXPECT_EQ(numeroDeError([] { Variante("x").aDoble(); }), errores::TiposNoCoinciden);
    EXPECT_DOUBLE_EQ(Variante(true).aDoble(), -1.0);
    EXPECT_DOUBLE_EQ(Variante::fechaASerie(QDateTime(QDate(1900, 1, 1), QTime(12, 0))), 2.5);
    EXPECT_EQ(Variante::serieAFecha(36925.25),
              QDateTime(QDate(2001, 2, 3), QTime(6, 0), QTimeZone::utc()));
    EXPECT_EQ(numeroDeError([] { Variante::serieAFecha(1e9); }), errores::Desbordamiento);
}

// The kinds server columns need: 64-bit integers, decimals kept as their digits, bytes.
TEST(Variante, TiposDelServidor) {
    const Variante grande = Variante::largo64(4294967295LL);
    EXPECT_EQ(grande.aTexto(), "4294967295");
    EXPECT_EQ(numeroDeError([&] { grande.aLargo(); }), errores::Desbordamiento);
    const Variante d = Variante::decimal(QStringLiteral("-1234.5000"));
    EXPECT_EQ(d.aLargo(), -1234);  // half to even
    const QByteArray crudos("\x00\x27\xC3\xB1", 4);
    const Variante b = Variante::binario(crudos);
    EXPECT_NE(b, Variante(QString::fromUtf8(crudos)));
    EXPECT_EQ(numeroDeError([&] { b.aDoble(); }), errores::TiposNoCoinciden);
    // Exact sums stay 64-bit; past the range is an overflow, not a rounded double; decimals and
    // bytes add as their values do.
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    const Variante uno(std::int16_t{1});
    using T = std::tuple<Variante, Variante, std::optional<Variante>>;  // nullopt: error
    for (const auto& [a, s, suma] :
         {T{Variante::largo64(kMin + 1), Variante(std::int16_t{-1}), Variante::largo64(kMin)},
          T{Variante::largo64(9007199254740993LL), Variante(std::int32_t{2}),
            Variante::largo64(9007199254740995LL)},
          T{Variante::largo64(std::numeric_limits<std::int64_t>::max()), uno, std::nullopt},
          T{Variante::largo64(5), Variante(true), Variante::largo64(4)},
          T{Variante::largo64(1), Variante(0.5), Variante(1.5)}, T{d, uno, Variante(-1233.5)},
          T{b, Variante::nulo(), Variante::nulo()}, T{b, uno, std::nullopt}}) {
        if (suma)
            EXPECT_EQ(Variante::suma(a, s), *suma) << qPrintable(a.aTexto());
        else
            EXPECT_NE(numeroDeError([&] { Variante::suma(a, s); }), 0) << qPrintable(a.aTexto());
    }
    // Decimals keep their digits, in the regional form only when shown.
    RegionalFijo aleman(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(d.aTexto(), "-1234,5000");
    EXPECT_EQ(d.decimalTexto(), "-1234.5000");
    EXPECT_NE(Variante::decimal(QStringLiteral("1.50")), Variante::decimal(QStringLiteral("1.5")));
    for (const char* malo : {"", "-", "1,5", "1.2.3", "abc", "1e5", " 1"})
        EXPECT_EQ(numeroDeError([&] { Variante::decimal(QString::fromLatin1(malo)); }),
                  errores::TiposNoCoinciden)
            << malo;
}
