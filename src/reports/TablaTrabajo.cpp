// The working table of a report run: a free tbltempN shaped like the invoice table.

#include <QSet>

#include "db/Conexion.h"
#include "db/Recordset.h"
#include "db/TempDeODBC.h"
#include "lib/libTESK.h"
#include "reports/Reportes.h"

namespace quilmaro {

namespace {

constexpr int kMaximoTablas = 32000;

// Names of the tables of the connection's database, in lower case.
QSet<QString> tablasExistentes(const std::shared_ptr<Conexion>& cnn) {
    QSet<QString> nombres;
    std::shared_ptr<Recordset> rs = cnn->ejecuta(QStringLiteral("Show tables"));
    if (!rs)
        return nombres;
    for (; !rs->eof(); rs->siguiente())
        nombres.insert(rs->campo(0).valor().aTexto().toLower());
    rs->cierra();
    return nombres;
}

}  // namespace

QString CreaTablaTrabajo(QString& stBaseDatos, QString& stPlantilla, Error* error,
                         const QString& columnasExtra, const QString& marca) {
    std::shared_ptr<Conexion> cnn;
    AbreBdD(cnn, stBaseDatos);
    QString elegido;
    try {
        QSet<QString> tomadas = tablasExistentes(cnn);

        std::shared_ptr<Recordset> rs =
            cnn->ejecuta(QStringLiteral("Show create table ") + stPlantilla);
        if (!rs || rs->eof() || rs->cuentaCampos() < 2)
            throw ErrorTESK(errores::deNumero(errores::ArgumentoNoValido));
        QString creacion = rs->campo(1).valor().aTexto();
        rs->cierra();
        // The run's own columns go at the end of the column list, its mark as the table comment
        // (a repeated table option replaces the earlier one).
        if (!columnasExtra.isEmpty()) {
            const qsizetype fin = creacion.lastIndexOf(QLatin1String("\n)"));
            if (fin < 0)
                throw ErrorTESK(errores::deNumero(errores::ArgumentoNoValido));
            creacion.insert(fin, QStringLiteral(",\n  ") + columnasExtra);
        }
        if (!marca.isEmpty())
            creacion += QStringLiteral(" COMMENT='") + cnn->escapa(marca) + QLatin1Char('\'');

        int n = 1;
        while (elegido.isEmpty()) {
            while (n <= kMaximoTablas && tomadas.contains(QStringLiteral("tbltemp%1").arg(n)))
                ++n;
            if (n > kMaximoTablas)
                throw ErrorTESK(0, QStringLiteral("No queda ningún nombre libre para la tabla de "
                                                  "trabajo (tbltemp1 a tbltemp%1)")
                                       .arg(kMaximoTablas));
            const QString candidato = QStringLiteral("tbltemp%1").arg(n);
            QString sentencia = creacion;
            sentencia.replace(QLatin1String("`facturas`"),
                              QLatin1Char('`') + candidato + QLatin1Char('`'));
            try {
                cnn->ejecuta(sentencia);
                elegido = candidato;
            } catch (const ErrorTESK&) {
                // Another workstation may have taken the name at the same moment: then the
                // table is there now and the next free name is tried. Any other failure stops.
                tomadas = tablasExistentes(cnn);
                if (!tomadas.contains(candidato))
                    throw;
                ++n;
            }
        }
    } catch (const ErrorTESK& e) {
        if (error)
            *error = e.error();
        elegido.clear();
    }
    try {
        libTESK::instancia().CierraBdD(cnn);
    } catch (const ErrorTESK&) {
    }
    return elegido;
}

}  // namespace quilmaro
