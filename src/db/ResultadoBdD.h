#pragma once
// The rows of one statement as the server sent them (inside the data-objects layer only).

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace quilmaro {

struct ColumnaBdD {
    QString nombre;          // as the result names it (alias included)
    QString nombreOriginal;  // the table's column, empty for an expression
    QString tabla;           // the table it comes from, empty for an expression
    QString base;            // that table's database
    int tipo = 0;            // data-type code (db/TiposCampo.h)
    int tipoServidor = 0;    // the protocol's field type
    unsigned flags = 0;
    unsigned juegoCaracteres = 0;
    unsigned long longitud = 0;
};

// One value: its text as the server sent it, nothing for NULL.
using ValorBdD = std::optional<QByteArray>;
using FilaBdD = std::vector<ValorBdD>;

struct ResultadoBdD {
    std::vector<ColumnaBdD> columnas;
    std::vector<FilaBdD> filas;
};

}  // namespace quilmaro
