// Month lengths, typed dates, the entry texts derived from the regional short date and the
// formats the screen and the reports use.

#include <gtest/gtest.h>

#include "AyudaPruebas.h"
#include "core/Regional.h"
#include "core/libTESK.h"

using namespace quilmaro;
using prueba::RegionalFijo;

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
