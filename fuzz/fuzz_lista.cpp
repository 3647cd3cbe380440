// Any bytes as a saved invoice list: reading never fails or hangs, every record has seven
// fields and a line in the text, in order; an identifier taken is the field's digits; and
// writing what was read and reading it again gives the same records.

#include <cstddef>
#include <cstdint>

#include <QRegularExpression>

#include "core/ArchivosTexto.h"
#include "core/ListaFacturas.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t largo) {
    using namespace quilmaro;
    const QByteArray bytes(reinterpret_cast<const char*>(datos), static_cast<qsizetype>(largo));
    const QString contenido = texto::decodifica(bytes);
    QList<int> lineas;
    const QList<QStringList> registros = lista::lee(contenido, &lineas);
    if (lineas.size() != registros.size())
        __builtin_trap();
    const int ultimaLinea =
        static_cast<int>(contenido.count(QLatin1Char('\n')) + contenido.count(QLatin1Char('\r'))) +
        1;
    for (qsizetype i = 0; i < registros.size(); ++i) {
        const QStringList& r = registros.at(i);
        if (r.size() != lista::kCampos)
            __builtin_trap();
        if (lineas.at(i) < (i ? lineas.at(i - 1) : 1) || lineas.at(i) > ultimaLinea)
            __builtin_trap();
        if (const auto id = lista::identificador(r.at(lista::kCampos - 1));
            id && (*id <= 0 ||
                   QString::number(*id) != r.at(lista::kCampos - 1)
                                               .trimmed()
                                               .remove(QRegularExpression(QStringLiteral("^0+")))))
            __builtin_trap();
    }
    // What the program writes it reads back the same (characters outside the code page aside).
    // The bytes written are Windows-1252; read them as such (a file whose bytes also happen to
    // form UTF-8 is taken for UTF-8 by the reader: that guess is the reader's, not checked here).
    const QByteArray escrito = lista::escribe(registros);
    const QList<QStringList> otraVez = lista::lee(texto::deWindows1252(escrito));
    if (lista::escribe(otraVez) != escrito)
        __builtin_trap();
    return 0;
}
