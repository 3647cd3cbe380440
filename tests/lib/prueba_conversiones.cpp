// Conversions of libTESK, the variant value's addition and the regional date reader.

#include <gtest/gtest.h>

#include <QTimeZone>
#include <cmath>
#include <limits>

#include "AyudaPruebas.h"
#include "PlataformaPrueba.h"
#include "lib/Regional.h"
#include "lib/libTESK.h"

using namespace quilmaro;
using prueba::numeroDeError;
using prueba::RegionalFijo;

TEST(Recortes, SoloBlancosYSeparadores) {
    libTESK& t = tesk();
    EXPECT_EQ(t.AllTrim("  a b  ").texto(), "a b");
    EXPECT_EQ(t.AllTrim("     ").texto(), "");
    EXPECT_EQ(t.AllTrim("\ta ").texto(), "\ta");  // tabs are not blanks
    EXPECT_EQ(t.AllTrim("a\t").texto(), "a\t");
    EXPECT_EQ(t.AllTrim("x").tipo(), Variante::Tipo::Texto);

    EXPECT_EQ(t.QuitaComas(" $1,234,567.89 ").texto(), "1234567.89");
    EXPECT_EQ(t.QuitaComas(",").texto(), "");
    EXPECT_EQ(t.QuitaComas(" a$,b ").texto(), "ab");
    // The walk counts in 16 bits: the trimmed text decides.
    EXPECT_EQ(numeroDeError([&] { t.QuitaComas(QString(32767, 'x')); }), 0);
    EXPECT_EQ(numeroDeError([&] { t.QuitaComas(QString(32768, 'x')); }), errores::Desbordamiento);
    EXPECT_EQ(numeroDeError([&] { t.QuitaComas("  " + QString(32767, 'x') + "  "); }), 0);
    EXPECT_EQ(numeroDeError([&] { t.tkVal(QString(40000, '1')); }), errores::Desbordamiento);
}

TEST(PrefijoNumerico, SignosExponentesYBases) {
    libTESK& t = tesk();
    EXPECT_DOUBLE_EQ(t.tkVal("$1,234.50"), 1234.5);
    EXPECT_DOUBLE_EQ(t.tkVal("1,234.5"), 1234.5);
    EXPECT_DOUBLE_EQ(t.tkVal("-$3"), -3);
    EXPECT_DOUBLE_EQ(t.tkVal("+7"), 7);
    EXPECT_DOUBLE_EQ(t.tkVal("12abc"), 12);
    EXPECT_DOUBLE_EQ(t.tkVal("abc"), 0);
    EXPECT_DOUBLE_EQ(t.tkVal(""), 0);
    EXPECT_DOUBLE_EQ(t.tkVal("(5)"), 0);
    EXPECT_DOUBLE_EQ(t.tkVal("--5"), 0);
    EXPECT_DOUBLE_EQ(t.tkVal("1e3"), 1000);
    EXPECT_DOUBLE_EQ(t.tkVal("1D3"), 1000);
    EXPECT_DOUBLE_EQ(t.tkVal("2.5E-1"), 0.25);
    EXPECT_DOUBLE_EQ(t.tkVal("1e"), 1);  // exponent without digits is not read
    EXPECT_DOUBLE_EQ(t.tkVal("1e+x"), 1);
    EXPECT_DOUBLE_EQ(t.tkVal(".5"), 0.5);
    EXPECT_DOUBLE_EQ(t.tkVal("1.2.3"), 1.2);  // one point only
    // Blanks, tabs and line feeds vanish wherever they stand; a carriage return stops.
    EXPECT_DOUBLE_EQ(t.tkVal("1 000"), 1000);
    EXPECT_DOUBLE_EQ(t.tkVal("- 1\t2\n3"), -123);
    EXPECT_DOUBLE_EQ(t.tkVal("12\r3"), 12);
    EXPECT_DOUBLE_EQ(t.tkVal("0125"), 125);
    // The point is always "." whatever the regional settings say.
    {
        RegionalFijo aleman(QLocale(QLocale::German, QLocale::Germany));
        EXPECT_DOUBLE_EQ(t.tkVal("3,5"), 35);
        EXPECT_DOUBLE_EQ(t.tkVal("3.5"), 3.5);
    }
    // &H and &O read integers; up to 16 bits they are signed 16-bit values, up to 32 signed 32.
    EXPECT_DOUBLE_EQ(t.tkVal("&HFF"), 255);
    EXPECT_DOUBLE_EQ(t.tkVal("&hff"), 255);
    EXPECT_DOUBLE_EQ(t.tkVal("&H7FFF"), 32767);
    EXPECT_DOUBLE_EQ(t.tkVal("&HFFFF"), -1);
    EXPECT_DOUBLE_EQ(t.tkVal("&H10000"), 65536);
    EXPECT_DOUBLE_EQ(t.tkVal("&HFFFFFFFF"), -1);
    EXPECT_DOUBLE_EQ(t.tkVal("&O17"), 15);
    EXPECT_DOUBLE_EQ(t.tkVal("&O8"), 0);
    EXPECT_DOUBLE_EQ(t.tkVal("&X1"), 0);
    // Out of range never fails.
    EXPECT_EQ(t.tkVal("1e999"), std::numeric_limits<double>::max());
    EXPECT_EQ(t.tkVal("-1e999"), -std::numeric_limits<double>::max());
    EXPECT_EQ(t.tkVal("1e-999"), 0.0);
}

