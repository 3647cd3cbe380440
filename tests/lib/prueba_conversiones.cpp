// Conversions of libTESK, the variant value's addition and the regional date reader.

#include <gtest/gtest.h>

#include <QTimeZone>
#include <cmath>
#include <limits>

#include "AyudaPruebas.h"
#include "PlataformaPrueba.h"
#include "core/Regional.h"
#include "core/libTESK.h"

using namespace quilmaro;
using prueba::numeroDeError;
using prueba::RegionalFijo;

TEST(Recortes, SoloBlancosYSeparadores) {
    libTESK& t = tesk();
    using P = std::pair<const char*, const char*>;
    // Tabs are not blanks.
    for (auto [entrada, salida] :
         {P{"  a b  ", "a b"}, P{"     ", ""}, P{"\ta ", "\ta"}, P{"a\t", "a\t"}})
        EXPECT_EQ(t.AllTrim(entrada), Variante(QString::fromUtf8(salida))) << entrada;
    for (auto [entrada, salida] :
         {P{" $1,234,567.89 ", "1234567.89"}, P{",", ""}, P{" a$,b ", "ab"}})
        EXPECT_EQ(t.QuitaComas(entrada), Variante(QString::fromUtf8(salida))) << entrada;
    // The walk counts in 16 bits: the trimmed text decides.
    EXPECT_EQ(numeroDeError([&] { t.QuitaComas("  " + QString(32767, 'x') + "  "); }), 0);
    EXPECT_EQ(numeroDeError([&] { t.QuitaComas(QString(32768, 'x')); }), errores::Desbordamiento);
    EXPECT_EQ(numeroDeError([&] { t.tkVal(QString(40000, '1')); }), errores::Desbordamiento);
}

TEST(PrefijoNumerico, SignosExponentesYBases) {
    libTESK& t = tesk();
    using P = std::pair<const char*, double>;
    // An exponent without digits is not read; one point only; blanks, tabs and line feeds vanish
    // wherever they stand, a carriage return stops. &H and &O read integers: up to 16 bits they
    // are signed 16-bit values, up to 32 signed 32.
    for (auto [texto, valor] :
         {P{"$1,234.50", 1234.5}, P{"1,234.5", 1234.5}, P{"-$3", -3}, P{"+7", 7}, P{"12abc", 12},
          P{"abc", 0}, P{"", 0}, P{"(5)", 0}, P{"--5", 0}, P{"1e3", 1000}, P{"1D3", 1000},
          P{"2.5E-1", 0.25}, P{"1e", 1}, P{"1e+x", 1}, P{".5", 0.5}, P{"1.2.3", 1.2},
          P{"1 000", 1000}, P{"12\r3", 12}, P{"0125", 125}})
        EXPECT_DOUBLE_EQ(t.tkVal(texto), valor) << texto;
    for (auto [texto, valor] :
         {P{"&HFF", 255}, P{"&hff", 255}, P{"&H7FFF", 32767}, P{"&HFFFF", -1}, P{"&H10000", 65536},
          P{"&HFFFFFFFF", -1}, P{"&O17", 15}, P{"&O8", 0}, P{"&X1", 0}})
        EXPECT_DOUBLE_EQ(t.tkVal(texto), valor) << texto;
    EXPECT_DOUBLE_EQ(t.tkVal("- 1\t2\n3"), -123);
    // The point is always "." whatever the regional settings say.
    {
        RegionalFijo aleman(QLocale(QLocale::German, QLocale::Germany));
        EXPECT_DOUBLE_EQ(t.tkVal("3,5"), 35);
        EXPECT_DOUBLE_EQ(t.tkVal("3.5"), 3.5);
    }
    // Out of range never fails.
    EXPECT_EQ(t.tkVal("1e999"), std::numeric_limits<double>::max());
    EXPECT_EQ(t.tkVal("-1e999"), -std::numeric_limits<double>::max());
    EXPECT_EQ(t.tkVal("1e-999"), 0.0);
}

