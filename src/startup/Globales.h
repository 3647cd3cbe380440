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

}  // namespace quilmaro
