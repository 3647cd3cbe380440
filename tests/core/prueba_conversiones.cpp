// Conversions of libTESK, the cipher, the regional date reader and the variant value (its
// addition, its text and the kinds server columns need); month lengths, typed dates and the entry
// texts of the regional short date; amounts in words and in figures.

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QTimeZone>
#include <cmath>
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

TEST(Fechas, MesesYBisiestos) {
    // A month out of 1..12 counts as one of 31 days; 0/0 is this month, also for the caller.
    const QDate hoy = QDate::currentDate();
    using C = std::tuple<std::int16_t, std::int16_t, int>;
    for (auto [m, a, dias] :
         {C{2, 2000, 29}, C{2, 1900, 28}, C{2, 2004, 29}, C{4, 2001, 30}, C{12, 2001, 31},
          C{13, 2001, 31}, C{-1, 2001, 31}, C{0, 0, hoy.daysInMonth()}}) {
        std::int16_t mes = m, anio = a;
        EXPECT_EQ(tesk().UltimoDia(mes, anio), dias) << m << '/' << a;
        EXPECT_EQ(tesk().EsBisiesto(anio), QDate::isLeapYear(anio)) << anio;
    }
}

TEST(Fechas, PatronesDelSistema) {
    RegionalFijo mx(QLocale::Spanish, QLocale::Mexico);
    EXPECT_TRUE(PatronFecha().startsWith("dd/mm/")) << qPrintable(PatronFecha());
    EXPECT_TRUE(tesk().FormatoFecha().startsWith("dd/mmm/"));
    // pattern, empty entry text, entry mask, display format
    using C = std::tuple<QLocale::Language, QLocale::Country, const char*, const char*, const char*,
                         const char*>;
    for (auto [idioma, pais, patron, vacia, mascara, formato] :
         {C{QLocale::English, QLocale::UnitedStates, "m/d/yy", " / /  ", "#/#/##", "mmm/d/yy"},
          C{QLocale::German, QLocale::Germany, "dd.mm.yy", "  .  .  ", "##.##.##", "dd.mmm.yy"},
          C{QLocale::Chinese, QLocale::China, "yyyy/m/d", "    / / ", "####/#/#", "yyyy/mmm/d"}}) {
        RegionalFijo r(idioma, pais);
        EXPECT_EQ(PatronFecha(), patron);
        EXPECT_EQ(tesk().FechaVacia(), vacia) << patron;
        EXPECT_EQ(tesk().MascaraFecha(), mascara) << patron;
        EXPECT_EQ(tesk().FormatoFecha(), formato) << patron;
    }
}

TEST(Fechas, FechasEscritasPorElUsuario) {
    // Region, text typed, the text the field shows afterwards (nullptr: not a date).
    using C = std::tuple<const char*, const char*, const char*>;
    for (auto [region, escrita, mostrada] :
         {C{"es_MX", "3/2/2001", "03/feb/2001"}, C{"es_MX", "25-dic-04", "25/dic/2004"},
          C{"es_MX", "29/02/2004", "29/feb/2004"}, C{"es_MX", "31/02/2001", nullptr},
          C{"es_MX", "29/02/2001", nullptr}, C{"es_MX", "   ", nullptr}, C{"es_MX", "abc", nullptr},
          C{"es_MX", "01/01/0099", nullptr}, C{"es_MX", "31/12/9999", "31/dic/9999"},
          C{"en_US", "12/25/2004", "25/dec/2004"}, C{"en_US", "29/02/2004", nullptr}}) {
        RegionalFijo r{QLocale(QString::fromLatin1(region))};
        QString campo = escrita;
        EXPECT_EQ(tesk().FechaValida(escrita), mostrada != nullptr) << escrita;
        EXPECT_EQ(tesk().ValidaFecha(campo), mostrada != nullptr) << escrita;
        EXPECT_EQ(campo, mostrada ? QString::fromUtf8(mostrada) : tesk().FechaVacia()) << escrita;
    }
}

TEST(Fechas, FormatosDeLaPantalla) {
    RegionalFijo r(QLocale::Spanish, QLocale::Mexico);
    EXPECT_EQ(formateaFecha(QDate(2001, 2, 3), "dd/mmm/yy"), "03/feb/01");
    EXPECT_EQ(formateaFecha(QDate(2001, 2, 3), "d/m/yyyy"), "3/2/2001");
    EXPECT_EQ(formateaImporte(1234567.891), "1,234,567.89");
    EXPECT_EQ(formateaImporte(-0.001), "0.00");
    RegionalFijo de(QLocale::German, QLocale::Germany);
    EXPECT_EQ(formateaImporte(1234567.891), "1.234.567,89");
    EXPECT_EQ(formateaFecha(QDate(2001, 1, 3), "dd/mmmm/yyyy"), "03/januar/2001");
}

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
    for (C c : {C{1234.56, nullptr, "UN MIL DOSCIENTOS TREINTA Y CUATRO PESOS 56/100 M. N."},
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
