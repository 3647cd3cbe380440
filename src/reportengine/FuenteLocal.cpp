// Tables of local SQLite files (the per-run company database and any other local file).

#include <sqlite3.h>

#include <QDateTime>
#include <QFileInfo>

#include "reportengine/Datos.h"

namespace quilmaro::reporte {

namespace {

class FuenteSqlite final : public FuenteDatos {
  public:
    FuenteSqlite(const QString& archivo, const QString& tabla) : archivo_(archivo) {
        try {
            abre(tabla);
        } catch (...) {
            cierra();
            throw;
        }
    }

    ~FuenteSqlite() override { cierra(); }

    QStringList columnas() const override { return columnas_; }

    bool siguiente(QVector<Variante>& fila) override {
        const int r = sqlite3_step(st_);
        if (r == SQLITE_DONE)
            return false;
        if (r != SQLITE_ROW)
            fallaSqlite();
        const int n = static_cast<int>(columnas_.size());
        fila.resize(n);
        for (int i = 0; i < n; ++i)
            fila[i] = valor(i);
        return true;
    }

  private:
    void cierra() {
        sqlite3_finalize(st_);
        st_ = nullptr;
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }

    void abre(const QString& tabla) {
        const QString& archivo = archivo_;
        const QFileInfo info(archivo);
        if (!info.exists())
            throw ErrorReporte(QStringLiteral("el archivo no existe."));
        if (!info.isFile())
            throw ErrorReporte(QStringLiteral("no es un archivo."));
        // Read-only: the engine never changes the file, and a wrong path never creates one.
        if (sqlite3_open_v2(archivo.toUtf8().constData(), &db_, SQLITE_OPEN_READONLY, nullptr) !=
            SQLITE_OK)
            fallaSqlite();
        sqlite3_busy_timeout(db_, 2000);
        QString nombre = tabla;
        nombre.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        const QByteArray sql = QStringLiteral("SELECT * FROM \"%1\"").arg(nombre).toUtf8();
        if (sqlite3_prepare_v2(db_, sql.constData(), -1, &st_, nullptr) != SQLITE_OK) {
            const QString msg = QString::fromUtf8(sqlite3_errmsg(db_));
            if (msg.startsWith(QLatin1String("no such table")))
                throw ErrorReporte(
                    QStringLiteral("la tabla «%1» no existe en el archivo.").arg(tabla));
            if (msg.contains(QLatin1String("not a database")))
                throw ErrorReporte(QStringLiteral("el archivo no es una base de datos SQLite."));
            fallaSqlite();
        }
        const int n = sqlite3_column_count(st_);
        for (int i = 0; i < n; ++i) {
            columnas_ << QString::fromUtf8(sqlite3_column_name(st_, i));
            const char* tipo = sqlite3_column_decltype(st_, i);
            const QString t = tipo ? QString::fromUtf8(tipo).toUpper() : QString();
            esFecha_.push_back(t.contains(QLatin1String("DATE")) ||
                               t.contains(QLatin1String("TIME")));
        }
    }

    [[noreturn]] void fallaSqlite() const {
        const QString msg =
            db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("sin memoria");
        throw ErrorReporte(QStringLiteral("SQLite informa: %1.").arg(msg));
    }

    Variante valor(int i) const {
        switch (sqlite3_column_type(st_, i)) {
            case SQLITE_NULL:
                return Variante::nulo();
            case SQLITE_INTEGER: {
                const sqlite3_int64 v = sqlite3_column_int64(st_, i);
                if (v >= INT32_MIN && v <= INT32_MAX)
                    return Variante(static_cast<std::int32_t>(v));
                return Variante(static_cast<double>(v));
            }
            case SQLITE_FLOAT:
                return Variante(sqlite3_column_double(st_, i));
            case SQLITE_TEXT: {
                const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st_, i));
                const QString s = QString::fromUtf8(p, sqlite3_column_bytes(st_, i));
                if (esFecha_[static_cast<size_t>(i)]) {
                    QDateTime f = QDateTime::fromString(s, Qt::ISODate);
                    if (!f.isValid())
                        f = QDateTime(QDate::fromString(s, Qt::ISODate), QTime(0, 0));
                    if (f.isValid())
                        return Variante(f);
                }
                return Variante(s);
            }
            default:
                return Variante::nulo();  // BLOBs have no text to print
        }
    }

    QString archivo_;
    sqlite3* db_ = nullptr;
    sqlite3_stmt* st_ = nullptr;
    QStringList columnas_;
    std::vector<bool> esFecha_;
};

}  // namespace

std::unique_ptr<FuenteDatos> abreTablaLocal(const QString& archivo, const QString& tabla) {
    return std::make_unique<FuenteSqlite>(archivo, tabla);
}

}  // namespace quilmaro::reporte
