// Text cipher: Encripta, DesEncripta and CifraTexto.

#include <gtest/gtest.h>

#include <functional>

#include "AyudaPruebas.h"
#include "core/ArchivosTexto.h"
#include "core/Biblioteca.h"
#include "core/libTESK.h"

using namespace quilmaro;
using prueba::numeroDeError;
using prueba::RegionalFijo;

namespace {

// The single-byte code of every character of s.
std::vector<int> codigos(const QString& s) {
    std::vector<int> v;
    for (char b : texto::aWindows1252(s))
        v.push_back(static_cast<unsigned char>(b));
    return v;
}

}  // namespace

TEST(Cifrado, LetrasDigitosYBlancosIdaYVuelta) {
    libTESK& t = tesk();
    EXPECT_EQ(t.Encripta(""), "");
    EXPECT_EQ(t.DesEncripta(""), "");
    const QString claro = QStringLiteral(
        "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz 0123456789 "
        "Ñandú, Año 2024: €1.50; ¿qué?");
    const QString cifrado = t.Encripta(claro);
    EXPECT_EQ(cifrado.size(), claro.size());
    EXPECT_EQ(t.DesEncripta(cifrado), claro);
    EXPECT_EQ(CifraTexto(cifrado, -7), claro);  // any flag but 0 deciphers
    // Every character moves, by the same amount at positions four apart.
    const std::vector<int> a = codigos(claro), b = codigos(cifrado);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_GT(b[i], a[i]) << i;
        if (i >= 4) {
            EXPECT_EQ(b[i] - a[i], b[i - 4] - a[i - 4]) << i;
        }
    }
    const QString iguales = t.Encripta("aaaaa");
    EXPECT_EQ(iguales.at(0), iguales.at(4));
    EXPECT_NE(iguales.at(0), iguales.at(1));
}

TEST(Cifrado, Fallas) {
    libTESK& t = tesk();
    // The top code fails wherever it stands, and no partial text comes back.
    EXPECT_EQ(numeroDeError([&] { t.Encripta(QStringLiteral("abc") + QChar(0xFF)); }),
              errores::ArgumentoNoValido);
    EXPECT_EQ(numeroDeError([&] { t.DesEncripta(QStringLiteral("abc") + QChar(0)); }),
              errores::ArgumentoNoValido);
    // A character that has no single-byte code is refused rather than turned into "?".
    EXPECT_EQ(numeroDeError([&] { t.Encripta(QStringLiteral("a\u0151b")); }),
              errores::ArgumentoNoValido);
    EXPECT_EQ(numeroDeError([&] { t.Encripta(QString::fromUtf8("x\xF0\x9F\x98\x80")); }),
              errores::ArgumentoNoValido);
    // Length limit of the position counter.
    EXPECT_EQ(t.Encripta(QString(32767, QLatin1Char('a'))).size(), 32767);
    EXPECT_EQ(numeroDeError([&] { t.Encripta(QString(32768, QLatin1Char('a'))); }),
              errores::Desbordamiento);
}
