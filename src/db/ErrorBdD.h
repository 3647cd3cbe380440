#pragma once
// Failures of the data-objects layer: the number the program tests and the description it shows.

#include "core/ErrorTESK.h"

namespace quilmaro {

namespace errores {
// The server cannot be reached (the client library's 2002, 2003, 2005, 2006 and 2013).
inline constexpr int ServidorInalcanzable = -2147467259;
// The server rejected a statement (syntax, unknown table or column, bad value).
inline constexpr int SentenciaRechazada = -2147217900;
// The row to update is no longer there (or was changed by someone else).
inline constexpr int FilaNoLocalizada = -2147217864;
// An object variable that holds no object.
inline constexpr int SinObjeto = 91;
// A criterion or argument the layer cannot use.
inline constexpr int ArgumentoIncorrecto = 3001;
// The record set cannot write to that column (no table, or the table has no primary key among
// the columns).
inline constexpr int NoActualizable = 3251;
// The object is already open.
inline constexpr int ObjetoAbierto = 3705;
// No current row: before the first or past the last.
inline constexpr int SinRegistroActual = 3021;
// No field of that name or position.
inline constexpr int CampoInexistente = 3265;
// Operation on a closed record set.
inline constexpr int RecordsetCerrado = 3704;
// Operation on a connection that is closed or not valid.
inline constexpr int ConexionCerrada = 3709;
}  // namespace errores

// Thrown by every operation of the layer. Access denied (1045), unknown database (1049) and the
// server's other refusals at connect time keep the server's own number; so do the client
// library's failures that are no lost link (2014 commands out of sync, 2008 out of memory, ...).
class ErrorBdD : public ErrorTESK {
  public:
    using ErrorTESK::ErrorTESK;
    // The layer's own failures with their standard descriptions.
    static ErrorBdD propio(int numero);
};

}  // namespace quilmaro