TEST(Relleno, CerosYAlineaciones) {
    libTESK& t = tesk();
    EXPECT_EQ(t.StrZero(7, 4), "0007");
    EXPECT_EQ(t.StrZero(1234, 4), "1234");
    EXPECT_EQ(t.StrZero(-5, 4), "00-5");
    EXPECT_EQ(t.StrZero(0, 0 + 1), "0");
    EXPECT_EQ(numeroDeError([&] { t.StrZero(12345, 4); }), errores::ArgumentoNoValido);
    EXPECT_EQ(numeroDeError([&] { t.StrZero(-5, 1); }), errores::ArgumentoNoValido);

    QString dato = "abc", relleno = "*";
    EXPECT_EQ(t.Pad(dato, 10, relleno, 0), "abc*******");
    EXPECT_EQ(t.Pad(dato, 10, relleno, 1), "****abc***");
    EXPECT_EQ(t.Pad(dato, 10, relleno, 2), "*******abc");
    dato = "abcd";
    EXPECT_EQ(t.Pad(dato, 9, relleno, 1), "**abcd***");  // the odd fill goes right
    EXPECT_EQ(t.Pad(dato, 10, relleno, 7), "");          // unknown alignment
    // The caller's variables change: the text is trimmed and cut, an empty fill becomes a blank.
    dato = "  abcdef ";
    EXPECT_EQ(t.Pad(dato, 4, relleno, 0), "abcd");
    EXPECT_EQ(dato, "abcd");
    QString vacio;
    dato = "7";
    EXPECT_EQ(t.Pad(dato, 3, vacio, 2), "  7");
    EXPECT_EQ(vacio, " ");
    QString ceros = "0xyz";
    dato = "1A2B";
    EXPECT_EQ(t.Pad(dato, 8, ceros, 2), "00001A2B");
    dato = "x";
    EXPECT_EQ(numeroDeError([&] { t.Pad(dato, -1, relleno, 0); }), errores::ArgumentoNoValido);
}

TEST(Hexadecimal, ValoresYLimites) {
    libTESK& t = tesk();
    EXPECT_EQ(t.HtoD("ff"), 255);
    EXPECT_EQ(t.HtoD(" 1A "), 26);
    EXPECT_EQ(t.HtoD(""), 0);
    EXPECT_EQ(t.HtoD("1G"), 16);    // an unknown character still takes its place
    EXPECT_EQ(t.HtoD("1 A"), 266);  // so does an inner blank
    EXPECT_EQ(t.HtoD("7FFFFFFF"), 2147483647);
    EXPECT_EQ(numeroDeError([&] { t.HtoD("80000000"); }), errores::Desbordamiento);
    EXPECT_EQ(numeroDeError([&] { t.HtoD("100000000"); }), errores::Desbordamiento);
    // Leading zeros cost nothing until the place counter runs out at 256 characters.
    EXPECT_EQ(t.HtoD(QString(254, '0') + "F"), 15);
    EXPECT_EQ(numeroDeError([&] { t.HtoD(QString(255, '0') + "F"); }), errores::Desbordamiento);
}

