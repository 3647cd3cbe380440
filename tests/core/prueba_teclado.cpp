// Templates of the entry fields and the keys that move between fields.

#include <gtest/gtest.h>

#include "PlataformaPrueba.h"
#include "core/libTESK.h"

using namespace quilmaro;

namespace {

struct Resultado {
    std::int16_t tecla;
    int pitidos;
    QList<bool> tabs;
};

Resultado teclea(QChar c, const QString& plantilla) {
    prueba::PlataformaPrueba p;
    auto t = static_cast<std::int16_t>(c.unicode());
    tesk().Enter(t, plantilla);
    return {t, p.pitidos(), p.tabs()};
}

QString pasa(const QString& texto, const QString& plantilla) {
    QString salida;
    for (QChar c : texto) {
        const Resultado r = teclea(c, plantilla);
        if (r.tecla != 0)
            salida += QChar(static_cast<char16_t>(r.tecla));
    }
    return salida;
}

}  // namespace

TEST(Teclado, EnterSiempreAvanzaYSeDescarta) {
    for (const char* plantilla : {"", "!", "9", "T", "X"}) {
        const Resultado r = teclea(QChar(13), QString(plantilla));
        EXPECT_EQ(r.tecla, 0) << plantilla;
        EXPECT_EQ(r.tabs, QList<bool>({false}));
        EXPECT_EQ(r.pitidos, 0);
    }
}

TEST(Teclado, Plantillas) {
    // Digits, point, minus and Backspace only; anything else dropped with a beep.
    EXPECT_EQ(pasa("12.5", "9"), "12.5");
    EXPECT_EQ(pasa("-3", "9"), "-3");
    EXPECT_EQ(teclea('a', "9").tecla, 0);
    EXPECT_EQ(teclea('a', "9").pitidos, 1);
    EXPECT_EQ(teclea(' ', "9").tecla, 0);
    EXPECT_EQ(teclea(',', "9").tecla, 0);
    EXPECT_EQ(teclea(QChar(8), "9").tecla, 8);
    EXPECT_EQ(teclea(QChar(8), "9").pitidos, 0);
    // An apostrophe becomes a double quote first, and is then refused.
    EXPECT_EQ(teclea('\'', "9").tecla, 0);
    EXPECT_EQ(teclea('\'', "9").pitidos, 1);

    EXPECT_EQ(pasa("10:30", "T"), "10:30");
    EXPECT_EQ(teclea('.', "T").tecla, 0);
    EXPECT_EQ(teclea('.', "T").pitidos, 1);

    EXPECT_EQ(pasa("abc ñá'z1", "!"), "ABC ÑÁ\"Z1");
    EXPECT_EQ(pasa("ÿšœž", "!"), "ŸŠŒŽ");
    EXPECT_EQ(pasa("µ", "!"), "µ");  // its capital is not in the code page
    EXPECT_EQ(teclea('a', "!").pitidos, 0);

    EXPECT_EQ(pasa("a'b", "X"), "a\"b");
    EXPECT_EQ(pasa("a'b", ""), "a'b");
}

TEST(Teclado, FlechasMuevenEntreCampos) {
    prueba::PlataformaPrueba p;
    tesk().Teclas(38);
    tesk().Teclas(40);
    tesk().Teclas(33);  // Page Up: nothing
    tesk().Teclas(37);
    EXPECT_EQ(p.tabs(), QList<bool>({true, false}));
}
