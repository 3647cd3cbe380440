// tkVal on texts of plain digits (identifiers and numbers of the list) reads the same value as on
// the same digits written any other way the general reading takes.

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "core/libTESK.h"

using namespace quilmaro;

TEST(ValorDeDigitos, IgualQueLaLecturaGeneral) {
    libTESK& t = libTESK::instancia();
    QStringList textos = {
        "0", "7", "0125", "000", "999999999999999", "100000000000000", "123456789012345"};
    QRandomGenerator azar(20261206);
    for (int i = 0; i < 2000; ++i) {
        QString s;
        const int largo = 1 + static_cast<int>(azar.bounded(15));
        for (int k = 0; k < largo; ++k)
            s += QChar(u'0' + static_cast<char16_t>(azar.bounded(10)));
        textos << s;
    }
    for (const QString& s : textos) {
        // A trailing blank or a group comma sends the same digits through the general reading.
        const double general = t.tkVal(s + QLatin1Char(' '));
        EXPECT_EQ(t.tkVal(s), general) << s.toStdString();
        EXPECT_EQ(t.tkVal(QLatin1Char(',') + s), general) << s.toStdString();
        EXPECT_EQ(t.tkVal(s), static_cast<double>(s.toLongLong())) << s.toStdString();
    }
    // Sixteen digits and more, and digits of other scripts, take the general reading.
    EXPECT_EQ(t.tkVal("1234567890123456"), 1234567890123456.0);
    EXPECT_EQ(t.tkVal("12345678901234567890"), t.tkVal("12345678901234567890 "));
    EXPECT_EQ(t.tkVal(QString::fromUtf8("١٢")), t.tkVal(QString::fromUtf8("١٢ ")));
    EXPECT_EQ(t.tkVal("12a"), 12.0);
}
