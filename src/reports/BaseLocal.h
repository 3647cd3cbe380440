#pragma once
// The local report database: a SQLite file (named as the program names it, "Auxiliar.MDB",
// "TEMPORAL0000.MDB") with the operations the report run needs: open a file, open a table, add a
// row, set its fields by name, save it, close.

#include <QString>
#include <QStringList>
#include <map>
#include <optional>

#include "core/ErrorTESK.h"

struct sqlite3;

namespace quilmaro {

class BaseLocal {
  public:
    BaseLocal() = default;
    ~BaseLocal();
    BaseLocal(const BaseLocal&) = delete;
    BaseLocal& operator=(const BaseLocal&) = delete;

    // Opens an existing file for reading and writing. Failures are returned.
    std::optional<Error> abre(const QString& ruta);
    // Opens a table for adding rows; its columns are learnt here.
    std::optional<Error> abreTabla(const QString& tabla);
    QStringList columnas() const { return columnas_; }
    // Starts a new row; fields are set by name (without regard to case) and saved with guarda().
    void agregaNuevo();
    std::optional<Error> fijaCampo(const QString& nombre, const QString& valor);
    std::optional<Error> guarda();
    void cierraTabla();
    void cierra();
    bool abierta() const { return db_ != nullptr; }

    // Creates a new file (replacing any old one) by running the statements of sql.
    static std::optional<Error> creaDesdeSql(const QString& ruta, const QString& sql);

  private:
    Error errorSqlite() const;

    sqlite3* db_ = nullptr;
    QString tabla_;
    QStringList columnas_;
    std::map<QString, QString> fila_;  // column (as the table spells it) -> value
    bool nueva_ = false;
};

}  // namespace quilmaro