TEST(Suma, TiposYUniones) {
    prueba::PlataformaPrueba p;
    libTESK& t = tesk();
    Variante v(std::int16_t{5});
    t.Suma(v);
    EXPECT_EQ(v, Variante(std::int16_t{6}));

    v = Variante(std::int16_t{1});
    t.Suma(v, 2.5);
    EXPECT_EQ(v, Variante(3.5));

    // 16-bit widens to 32-bit, 32-bit to double.
    v = Variante(std::int16_t{32767});
    t.Suma(v);
    EXPECT_EQ(v, Variante(std::int32_t{32768}));
    v = Variante(std::int32_t{2147483647});
    t.Suma(v);
    EXPECT_EQ(v, Variante(2147483648.0));

    v = Variante("abc");
    t.Suma(v, Variante("def"));
    EXPECT_EQ(v, Variante("abcdef"));

    v = Variante("10");  // a text that reads as a number adds to a number
    t.Suma(v, Variante(std::int16_t{5}));
    EXPECT_EQ(v.tipo(), Variante::Tipo::Doble);
    EXPECT_DOUBLE_EQ(v.doble(), 15.0);

    v = Variante();  // Empty counts from zero
    t.Suma(v);
    EXPECT_EQ(v, Variante(std::int16_t{1}));
    v = Variante();
    t.Suma(v, Variante("x"));
    EXPECT_EQ(v, Variante("x"));

    v = Variante::nulo();
    t.Suma(v);
    EXPECT_TRUE(v.esNulo());

    v = Variante(QDate(2001, 2, 28));
    t.Suma(v);
    EXPECT_EQ(v, Variante(QDate(2001, 3, 1)));
    EXPECT_TRUE(p.mensajes().isEmpty());

    // A failed addition: one message, the variable unchanged, nothing thrown.
    v = Variante("abc");
    t.Suma(v, Variante(std::int16_t{1}));
    EXPECT_EQ(v, Variante("abc"));
    ASSERT_EQ(p.mensajes().size(), 1);
    const Mensaje& m = p.mensajes().first();
    EXPECT_TRUE(m.texto.startsWith("Función 'Suma'. "));
    EXPECT_GT(m.texto.size(), QString("Función 'Suma'. ").size());
    EXPECT_EQ(m.titulo, "Detección de errores");
    EXPECT_EQ(m.icono, Icono::Critico);
    EXPECT_EQ(m.botones, Botones::Aceptar);

    // Overflow of a double is a failure too.
    v = Variante(std::numeric_limits<double>::max());
    t.Suma(v, Variante(std::numeric_limits<double>::max()));
    EXPECT_EQ(v, Variante(std::numeric_limits<double>::max()));
    EXPECT_EQ(p.mensajes().size(), 2);
}

TEST(FechaSQL, OrdenRegional) {
    libTESK& t = tesk();
    {
        RegionalFijo mx(QLocale(QLocale::Spanish, QLocale::Mexico));
        EXPECT_EQ(t.FechaSQL("03/02/2001"), "2001-2-3");
        EXPECT_EQ(t.FechaSQL("25/12/2004"), "2004-12-25");
        EXPECT_EQ(t.FechaSQL("9-3-2005"), "2005-3-9");
        EXPECT_EQ(t.FechaSQL("9.3.05"), "2005-3-9");
        EXPECT_EQ(t.FechaSQL("9 mar 2005"), "2005-3-9");
        EXPECT_EQ(t.FechaSQL("9/MARZO/2005"), "2005-3-9");
        EXPECT_EQ(t.FechaSQL("09/mar./05"), "2005-3-9");
        EXPECT_EQ(t.FechaSQL("05/03/45"), "1945-3-5");  // two-digit years: 1930-2029
        EXPECT_EQ(t.FechaSQL("05/03/29"), "2029-3-5");
        EXPECT_EQ(t.FechaSQL("05/03/30"), "1930-3-5");
        EXPECT_EQ(t.FechaSQL("2001-02-03"), "2001-2-3");  // year first
        EXPECT_EQ(t.FechaSQL("03/02/2001 14:25:00"), "2001-2-3");
        EXPECT_EQ(t.FechaSQL("29/02/2004"), "2004-2-29");
        EXPECT_EQ(t.FechaSQL("29/02/2001"), "0000-00-00");
        EXPECT_EQ(t.FechaSQL("31/02/2001"), "0000-00-00");
        EXPECT_EQ(t.FechaSQL("13/13/2001"), "0000-00-00");
        EXPECT_EQ(t.FechaSQL("abc"), "0000-00-00");
        EXPECT_EQ(t.FechaSQL(""), "0000-00-00");
        EXPECT_EQ(t.FechaSQL("03/02/2001 basura"), "0000-00-00");
        EXPECT_EQ(t.FechaSQL("9 FEB 2005"), "2005-2-9");
    }
    {
        RegionalFijo us(QLocale(QLocale::English, QLocale::UnitedStates));
        EXPECT_EQ(t.FechaSQL("03/02/2001"), "2001-3-2");
        EXPECT_EQ(t.FechaSQL("12/25/2004"), "2004-12-25");
        EXPECT_EQ(t.FechaSQL("25/12/2004"), "0000-00-00");  // no silent swap
        EXPECT_EQ(t.FechaSQL("Mar 9 2005"), "2005-3-9");
        EXPECT_EQ(t.FechaSQL("9 mar 2005"), "2005-3-9");
        EXPECT_EQ(t.FechaSQL("9 marzo 2005"), "0000-00-00");  // not the user's language
    }
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
