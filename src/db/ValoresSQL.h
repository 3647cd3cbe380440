#pragma once
// Values of the program and the text of the server, both ways (inside the data-objects layer and
// the server routines).

#include <QString>
#include <memory>

#include "core/Variante.h"
#include "db/ResultadoBdD.h"

namespace quilmaro {

class Conexion;

// The value the server sent for a column, as the program's variant value (see CampoBdD::valor()).
Variante decodificaValor(const ColumnaBdD& c, const ValorBdD& v);

// A value as the server would send it back for that column (nothing for NULL).
ValorBdD textoParaServidor(const Variante& v, const ColumnaBdD& c);

// A value written as an SQL literal for that column: NULL, a bare number, b'…' bits as 1 or 0,
// X'…' for bytes, anything else between single quotes, escaped for the connection.
QString literalSQL(const Variante& v, const ColumnaBdD& c, const Conexion& cnn);

// Bytes as an SQL hexadecimal literal: X'00FF' (X'' when empty).
QString literalHexadecimal(const QByteArray& bytes);

// A number in the form SQL reads: "." as the decimal point, no group separators; doubles in
// their shortest exact form.
QString numeroSQL(const Variante& v);

// A value escaped for the connection (for a missing connection, with the client library's
// default escaping), to stand between single quotes.
QString escapaPara(const std::shared_ptr<Conexion>& cnn, const QString& valor);

// A value of a field list as the statement builders write it for a column of type code `tipo`
// (-1: a column the table lacks): bare for the classic numeric kinds, between quotes for texts
// and unknown columns, for dates NOW() for a value beginning with "now" and otherwise FechaSQL's
// text between quotes (valor is rewritten to what is written), anything else bare (a date-time
// or time the caller quoted keeps its quotes, only what stands between them escaped). Escaped
// for the connection.
QString valorDeLista(const std::shared_ptr<Conexion>& cnn, int tipo, QString& valor);

// `name` with back-quotes doubled inside.
QString identificadorSQL(const QString& nombre);

}  // namespace quilmaro
