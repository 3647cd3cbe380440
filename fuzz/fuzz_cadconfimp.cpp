// Any text as a printer control string ("27,64"): decoding it fails only with the two documented
// errors (a text over 254 characters always overflows), gives one character per item, and the
// codes it gave, written back as plain numbers, decode to the same characters.

#include <cstddef>
#include <cstdint>

#include "Entrada.h"
#include "core/ArchivosTexto.h"
#include "core/libTESK.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t largo) {
    using namespace quilmaro;
    libTESK& t = tesk();
    const QString cadena = fuzz::textoDe(datos, largo);
    QString resultado;
    try {
        resultado = t.CadConfImp(cadena);
    } catch (const ErrorTESK& e) {
        // An item that is not a code 0..255 is an invalid argument; a number too big even to
        // read, or too long a text, an overflow.
        if (e.numero() == errores::ArgumentoNoValido && cadena.size() <= 254)
            return 0;
        if (e.numero() == errores::Desbordamiento)
            return 0;
        __builtin_trap();
    }
    if (cadena.size() > 254)
        __builtin_trap();
    if (resultado.size() != cadena.count(QLatin1Char(',')) + 1)
        __builtin_trap();
    // Every character is one byte of the code page.
    const QByteArray bytes = texto::aWindows1252(resultado);
    if (texto::deWindows1252(bytes) != resultado)
        __builtin_trap();
    QStringList numeros;
    for (char b : bytes)
        numeros << QString::number(static_cast<unsigned char>(b));
    const QString canonica = numeros.join(QLatin1Char(','));
    if (canonica.size() <= 254 && t.CadConfImp(canonica) != resultado)
        __builtin_trap();
    return 0;
}
