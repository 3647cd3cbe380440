// Keyboard of the entry fields: Enter and the arrows move between fields, templates filter or
// convert what is typed.

#include "core/ArchivosTexto.h"
#include "core/libTESK.h"
#include "platform/Plataforma.h"

namespace quilmaro {

namespace {

constexpr std::int16_t kEnter = 13;
constexpr std::int16_t kRetroceso = 8;
constexpr std::int16_t kApostrofo = 39;
constexpr std::int16_t kComillas = 34;

bool esDigito(std::int16_t c) {
    return c >= '0' && c <= '9';
}

// The capital of a character, as long as the program's code page can hold it ("ñ" gives "Ñ",
// "µ" stays, since its capital is Greek).
std::int16_t mayuscula(std::int16_t tecla) {
    const QChar c(static_cast<char16_t>(tecla));
    const QChar m = c.toUpper();
    if (m == c)
        return tecla;
    if (texto::aWindows1252(QString(m)) == "?")
        return tecla;
    return static_cast<std::int16_t>(m.unicode());
}

}  // namespace

void libTESK::Teclas(std::int16_t KeyCode) {
    if (KeyCode == 38)
        plataforma().enviaTab(true);
    if (KeyCode == 40)
        plataforma().enviaTab(false);
}

void libTESK::Enter(std::int16_t& Tecla, const QString& Plantilla) {
    if (Tecla == kEnter) {
        Tecla = 0;
        plataforma().enviaTab(false);
        return;
    }
    if (Plantilla.isEmpty())
        return;
    if (Tecla == kApostrofo)
        Tecla = kComillas;
    if (Plantilla == QLatin1String("!")) {
        Tecla = mayuscula(Tecla);
    } else if (Plantilla == QLatin1String("9")) {
        if (!esDigito(Tecla) && Tecla != '.' && Tecla != kRetroceso && Tecla != '-') {
            Tecla = 0;
            plataforma().beep();
        }
    } else if (Plantilla == QLatin1String("T")) {
        if (!(Tecla >= '0' && Tecla <= ':') && Tecla != kRetroceso) {
            Tecla = 0;
            plataforma().beep();
        }
    }
}

}  // namespace quilmaro