TEST(Relleno, CerosYAlineaciones) {
    libTESK& t = tesk();
    for (auto [n, largo, texto] :
         {std::tuple{7, 4, "0007"}, std::tuple{1234, 4, "1234"}, std::tuple{-5, 4, "00-5"}})
        EXPECT_EQ(t.StrZero(n, static_cast<std::int16_t>(largo)), texto) << n;
    EXPECT_EQ(numeroDeError([&] { t.StrZero(12345, 4); }), errores::ArgumentoNoValido);
    EXPECT_EQ(numeroDeError([&] { t.StrZero(-5, 1); }), errores::ArgumentoNoValido);

    // The odd fill goes right; an unknown alignment gives nothing.
    using C = std::tuple<const char*, std::int16_t, std::int16_t, const char*>;
    for (auto [d, largo, alineacion, salida] :
         {C{"abc", 10, 0, "abc*******"}, C{"abc", 10, 1, "****abc***"},
          C{"abc", 10, 2, "*******abc"}, C{"abcd", 9, 1, "**abcd***"}, C{"abcd", 10, 7, ""}}) {
        QString dato = d, relleno = "*";
        EXPECT_EQ(t.Pad(dato, largo, relleno, alineacion), salida) << d;
    }
    // The caller's variables change: the text is trimmed and cut, an empty fill becomes a blank.
    QString dato = "  abcdef ", relleno = "*";
    EXPECT_EQ(t.Pad(dato, 4, relleno, 0), "abcd");
    EXPECT_EQ(dato, "abcd");
    QString vacio;
    dato = "7";
    EXPECT_EQ(t.Pad(dato, 3, vacio, 2), "  7");
    EXPECT_EQ(vacio, " ");
    QString ceros = "0xyz";
    dato = "1A2B";
    EXPECT_EQ(t.Pad(dato, 8, ceros, 2), "00001A2B");
    EXPECT_EQ(numeroDeError([&] { t.Pad(dato, -1, relleno, 0); }), errores::ArgumentoNoValido);
}

TEST(Hexadecimal, ValoresYLimites) {
    libTESK& t = tesk();
    using P = std::pair<QString, std::int32_t>;
    // An unknown character or an inner blank still takes its place; leading zeros cost nothing
    // until the place counter runs out at 256 characters.
    for (auto [texto, valor] : {P{"ff", 255}, P{" 1A ", 26}, P{"", 0}, P{"1G", 16}, P{"1 A", 266},
                                P{"7FFFFFFF", 2147483647}, P{QString(254, '0') + "F", 15}})
        EXPECT_EQ(t.HtoD(texto), valor) << qPrintable(texto);
    for (const QString& texto :
         {QString("80000000"), QString("100000000"), QString(255, '0') + "F"})
        EXPECT_EQ(numeroDeError([&] { t.HtoD(texto); }), errores::Desbordamiento);
}

TEST(Suma, TiposYUniones) {
    prueba::PlataformaPrueba p;
    const Variante uno(std::int16_t{1});
    // 16-bit widens to 32-bit, 32-bit to double; a text that reads as a number adds to a number;
    // Empty counts from zero; NULL stays NULL.
    using T = std::tuple<Variante, Variante, Variante>;
    for (const auto& [inicio, sumando, fin] :
         {T{Variante(std::int16_t{5}), uno, Variante(std::int16_t{6})},
          T{uno, Variante(2.5), Variante(3.5)},
          T{Variante(std::int16_t{32767}), uno, Variante(std::int32_t{32768})},
          T{Variante(std::int32_t{2147483647}), uno, Variante(2147483648.0)},
          T{Variante("abc"), Variante("def"), Variante("abcdef")},
          T{Variante("10"), Variante(std::int16_t{5}), Variante(15.0)}, T{Variante(), uno, uno},
          T{Variante(), Variante("x"), Variante("x")}, T{Variante::nulo(), uno, Variante::nulo()},
          T{Variante(QDate(2001, 2, 28)), uno, Variante(QDate(2001, 3, 1))}}) {
        Variante v = inicio;
        tesk().Suma(v, sumando);
        EXPECT_EQ(v, fin) << qPrintable(inicio.aTexto());
    }
    EXPECT_TRUE(p.mensajes().isEmpty());

    // A failed addition: one message, the variable unchanged, nothing thrown.
    Variante v("abc");
    tesk().Suma(v, uno);
    EXPECT_EQ(v, Variante("abc"));
    ASSERT_EQ(p.mensajes().size(), 1);
    const Mensaje& m = p.mensajes().first();
    EXPECT_TRUE(m.texto.startsWith("Función 'Suma'. "));
    EXPECT_GT(m.texto.size(), QString("Función 'Suma'. ").size());
    EXPECT_TRUE(m.titulo == "Detección de errores" && m.icono == Icono::Critico &&
                m.botones == Botones::Aceptar);

    // Overflow of a double is a failure too.
    v = Variante(std::numeric_limits<double>::max());
    tesk().Suma(v, v);
    EXPECT_EQ(v, Variante(std::numeric_limits<double>::max()));
    EXPECT_EQ(p.mensajes().size(), 2);
}

