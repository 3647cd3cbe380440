// Month lengths, leap years, typed dates and the entry texts derived from the regional short date.

#include <gtest/gtest.h>

#include "AyudaPruebas.h"
#include "core/Regional.h"
#include "core/libTESK.h"

using namespace quilmaro;
using prueba::numeroDeError;
using prueba::RegionalFijo;

namespace {

// A stand-in for an entry field: anything with text() and setText().
struct Campo {
    QString t;
    QString text() const { return t; }
    void setText(const QString& s) { t = s; }
};

}  // namespace

TEST(Fechas, MesesYBisiestos) {
    libTESK& t = tesk();
    // A month out of 1..12 counts as one of 31 days.
    struct C {
        std::int16_t mes, anio, dias;
    };
    for (C c : {C{2, 2000, 29}, C{2, 1900, 28}, C{2, 2004, 29}, C{2, 2001, 28}, C{4, 2001, 30},
                C{11, 2001, 30}, C{12, 2001, 31}, C{13, 2001, 31}, C{-1, 2001, 31}})
        EXPECT_EQ(t.UltimoDia(c.mes, c.anio), c.dias) << c.mes << '/' << c.anio;

    const QDate hoy = QDate::currentDate();
    std::int16_t mes = 0, anio = 0;
    EXPECT_EQ(t.UltimoDia(mes, anio), hoy.daysInMonth());
    EXPECT_EQ(mes, hoy.month());
    EXPECT_EQ(anio, hoy.year());
    EXPECT_EQ(t.EsBisiesto(0), QDate::isLeapYear(hoy.year()));
    EXPECT_TRUE(t.EsBisiesto(2400));
    EXPECT_FALSE(t.EsBisiesto(2100));
}

TEST(Fechas, PatronesDelSistema) {
    libTESK& t = tesk();
    {
        RegionalFijo r(QLocale::Spanish, QLocale::Mexico);
        const QString p = PatronFecha();
        // Whatever the locale data says, the letters stand where the sample's numbers stood.
        const QString muestra = regional().toString(QDate(2001, 2, 3), QLocale::ShortFormat);
        EXPECT_EQ(muestra.size(), p.size());
        EXPECT_TRUE(p.startsWith("dd/mm/")) << qPrintable(p);
        QString vacia = p, mascara = p;
        for (QChar& c : vacia)
            if (c == 'd' || c == 'm' || c == 'y')
                c = ' ';
        for (QChar& c : mascara)
            if (c == 'd' || c == 'm' || c == 'y')
                c = '#';
        EXPECT_EQ(t.FechaVacia(), vacia);
        EXPECT_EQ(t.MascaraFecha(), mascara);
        EXPECT_TRUE(t.FormatoFecha().startsWith("dd/mmm/"));
    }
    {
        RegionalFijo r(QLocale::English, QLocale::UnitedStates);  // 2/3/01
        EXPECT_EQ(PatronFecha(), "m/d/yy");
        EXPECT_EQ(t.FechaVacia(), " / /  ");
        EXPECT_EQ(t.MascaraFecha(), "#/#/##");
        EXPECT_EQ(t.FormatoFecha(), "mmm/d/yy");
    }
    {
        RegionalFijo r(QLocale::German, QLocale::Germany);  // 03.02.01
        EXPECT_EQ(PatronFecha(), "dd.mm.yy");
        EXPECT_EQ(t.FormatoFecha(), "dd.mmm.yy");
    }
    {
        RegionalFijo r(QLocale::Chinese, QLocale::China);  // 2001/2/3
        EXPECT_EQ(PatronFecha(), "yyyy/m/d");
        EXPECT_EQ(t.FechaVacia(), "    / / ");
    }
}

TEST(Fechas, FechasEscritasPorElUsuario) {
    libTESK& t = tesk();
    RegionalFijo r(QLocale::Spanish, QLocale::Mexico);
    using V = std::pair<const char*, bool>;
    for (auto [fecha, valida] :
         {V{"31/02/2001", false}, V{"29/02/2004", true}, V{"29/02/2001", false}, V{"   ", false},
          V{"", false}, V{"abc", false}, V{"01/01/0099", false}, V{"01/01/0100", true},
          V{"31/12/9999", true}})
        EXPECT_EQ(t.FechaValida(fecha), valida) << fecha;

    Campo c{"3/2/2001"};
    EXPECT_TRUE(t.ValidaFecha(c));
    EXPECT_EQ(c.t, "03/feb/2001");
    c.t = "25-dic-04";
    EXPECT_TRUE(t.ValidaFecha(c));
    EXPECT_EQ(c.t, "25/dic/2004");
    c.t = "abc";
    EXPECT_FALSE(t.ValidaFecha(c));
    EXPECT_EQ(c.t, t.FechaVacia());

    RegionalFijo us(QLocale::English, QLocale::UnitedStates);
    EXPECT_TRUE(t.FechaValida("02/29/2004"));
    EXPECT_FALSE(t.FechaValida("29/02/2004"));
    QString s = "12/25/2004";
    EXPECT_TRUE(t.ValidaFecha(s));
    EXPECT_EQ(s, "25/dec/2004");
}

TEST(Fechas, FormatosDeLaPantalla) {
    RegionalFijo r(QLocale::Spanish, QLocale::Mexico);
    EXPECT_EQ(formateaFecha(QDate(2001, 2, 3), "dd/mmm/yy"), "03/feb/01");
    EXPECT_EQ(formateaFecha(QDate(2001, 2, 3), "d/m/yyyy"), "3/2/2001");
    EXPECT_EQ(formateaImporte(1234567.891), "1,234,567.89");
    EXPECT_EQ(formateaImporte(0), "0.00");
    EXPECT_EQ(formateaImporte(-0.001), "0.00");
    EXPECT_EQ(formateaImporte(-1500.5), "-1,500.50");
    EXPECT_EQ(formateaImporte(0.125), "0.13");
    // Halves that binary fractions keep a hair below still round up, as on the reports.
    EXPECT_EQ(formateaImporte(2.675), "2.68");
    EXPECT_EQ(formateaImporte(1.005), "1.01");
    EXPECT_EQ(formateaImporte(-2.675), "-2.68");
    EXPECT_EQ(formateaImporte(2.674999), "2.67");
    RegionalFijo de(QLocale::German, QLocale::Germany);
    EXPECT_EQ(formateaImporte(1234567.891), "1.234.567,89");
    EXPECT_EQ(formateaFecha(QDate(2001, 1, 3), "dd/mmmm/yyyy"), "03/januar/2001");
}
