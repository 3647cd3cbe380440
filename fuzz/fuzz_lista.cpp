// Any bytes as a saved invoice list: reading never fails or hangs, every record has seven
// fields, and writing what was read and reading it again gives the same records.

#include <cstddef>
#include <cstdint>

#include "forms/main/ArchivoLista.h"
#include "lib/ArchivosTexto.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t largo) {
    using namespace quilmaro;
    const QByteArray bytes(reinterpret_cast<const char*>(datos), static_cast<qsizetype>(largo));
    const QList<QStringList> registros = lista::lee(texto::decodifica(bytes));
    for (const QStringList& r : registros)
        if (r.size() != lista::kCampos)
            __builtin_trap();
    // What the program writes it reads back the same (characters outside the code page aside).
    // The bytes written are Windows-1252; read them as such (a file whose bytes also happen to
    // form UTF-8 is taken for UTF-8 by the reader: that guess is the reader's, not checked here).
    const QByteArray escrito = lista::escribe(registros);
    const QList<QStringList> otraVez = lista::lee(texto::deWindows1252(escrito));
    if (lista::escribe(otraVez) != escrito)
        __builtin_trap();
    return 0;
}
