// Tables on the database server, named "database.table", read through the data-objects layer.

#include <QRegularExpression>

#include "reportengine/Datos.h"

#include "core/Globales.h"
#include "db/Conexion.h"
#include "db/ErrorBdD.h"

namespace quilmaro::reporte {

namespace {

// "datos1.tbltemp3" -> ("datos1", "tbltemp3"); names of letters, digits, "_" and "$".
bool separa(const QString& texto, QString* base, QString* tabla) {
    static const QRegularExpression re(QStringLiteral("^\\s*([\\w$]+)\\.([\\w$]+)\\s*$"));
    const auto m = re.match(texto);
    if (!m.hasMatch())
        return false;
    *base = m.captured(1);
    *tabla = m.captured(2);
    return true;
}

QString cita(const QString& nombre) {
    QString n = nombre;
    n.replace(QLatin1Char('`'), QStringLiteral("``"));
    return QLatin1Char('`') + n + QLatin1Char('`');
}

class FuenteServidor final : public FuenteDatos {
  public:
    FuenteServidor(const QString& base, const QString& tabla) {
        // The same connection string the program's own connections use.
        QString cadena = QStringLiteral("DRIVER={MySQL ODBC 3.51 Driver};");
        if (!stServidor.trimmed().isEmpty())
            cadena += QStringLiteral("SERVER=%1;").arg(stServidor);
        cadena += QStringLiteral("DATABASE=%1;UID=root;PWD=;").arg(base);
        try {
            cnn_ = Conexion::crea();
            cnn_->setCadenaConexion(cadena);
            cnn_->abre();
            // Read once in order: a cursor over the client library's rows, no record set.
            filas_ = cnn_->abreCursor(
                QStringLiteral("SELECT * FROM %1.%2").arg(cita(base), cita(tabla)));
            if (filas_) {
                for (const ColumnaBdD& c : filas_->columnas())
                    columnas_ << c.nombre;
            }
        } catch (const ErrorTESK& e) {
            cierra();
            throw ErrorReporte(
                QStringLiteral("%1 (error %2).").arg(e.descripcion()).arg(e.numero()));
        } catch (...) {
            cierra();
            throw;
        }
        if (!filas_) {
            cierra();
            throw ErrorReporte(QStringLiteral("el servidor no devolvió filas."));
        }
    }

    ~FuenteServidor() override { cierra(); }

    QStringList columnas() const override { return columnas_; }
    void leeSolo(const std::vector<bool>& usadas) override {
        if (usadas.size() == static_cast<size_t>(columnas_.size()))
            usadas_ = usadas;
    }

    bool siguiente(QVector<Variante>& fila) override {
        try {
            if (!filas_->siguiente())
                return false;
            const int n = static_cast<int>(columnas_.size());
            fila.resize(n);
            // Decoding every cell of a wide table costs more than reading it: only the columns
            // the report shows.
            for (int i = 0; i < n; ++i) {
                if (usadas_.empty() || usadas_[static_cast<size_t>(i)])
                    fila[i] = filas_->valor(i);
            }
            return true;
        } catch (const ErrorTESK& e) {
            throw ErrorReporte(
                QStringLiteral("%1 (error %2).").arg(e.descripcion()).arg(e.numero()));
        }
    }

  private:
    void cierra() noexcept {
        try {
            filas_.reset();
            if (cnn_ && cnn_->estaAbierta())
                cnn_->cierra();
            cnn_.reset();
        } catch (...) {
            // Closing what is already broken has nothing left to report.
        }
    }

    std::shared_ptr<Conexion> cnn_;
    std::unique_ptr<CursorBdD> filas_;
    QStringList columnas_;
    std::vector<bool> usadas_;  // empty: all
};

}  // namespace

std::unique_ptr<FuenteDatos> abreTablaServidor(const QString& baseYTabla) {
    QString base, tabla;
    if (!separa(baseYTabla, &base, &tabla))
        throw ErrorReporte(
            QStringLiteral("se esperaba «base.tabla» (por ejemplo «datos1.tbltemp1»)."));
    return std::make_unique<FuenteServidor>(base, tabla);
}

}  // namespace quilmaro::reporte