TEST(FechaSQL, OrdenRegional) {
    using P = std::pair<const char*, const char*>;
    const auto revisa = [](const QLocale& region, std::initializer_list<P> casos) {
        RegionalFijo fijo(region);
        for (auto [fecha, sql] : casos)
            EXPECT_EQ(tesk().FechaSQL(fecha), sql) << qPrintable(region.name()) << " " << fecha;
    };
    // Two-digit years: 1930-2029; year first is read as such; no day that does not exist.
    revisa(QLocale(QLocale::Spanish, QLocale::Mexico), {P{"03/02/2001", "2001-2-3"},
                                                        P{"25/12/2004", "2004-12-25"},
                                                        P{"9-3-2005", "2005-3-9"},
                                                        P{"9.3.05", "2005-3-9"},
                                                        P{"9 mar 2005", "2005-3-9"},
                                                        P{"9/MARZO/2005", "2005-3-9"},
                                                        P{"09/mar./05", "2005-3-9"},
                                                        P{"05/03/45", "1945-3-5"},
                                                        P{"05/03/29", "2029-3-5"},
                                                        P{"05/03/30", "1930-3-5"},
                                                        P{"2001-02-03", "2001-2-3"},
                                                        P{"03/02/2001 14:25:00", "2001-2-3"},
                                                        P{"29/02/2004", "2004-2-29"},
                                                        P{"29/02/2001", "0000-00-00"},
                                                        P{"31/02/2001", "0000-00-00"},
                                                        P{"13/13/2001", "0000-00-00"},
                                                        P{"abc", "0000-00-00"},
                                                        P{"", "0000-00-00"},
                                                        P{"03/02/2001 basura", "0000-00-00"},
                                                        P{"9 FEB 2005", "2005-2-9"}});
    // No silent swap of day and month; month names only in the user's language.
    revisa(QLocale(QLocale::English, QLocale::UnitedStates),
           {P{"03/02/2001", "2001-3-2"}, P{"12/25/2004", "2004-12-25"},
            P{"25/12/2004", "0000-00-00"}, P{"Mar 9 2005", "2005-3-9"}, P{"9 mar 2005", "2005-3-9"},
            P{"9 marzo 2005", "0000-00-00"}});
}

TEST(Variante, TextoDeFechaSeReleConFechaSQL) {
    for (const QLocale& loc : {QLocale(QLocale::Spanish, QLocale::Mexico),
                               QLocale(QLocale::English, QLocale::UnitedStates),
                               QLocale(QLocale::Chinese, QLocale::China)}) {
        RegionalFijo r(loc);
        for (const QDate d : {QDate(2001, 2, 3), QDate(1999, 12, 31), QDate(2030, 1, 15)}) {
            const QString texto = Variante(d).aTexto();
            EXPECT_EQ(tesk().FechaSQL(texto),
                      QString("%1-%2-%3").arg(d.year()).arg(d.month()).arg(d.day()))
                << qPrintable(loc.name()) << " " << qPrintable(texto);
        }
    }
    RegionalFijo mx(QLocale(QLocale::Spanish, QLocale::Mexico));
    EXPECT_EQ(Variante(QDateTime(QDate(2001, 2, 3), QTime(14, 5, 6))).aTexto(),
              "03/02/2001 14:05:06");
    EXPECT_EQ(Variante(1.5).aTexto(), "1.5");
    EXPECT_EQ(Variante(true).aTexto(), "Verdadero");
    EXPECT_EQ(Variante::nulo().aTexto(), "");
}

TEST(Variante, ConversionesYSeries) {
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
