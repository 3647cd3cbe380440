// The working table of a report run: a free tbltempN shaped like the invoice table, marked with
// the workstation and process that made it, and the sweep of those left by killed copies.

#include <QCoreApplication>
#include <QDateTime>
#include <QRegularExpression>
#include <QSet>
#include <QSysInfo>
#include <QUuid>

#include "core/libTESK.h"
#include "db/Conexion.h"
#include "db/Recordset.h"
#include "db/TempDeODBC.h"
#include "db/ValoresSQL.h"
#include "platform/Sistema.h"
#include "reports/Reportes.h"

namespace quilmaro {

namespace {

constexpr int kMaximoTablas = 32000;

// A working table whose owner cannot be asked is given up after this long.
constexpr qint64 kVidaMaxima = 24 * 60 * 60;

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

// This workstation as marks name it (a name without blanks).
QString equipo() {
    QString h = QSysInfo::machineHostName().trimmed();
    h.replace(QRegularExpression(QStringLiteral("\\s")), QStringLiteral("_"));
    return h.isEmpty() ? QStringLiteral("?") : h;
}

const QRegularExpression& formaDeMarca() {
    static const QRegularExpression re(
        QStringLiteral("^Quilmaro equipo=(\\S+) proceso=(\\d+) "
                       "creada=(\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ) "
                       "id=\\S+$"));
    return re;
}

// What follows "CREATE TABLE <name> " in a statement that makes in one step the table that
// CREATE ... LIKE plantilla and ALTER TABLE ... ADD COLUMN (columnasExtra), COMMENT = 'marca'
// make in two: the template's own definition, as the server writes it in its SQL mode, with the
// extra columns after its own and the mark as its comment (each DDL statement costs the server
// about as much as the other), and its primary key but no other. Empty when the definition is not
// of the expected shape, carries a comment of its own, or leaves out the table's options (SQL modes
// such as NO_TABLE_OPTIONS): the two steps then.
QString definicionEnUnPaso(Conexion& cnn, const QString& plantilla, const QString& columnasExtra,
                           const QString& marca) {
    std::shared_ptr<Recordset> rs = cnn.ejecuta(QStringLiteral("SHOW CREATE TABLE ") + plantilla);
    if (!rs || rs->eof() || rs->cuentaCampos() < 2)
        return QString();
    const QString definicion = rs->campo(1).valor().aTexto();
    rs->cierra();
    // Every column and key on a line of its own, the list closed by a line that opens with ")";
    // values and comments never hold a bare line end.
    const qsizetype abre = definicion.indexOf(QLatin1Char('('));
    const qsizetype cierra = definicion.indexOf(QStringLiteral("\n)"), abre);
    static const QRegularExpression comentario(QStringLiteral("\\bCOMMENT\\s*="),
                                               QRegularExpression::CaseInsensitiveOption);
    if (!definicion.startsWith(QStringLiteral("CREATE TABLE "), Qt::CaseInsensitive) || abre < 0 ||
        cierra < 0 || definicion.mid(cierra).contains(comentario) ||
        !definicion.mid(cierra).contains(QStringLiteral("ENGINE="), Qt::CaseInsensitive))
        return QString();
    QString opciones = definicion.mid(cierra + 2);
    // The counter starts afresh, as with LIKE.
    static const QRegularExpression contador(QStringLiteral(" AUTO_INCREMENT=\\d+"),
                                             QRegularExpression::CaseInsensitiveOption);
    opciones.remove(contador);
    // Only the primary key is kept: the run adds rows and reads them all, and every other key
    // would cost the server a share of each row copied.
    static const QRegularExpression otraClave(
        QStringLiteral("^\\s*(UNIQUE |FULLTEXT |SPATIAL )?(KEY|INDEX) "),
        QRegularExpression::CaseInsensitiveOption);
    QStringList partes;
    for (QString linea :
         definicion.mid(abre + 1, cierra - abre - 1).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (linea.endsWith(QLatin1Char(',')))
            linea.chop(1);
        if (!linea.contains(otraClave))
            partes.append(linea);
    }
    if (!columnasExtra.isEmpty())
        partes.append(QStringLiteral("  ") + columnasExtra);
    return QStringLiteral("(\n") + partes.join(QStringLiteral(",\n")) +
           QStringLiteral("\n) COMMENT='") + cnn.escapa(marca) + QLatin1Char('\'') + opciones;
}

}  // namespace

QString MarcaTablaTrabajo() {
    return QStringLiteral("Quilmaro equipo=%1 proceso=%2 creada=%3 id=%4")
        .arg(equipo())
        .arg(QCoreApplication::applicationPid())
        .arg(QDateTime::currentDateTimeUtc().toString(Qt::ISODate),
             QUuid::createUuid().toString(QUuid::WithoutBraces));
}

bool TablaAbandonada(const QString& marca, const QDateTime& ahora) {
    const QRegularExpressionMatch m = formaDeMarca().match(marca);
    if (!m.hasMatch())
        return false;  // not one of ours: never touched
    QDateTime creada = QDateTime::fromString(m.captured(3), Qt::ISODate);
    if (!creada.isValid())
        return false;
    if (creada.secsTo(ahora) > kVidaMaxima)
        return true;
    return m.captured(1).compare(equipo(), Qt::CaseInsensitive) == 0 &&
           !sistema::esProcesoDelPrograma(m.captured(2).toLongLong());
}

void DescartaTablasAbandonadas(Conexion& cnn) {
    try {
        std::shared_ptr<Recordset> rs = cnn.ejecuta(QStringLiteral(
            "SELECT TABLE_NAME, TABLE_COMMENT FROM information_schema.TABLES WHERE "
            "TABLE_SCHEMA = DATABASE() AND TABLE_NAME LIKE 'tbltemp%' AND TABLE_COMMENT LIKE "
            "'Quilmaro %'"));
        QStringList abandonadas;
        const QDateTime ahora = QDateTime::currentDateTimeUtc();
        for (; rs && !rs->eof(); rs->siguiente())
            if (TablaAbandonada(rs->campo(1).valor().aTexto(), ahora))
                abandonadas.append(rs->campo(0).valor().aTexto());
        rs.reset();
        for (const QString& t : abandonadas)
            cnn.ejecuta(QStringLiteral("DROP TABLE IF EXISTS ") + identificadorSQL(t));
    } catch (const ErrorTESK&) {
        // Whatever stays is swept another time.
    }
}

QString CreaTablaTrabajo(QString& stBaseDatos, QString& stPlantilla, Error* error,
                         const QString& columnasExtra, const QString& marca) {
    std::shared_ptr<Conexion> cnn;
    AbreBdD(cnn, stBaseDatos);
    QString elegido;
    try {
        QSet<QString> tomadas = tablasExistentes(cnn);
        // CREATE ... LIKE copies columns, keys, options and partitioning as the server itself
        // knows them, whatever its quoting style; the run's own columns and its mark follow.
        QString cambios;
        if (!columnasExtra.isEmpty())
            cambios = QStringLiteral("ADD COLUMN (") + columnasExtra + QLatin1Char(')');
        if (!marca.isEmpty())
            cambios += (cambios.isEmpty() ? QString() : QStringLiteral(", ")) +
                       QStringLiteral("COMMENT = '") + cnn->escapa(marca) + QLatin1Char('\'');

        // In one step where the template allows it; a definition the server refuses (a foreign
        // key's name is the template's own) is made in two.
        QString enUnPaso;
        if (!marca.isEmpty())
            enUnPaso = definicionEnUnPaso(*cnn, stPlantilla, columnasExtra, marca);
        int n = 1;
        while (elegido.isEmpty()) {
            while (n <= kMaximoTablas && tomadas.contains(QStringLiteral("tbltemp%1").arg(n)))
                ++n;
            if (n > kMaximoTablas)
                throw ErrorTESK(0, QStringLiteral("No queda ningún nombre libre para la tabla de "
                                                  "trabajo (tbltemp1 a tbltemp%1)")
                                       .arg(kMaximoTablas));
            const QString candidato = QStringLiteral("tbltemp%1").arg(n);
            try {
                cnn->ejecuta(QStringLiteral("CREATE TABLE ") + candidato +
                             (enUnPaso.isEmpty() ? QStringLiteral(" LIKE ") + stPlantilla
                                                 : QLatin1Char(' ') + enUnPaso));
                elegido = candidato;
            } catch (const ErrorTESK&) {
                // Another workstation may have taken the name at the same moment: then the
                // table is there now and the next free name is tried. Any other failure stops.
                tomadas = tablasExistentes(cnn);
                if (!tomadas.contains(candidato)) {
                    if (enUnPaso.isEmpty())
                        throw;
                    enUnPaso.clear();
                    continue;
                }
                ++n;
            }
        }
        if (!enUnPaso.isEmpty())
            cambios.clear();
        if (!cambios.isEmpty()) {
            try {
                cnn->ejecuta(QStringLiteral("ALTER TABLE ") + elegido + QLatin1Char(' ') + cambios);
            } catch (const ErrorTESK&) {
                try {
                    cnn->ejecuta(QStringLiteral("DROP TABLE ") + elegido);
                } catch (const ErrorTESK&) {
                }
                throw;
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
