// Templates of the entry fields and the keys that move between fields.

#include <gtest/gtest.h>

#include "PlataformaPrueba.h"
#include "core/libTESK.h"

using namespace quilmaro;

TEST(Teclado, Plantillas) {
    // Template, keys typed, what reaches the field, beeps, Tabs queued. Enter always moves on and
    // is dropped. "9": digits, point, minus and Backspace only, anything else dropped with a beep;
    // "T" takes the colon instead of the point; "!" upper-cases (µ has no capital in the code
    // page). An apostrophe becomes a double quote first (and "9" then refuses it).
    using C = std::tuple<const char*, QString, QString, int, int>;
    for (const auto& [plantilla, teclas, campo, pitidos, tabs] :
         {C{"", "\r", "", 0, 1}, C{"!", "\r", "", 0, 1}, C{"9", "\r", "", 0, 1},
          C{"X", "\r", "", 0, 1}, C{"9", "12.5-3\b", "12.5-3\b", 0, 0}, C{"9", "a ,'", "", 4, 0},
          C{"T", "10:30.", "10:30", 1, 0}, C{"!", "abc ñá'z1ÿšœžµ", "ABC ÑÁ\"Z1ŸŠŒŽµ", 0, 0},
          C{"X", "a'b", "a\"b", 0, 0}, C{"", "a'b", "a'b", 0, 0}}) {
        prueba::PlataformaPrueba p;
        QString salida;
        for (QChar c : teclas) {
            auto tecla = static_cast<std::int16_t>(c.unicode());
            tesk().Enter(tecla, QString::fromLatin1(plantilla));
            if (tecla != 0)
                salida += QChar(static_cast<char16_t>(tecla));
        }
        EXPECT_EQ(salida, campo) << plantilla << " " << qPrintable(teclas);
        EXPECT_EQ(p.pitidos(), pitidos) << plantilla << " " << qPrintable(teclas);
        EXPECT_EQ(p.tabs(), QList<bool>(tabs, false)) << plantilla << " " << qPrintable(teclas);
    }
    // The arrows move between fields (up: back), other keys do nothing.
    prueba::PlataformaPrueba p;
    for (std::int16_t codigo : {38, 40, 33, 37})
        tesk().Teclas(codigo);
    EXPECT_EQ(p.tabs(), QList<bool>({true, false}));
}
