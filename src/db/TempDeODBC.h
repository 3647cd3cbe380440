#pragma once
// The server routines: connections, tables and queries, inserting rows and copying them between
// tables. They show their own failures in message boxes (platform seam) and carry on.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

#include "db/Conexion.h"
#include "db/Recordset.h"

namespace quilmaro {

// The administration system's general database, used when no database is named.
inline const QString kBaseDeDatosGeneral = QStringLiteral("generalvelmorita");

// The connection string for a database: "DRIVER={MySQL ODBC 3.51 Driver};", then
// "SERVER=<servidor>;" only when servidor is not blank, "DATABASE=<base>;" and "UID=root;PWD=;".
QString CadenaConexion(const QString& servidor, const QString& baseDeDatos);

// A number as error messages write it: a leading blank when not negative (" 1049", "-2147467259").
QString NumeroDeError(int numero);

// Opens a new connection in cnnBdD to stBaseDatos (empty: "generalvelmorita"; written back in
// lower case) on the server stServidor. While the server cannot be reached it asks whether to try
// again, and ends the process on No. Any other failure is shown and cnnBdD is left holding a
// connection that is not open.
void AbreBdD(std::shared_ptr<Conexion>& cnnBdD, QString& stBaseDatos);

// Opens in rstTabla "Select <stCampos> from <stTabla>" on cnnBdD and answers whether it gave a
// row. The table name (before the first blank) is written back in lower case, an empty field list
// as "*". With no usable connection it says so and ends the process; any other failure is shown
// once and gives false.
bool AbreTabla(std::shared_ptr<Recordset>& rstTabla, const std::shared_ptr<Conexion>& cnnBdD,
               QString& stTabla, QString& stCampos);

// stTexto with every "XXX", in any letter case, replaced by stValor (which is not searched again).
QString Reemplaza(const QString& stTexto, const QString& stValor);
// The same, for a value going into SQL text: stValor is escaped for the connection first.
QString Reemplaza(const QString& stTexto, const QString& stValor, const Conexion& cnn);

// Inserts one row into stTabla: column i of stCampos gets value i of stValores (both lists from
// index 0). Each value is written by the type of the column of that name in rstTipos: numbers
// bare, CHAR/VARCHAR between quotes, DATE as FechaSQL's text between quotes ("NOW()" for a value
// beginning with "now"; the list entry is rewritten to what was written), any other bare. Every
// value is escaped for the connection. Lists of different lengths: a message and "", nothing
// sent. Returns the statement sent; failures are shown and do not stop it.
QString InsertaRegistro(const std::shared_ptr<Conexion>& cnnBdD,
                        const std::shared_ptr<Recordset>& rstTipos, const QString& stTabla,
                        const QStringList& stCampos, QStringList& stValores);

// The message of a failed insert into stTabla: a column `campo` the table lacks, a statement the
// server refused (shown with it), or any other failure.
void muestraErrorInsercion(const ErrorTESK& e, const QString& stTabla, const QString& campo,
                           const QString& sentencia);

// Copies the current row of rstOrigen into stTabla through InsertaRegistro: every column that
// rstDestino also has (by name, any letter case), except long texts and long binaries. NULLs go
// through NoNull where that gives a value the column takes (numbers 0, texts ""); elsewhere
// (dates, times, decimals, bits, ...) they stay NULL. Date-times keep their time, decimals their
// digits, doubles every digit, binary columns their bytes.
void PasaCampos(const std::shared_ptr<Recordset>& rstOrigen,
                const std::shared_ptr<Recordset>& rstDestino,
                const std::shared_ptr<Conexion>& cnnBdD, const QString& stTabla);

// Makes sure cnnBdD is an open connection the server still answers. One that was never opened,
// was closed, or that the server dropped (restarted, timed out) is replaced by a new one on
// stBaseDatos; while the server cannot be reached the clerk is asked whether to retry ("No hay
// conexión con el servidor. ¿Desea reintentar abrir la base de datos?"), and a No answers false
// and leaves cnnBdD as it was: unlike AbreBdD, the program goes on. Other failures are shown.
bool AseguraConexion(std::shared_ptr<Conexion>& cnnBdD, QString& stBaseDatos);

// One listed row for CopiaRegistros: its place in the list (from 1) and its ID.
struct RenglonCopia {
    int renglon = 0;
    qint64 id = 0;
};

// Copies into stDestino, in one statement, the rows of stOrigen whose ID is listed in
// `renglones`, as PasaCampos copies one row: every column of rstDestino (an empty record set of
// the destination, shaped like the origin) except long texts and long binaries, and
// columnaRenglon, which receives the row's place in the list; a NULL gets NoNull's blank where
// the column takes one (numbers, texts) and stays NULL elsewhere (dates included). A listed ID with
// no row is passed over; one listed twice is copied twice (a destination with a key refuses that:
// list each ID once). Shows nothing: a failure is thrown as the connection reports it. Returns the
// rows copied. The list reaches the server as `forma` says.
enum class FormaLista {
    DelServidor,  // a table value constructor where the server takes one (it reads that faster)
    Uniones       // a union of one-row SELECTs, which every server reads
};
std::uint64_t CopiaRegistros(Conexion& cnn, const Recordset& rstDestino, const QString& stOrigen,
                             const QString& stDestino, const QString& columnaRenglon,
                             const std::vector<RenglonCopia>& renglones,
                             FormaLista forma = FormaLista::DelServidor);

}  // namespace quilmaro
