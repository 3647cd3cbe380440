#include "reports/BaseLocal.h"

#include <sqlite3.h>
#include <QFile>

namespace quilmaro {

namespace {

QString citaIdentificador(const QString& nombre) {
    QString n = nombre;
    n.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

// Numbers of the local database's failures, as the program shows them.
constexpr int kNoSePuedeAbrir = 3044;
constexpr int kTablaInexistente = 3078;
constexpr int kCampoInexistente = 3265;
constexpr int kSinFilaNueva = 3020;

}  // namespace

BaseLocal::~BaseLocal() {
    cierra();
}

Error BaseLocal::errorSqlite() const {
    return {db_ ? sqlite3_extended_errcode(db_) : kNoSePuedeAbrir,
            db_ ? QString::fromUtf8(sqlite3_errmsg(db_))
                : QStringLiteral("No se pudo abrir la base de datos local")};
}

std::optional<Error> BaseLocal::abre(const QString& ruta) {
    cierra();
    if (!QFile::exists(ruta))
        return Error{kNoSePuedeAbrir, QStringLiteral("No existe el archivo '%1'").arg(ruta)};
    sqlite3* db = nullptr;
    const int rc =
        sqlite3_open_v2(QFile::encodeName(ruta).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        Error e{kNoSePuedeAbrir, QString::fromUtf8(db ? sqlite3_errmsg(db) : "sqlite")};
        sqlite3_close(db);
        return e;
    }
    db_ = db;
    sqlite3_busy_timeout(db_, 5000);
    // The file lives for one report run and the next run makes it anew: its writes need not wait
    // for the disk (four forced writes per run, each a disk turn on a clerk's hard drive).
    sqlite3_exec(db_, "PRAGMA synchronous=OFF; PRAGMA journal_mode=MEMORY", nullptr, nullptr,
                 nullptr);
    // A file that is not a database shows itself at the first read.
    if (sqlite3_exec(db_, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) !=
        SQLITE_OK) {
        Error e = errorSqlite();
        cierra();
        return e;
    }
    return std::nullopt;
}

std::optional<Error> BaseLocal::abreTabla(const QString& tabla) {
    if (!db_)
        return Error{kNoSePuedeAbrir, QStringLiteral("La base de datos local no está abierta")};
    sqlite3_stmt* st = nullptr;
    const QByteArray sql =
        QStringLiteral("PRAGMA table_info(%1)").arg(citaIdentificador(tabla)).toUtf8();
    if (sqlite3_prepare_v2(db_, sql.constData(), -1, &st, nullptr) != SQLITE_OK)
        return errorSqlite();
    QStringList columnas;
    while (sqlite3_step(st) == SQLITE_ROW)
        columnas.append(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1))));
    sqlite3_finalize(st);
    if (columnas.isEmpty())
        return Error{kTablaInexistente, QStringLiteral("No existe la tabla '%1'").arg(tabla)};
    tabla_ = tabla;
    columnas_ = columnas;
    nueva_ = false;
    fila_.clear();
    return std::nullopt;
}

void BaseLocal::agregaNuevo() {
    fila_.clear();
    nueva_ = true;
}

std::optional<Error> BaseLocal::fijaCampo(const QString& nombre, const QString& valor) {
    if (!nueva_)
        return Error{kSinFilaNueva, QStringLiteral("No hay una fila nueva")};
    for (const QString& c : columnas_) {
        if (c.compare(nombre, Qt::CaseInsensitive) == 0) {
            fila_[c] = valor;
            return std::nullopt;
        }
    }
    return Error{kCampoInexistente,
                 QStringLiteral("No existe el campo '%1' en la tabla '%2'").arg(nombre, tabla_)};
}

std::optional<Error> BaseLocal::guarda() {
    if (!nueva_)
        return Error{kSinFilaNueva, QStringLiteral("No hay una fila nueva")};
    nueva_ = false;
    QStringList nombres, marcas;
    for (const auto& [c, v] : fila_) {
        nombres.append(citaIdentificador(c));
        marcas.append(QStringLiteral("?"));
    }
    const QString sql =
        nombres.isEmpty()
            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(citaIdentificador(tabla_))
            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(citaIdentificador(tabla_), nombres.join(QLatin1Char(',')),
                       marcas.join(QLatin1Char(',')));
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
        return errorSqlite();
    int i = 1;
    for (const auto& [c, v] : fila_) {
        const QByteArray b = v.toUtf8();
        sqlite3_bind_text(st, i++, b.constData(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
    }
    const int rc = sqlite3_step(st);
    sqlite3_finalize(st);
    fila_.clear();
    if (rc != SQLITE_DONE)
        return errorSqlite();
    return std::nullopt;
}

void BaseLocal::cierraTabla() {
    tabla_.clear();
    columnas_.clear();
    fila_.clear();
    nueva_ = false;
}

void BaseLocal::cierra() {
    cierraTabla();
    if (db_) {
        sqlite3_close(db_);
        db_ = nullptr;
    }
}

std::optional<Error> BaseLocal::creaDesdeSql(const QString& ruta, const QString& sql) {
    QFile::remove(ruta);
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(ruta).constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        Error e{kNoSePuedeAbrir, QString::fromUtf8(db ? sqlite3_errmsg(db) : "sqlite")};
        sqlite3_close(db);
        return e;
    }
    char* mensaje = nullptr;
    std::optional<Error> resultado;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &mensaje) != SQLITE_OK) {
        resultado = Error{kNoSePuedeAbrir, QString::fromUtf8(mensaje ? mensaje : "sqlite")};
        sqlite3_free(mensaje);
    }
    sqlite3_close(db);
    if (resultado)
        QFile::remove(ruta);
    return resultado;
}

}  // namespace quilmaro
