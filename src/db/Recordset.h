#pragma once
// A record set: the rows of one SELECT (or SHOW), held in memory, with a current row, and its
// fields. Every failure throws ErrorBdD (db/ErrorBdD.h).

#include <QString>
#include <map>
#include <memory>
#include <vector>

#include "core/Variante.h"
#include "db/ErrorBdD.h"
#include "db/ResultadoBdD.h"
#include "db/TiposCampo.h"

namespace quilmaro {

class Conexion;
class Recordset;

// One column of a record set, read on the current row. Owned by its record set; valid until the
// record set is opened again or destroyed.
class CampoBdD {
  public:
    CampoBdD(Recordset& rs, int indice) : rs_(&rs), indice_(indice) {}

    const QString& nombre() const;
    // Data-type code (db/TiposCampo.h), from the column's type, flags and character set.
    int tipo() const;
    // The value on the current row: Null for NULL; numbers as 16-bit (TINYINT, SMALLINT, YEAR),
    // 32-bit (SMALLINT UNSIGNED, MEDIUMINT, INT), 64-bit (the unsigned and big ones), double
    // (FLOAT, DOUBLE) or decimal digits (DECIMAL); BIT(1) as a boolean; DATE and DATETIME as
    // dates (DATETIME keeps its time to the millisecond); TIME and dates the calendar cannot hold
    // ("0000-00-00") as the server's text; texts as text; binary columns as bytes.
    // errores::SinRegistroActual without a current row, errores::RecordsetCerrado when closed.
    Variante valor() const;
    bool esNulo() const;
    // Sets the value of the current row; Recordset::actualiza() writes it to the server.
    void asigna(const Variante& v);
    // The value as the server sent it (nothing for NULL), for exact copies.
    ValorBdD textoServidor() const;
    // The column as the server describes it.
    const ColumnaBdD& columna() const;

  private:
    Recordset* rs_;
    int indice_;
};

class Recordset {
  public:
    Recordset() = default;
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    static std::shared_ptr<Recordset> crea() { return std::make_shared<Recordset>(); }

    // Runs the statement on the connection and keeps its rows, positioned on the first.
    // errores::ConexionCerrada when the connection is missing or closed;
    // errores::SentenciaRechazada (the server's message) when it refuses the statement. A statement
    // that returns no rows leaves the record set closed.
    void abre(const QString& sentencia, const std::shared_ptr<Conexion>& cnn);
    // errores::RecordsetCerrado when it is not open. Pending assignments are dropped.
    void cierra();
    bool estaAbierto() const { return abierto_; }

    // Past the last row / before the first row (both when there are no rows).
    bool eof() const;
    bool bof() const;
    // Moves. With no rows primero() and ultimo() fail with errores::SinRegistroActual, as do
    // siguiente() at the end and anterior() at the start. Pending assignments are written first.
    void primero();
    void siguiente();
    void anterior();
    void ultimo();
    // Searches forward from the current row (included) for the first row meeting a criterion
    // "<field> <op> <value>": op is =, <>, <, >, <=, >= or LIKE (with * or % as wildcards); the
    // value is 'text' (a quote inside may be doubled), #date# or a number. Texts compare without
    // regard to letter case. No match leaves the record set at its end. Without a current row
    // errores::SinRegistroActual; a criterion it cannot read errores::ArgumentoIncorrecto.
    void busca(const QString& criterio);
    // Runs the statement again and goes to the first row.
    void reconsulta();
    long cuentaRegistros() const;

    int cuentaCampos() const;
    // By position from 0, or by name without regard to case; errores::CampoInexistente when
    // there is no such field.
    CampoBdD& campo(int indice);
    CampoBdD& campo(const QString& nombre);
    const CampoBdD& campo(int indice) const;
    const CampoBdD& campo(const QString& nombre) const;

    // Writes the assignments made on the current row with one UPDATE of its table, keyed by the
    // table's primary key (which must be among the columns). Nothing pending, nothing done.
    // errores::FilaNoLocalizada when the row is gone; errores::SentenciaRechazada when the server
    // refuses a value. The values read afterwards are the assigned ones.
    void actualiza();

    const QString& sentencia() const { return sentencia_; }
    std::shared_ptr<Conexion> conexion() const { return conexion_; }

  private:
    friend class CampoBdD;
    friend class Conexion;
    void carga(ResultadoBdD&& r);
    void compruebaAbierto() const;
    void compruebaFila() const;
    void escribePendientes();
    int indiceDe(const QString& nombre) const;
    std::vector<QString> llavePrimaria(const ColumnaBdD& c);

    std::shared_ptr<Conexion> conexion_;
    QString sentencia_;
    bool abierto_ = false;
    ResultadoBdD datos_;
    std::vector<std::unique_ptr<CampoBdD>> campos_;
    long pos_ = 0;
    // Values assigned on the current row and not yet written, by column.
    std::map<int, Variante> pendientes_;
    // Primary-key columns of the tables written to, by `base`.`tabla`.
    std::map<QString, std::vector<QString>> llaves_;
};

}  // namespace quilmaro
