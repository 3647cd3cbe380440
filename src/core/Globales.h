#pragma once
// Program-wide values, set once at start-up and read everywhere after.

#include <QString>

namespace quilmaro {

// Host of the database server in lower case; empty means the server on this computer.
extern QString stServidor;
// The administration system's database, in lower case.
extern QString stBaseDeDatos;
// The program folder followed by the path separator.
extern QString stRutaPrograma;
// The working table of the report being run.
extern QString stTablaTemporal;
// Longest wait, in seconds, for the server to take or answer one piece of a statement (the
// connections' read and write timeouts; connecting waits for it too, at most 15 s). The settings
// file may change it; see kClaveEspera.
inline constexpr int kEsperaPredeterminada = 30;
extern int inEsperaServidor;

}  // namespace quilmaro
