// Text cipher of libTESK: every character's code moves by a shift that depends on its position.

#include <array>
#include <limits>

#include "core/ArchivosTexto.h"
#include "core/Biblioteca.h"
#include "core/libTESK.h"

namespace quilmaro {

namespace {

// The key: position 1 moves by the first number, 2 by the second, ..., 5 by the first again.
constexpr std::array<int, 4> kCiclo = {3, 5, 2, 4};

}  // namespace

QString CifraTexto(const QString& texto, std::int16_t direccion) {
    if (texto.size() > std::numeric_limits<std::int16_t>::max())
        errores::lanza(errores::Desbordamiento);
    // Characters are handled through their single-byte codes, as the files of the program keep
    // them. A character without a code would come back as "?", so it is refused instead.
    const QByteArray codigos = texto::aWindows1252(texto);
    if (codigos.size() != texto.size() || texto::deWindows1252(codigos) != texto)
        errores::lanza(errores::ArgumentoNoValido);
    QByteArray resultado(codigos.size(), '\0');
    for (qsizetype i = 0; i < codigos.size(); ++i) {
        const int desplazamiento = kCiclo[static_cast<std::size_t>(i % 4)];
        const int c = static_cast<unsigned char>(codigos.at(i));
        const int nuevo = direccion == 0 ? c + desplazamiento : c - desplazamiento;
        if (nuevo < 0 || nuevo > 255)
            errores::lanza(errores::ArgumentoNoValido);
        resultado[i] = static_cast<char>(nuevo);
    }
    return texto::deWindows1252(resultado);
}

QString libTESK::Encripta(const QString& Texto) {
    return CifraTexto(Texto, 0);
}

QString libTESK::DesEncripta(const QString& Texto) {
    return CifraTexto(Texto, 1);
}

}  // namespace quilmaro
