#pragma once
// A connection to one database of the MariaDB/MySQL server (MariaDB Connector/C underneath).
// Every failure throws ErrorBdD with the numbers of db/ErrorBdD.h.

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/Variante.h"
#include "db/ErrorBdD.h"
#include "db/ResultadoBdD.h"

struct st_mysql;
struct st_mysql_res;

namespace quilmaro {

class Recordset;
class CursorBdD;
struct ResultadoBdD;

// What a connection string says. Keys are read without regard to case and values may stand in
// braces ("PWD={a;b}"); unknown keys (DRIVER, OPTION, ...) are ignored.
struct DatosConexion {
    QString servidor;     // SERVER: empty or "localhost" means this computer, through its socket
    QString baseDeDatos;  // DATABASE
    QString usuario;      // UID
    QString clave;        // PWD
    std::optional<int> puerto;  // PORT
    QString socket;             // SOCKET

    static DatosConexion interpreta(const QString& cadena);
};

class Conexion : public std::enable_shared_from_this<Conexion> {
  public:
    Conexion();
    ~Conexion();
    Conexion(const Conexion&) = delete;
    Conexion& operator=(const Conexion&) = delete;

    static std::shared_ptr<Conexion> crea() { return std::make_shared<Conexion>(); }

    void setCadenaConexion(const QString& cadena) { cadena_ = cadena; }
    const QString& cadenaConexion() const { return cadena_; }

    // Opens the connection the string describes, talking utf8mb4. The standard option files'
    // [client] group is read (port, socket, TLS). For this computer the socket is the string's
    // SOCKET, else MYSQL_UNIX_PORT, else the option files' or the library's default; for a named
    // server the port is the string's PORT, else MYSQL_TCP_PORT, else the option files' or 3306.
    // Every wait on the server is bounded by inEsperaServidor (startup/Globales.h): a statement
    // the server does not take or answer in time ends as an unreachable server.
    // An unreachable server gives errores::ServidorInalcanzable; the server's refusals (1045
    // access denied, 1049 unknown database, ...) keep their own number.
    void abre();
    // Closes; errores::ConexionCerrada when it is not open.
    void cierra();
    bool estaAbierta() const { return abierta_; }
    // Open, and nothing has come from the server since its last answer: a server that closed
    // the connection (restarted, stopped, timed out) has sent its end, which shows here at no
    // cost. Quiet is no proof the server is still there; a statement will tell.
    bool enCalma() const;

    // Runs one statement. A statement that returns rows (SELECT, SHOW) gives an open record set
    // holding them, positioned on the first; any other gives nullptr. A rejected statement gives
    // errores::SentenciaRechazada with the server's message; a closed connection
    // errores::ConexionCerrada.
    std::shared_ptr<Recordset> ejecuta(const QString& sentencia);
    // The same for a statement read once from the first row to the last (a report's rows): each
    // value is decoded from the client library's buffer when asked for, with no record set.
    // Null for a statement that returns no rows.
    std::unique_ptr<CursorBdD> abreCursor(const QString& sentencia);

    // The value written so that it can stand between single quotes in a statement of this
    // connection (mysql_real_escape_string: follows the server's SQL mode once connected).
    QString escapa(const QString& valor) const;

    // Rows the last statement found (for UPDATE: the rows matched, changed or not).
    std::uint64_t filasAfectadas() const { return filasAfectadas_; }

    // Whether the server takes a table value constructor (VALUES (1, 2), (3, 4)) where a SELECT
    // may stand: MariaDB from 10.3.3 does; MySQL spells it otherwise, or not at all (5.7). False
    // when not open.
    bool tieneValores() const;

  private:
    friend class Recordset;
    // Runs a statement; the rows when it returns any.
    std::optional<ResultadoBdD> consulta(const QString& sentencia);
    // Runs a statement; the client library's result, or null when it returns no rows.
    st_mysql_res* resultado(const QString& sentencia);
    void compruebaAbierta() const;

    st_mysql* mysql_ = nullptr;
    QString cadena_;
    bool abierta_ = false;
    std::uint64_t filasAfectadas_ = 0;
};

// The rows of one statement, read in order once (Conexion::abreCursor).
class CursorBdD {
  public:
    ~CursorBdD();
    CursorBdD(const CursorBdD&) = delete;
    CursorBdD& operator=(const CursorBdD&) = delete;

    const std::vector<ColumnaBdD>& columnas() const { return columnas_; }
    // Moves to the next row (the first, at the first call); false after the last.
    bool siguiente();
    // A value of the current row, decoded as a record set's field gives it.
    Variante valor(int columna) const;

  private:
    friend class Conexion;
    CursorBdD() = default;
    st_mysql_res* res_ = nullptr;
    char** fila_ = nullptr;
    const unsigned long* largos_ = nullptr;
    std::vector<ColumnaBdD> columnas_;
};

}  // namespace quilmaro
