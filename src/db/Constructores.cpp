// libTESK's SQL statement builders: insert (through the server routines' one insert builder),
// update and create table from lists, and the key of the last inserted row.

#include <QStringList>

#include "core/libTESK.h"
#include "db/Conexion.h"
#include "db/Recordset.h"
#include "db/TempDeODBC.h"
#include "db/ValoresSQL.h"
#include "platform/Plataforma.h"

namespace quilmaro {

namespace {

enum class Operacion { Agregar, Actualizar };

// The message for a failure of the insert or update builders.
void muestraFallo(const ErrorTESK& e, Operacion op, const QString& stTabla, const QString& campo,
                  const QString& sentencia) {
    if (op == Operacion::Agregar || e.numero() == errores::CampoInexistente ||
        e.numero() == errores::SentenciaRechazada)
        muestraErrorInsercion(e, stTabla, campo, sentencia);
    else
        muestraError(
            QStringLiteral("Sucedió un error al tratar de actualizar registros en la tabla '") +
                stTabla + QStringLiteral("'. Favor de revisar los valores enviados"),
            QStringLiteral("ERROR"));
}

// Value i of the update's list as the statement writes it, by the type of its column in rstTabla. A
// date column rewrites the list entry. A column that rstTabla lacks is reported and its value
// written between apostrophes.
QString valorEscrito(const std::shared_ptr<Conexion>& cnn, const std::shared_ptr<Recordset>& rst,
                     const QString& stTabla, const QString& campo, QString& valor) {
    int tipo = -1;
    try {
        if (!rst)
            throw ErrorBdD::propio(errores::SinObjeto);
        tipo = rst->campo(campo).tipo();
    } catch (const ErrorTESK& e) {
        muestraFallo(e, Operacion::Actualizar, stTabla, campo, QString());
    }
    return valorDeLista(cnn, tipo, valor);
}

// Re-reads the record set after a statement, a failure shown.
void reconsulta(const std::shared_ptr<Recordset>& rst, Operacion op, const QString& stTabla,
                const QString& sentencia) {
    try {
        if (!rst)
            throw ErrorBdD::propio(errores::SinObjeto);
        rst->reconsulta();
    } catch (const ErrorTESK& e) {
        muestraFallo(e, op, stTabla, QString(), sentencia);
    }
}

bool listasDistintas(const QStringList& campos, const QStringList& valores) {
    if (campos.size() == valores.size())
        return false;
    muestraError(
        QStringLiteral("La lista de campos y la lista de valores tienen diferentes elementos"),
        QStringLiteral("ERROR"));
    return true;
}

}  // namespace

QString libTESK::AgregaRegistro(const std::shared_ptr<Conexion>& cnnBdD,
                                std::shared_ptr<Recordset>& rstTabla, const QString& stTabla,
                                const QStringList& stCampos, QStringList& stValores) {
    const QString sentencia = InsertaRegistro(cnnBdD, rstTabla, stTabla, stCampos, stValores);
    if (!sentencia.isEmpty())  // empty: lists of different lengths, already shown
        reconsulta(rstTabla, Operacion::Agregar, stTabla, sentencia);
    return sentencia;
}

QString libTESK::ActualizaRegistro(const std::shared_ptr<Conexion>& cnnBdD,
                                   std::shared_ptr<Recordset>& rstTabla, const QString& stTabla,
                                   const QStringList& stCampos, QStringList& stValores,
                                   const QString& stCondicion) {
    if (listasDistintas(stCampos, stValores))
        return QString();
    QString sentencia = QStringLiteral("Update ") + stTabla.toLower() + QStringLiteral(" set ");
    const qsizetype n = stCampos.size();
    for (qsizetype i = 0; i < n; ++i) {
        plataforma().procesaEventos();
        const QString valor = valorEscrito(cnnBdD, rstTabla, stTabla, stCampos[i], stValores[i]);
        sentencia += stCampos[i] + QLatin1Char('=') + valor;
        if (i < n - 1)
            sentencia += QLatin1Char(',');
    }
    if (!stCondicion.isEmpty())
        sentencia += QStringLiteral(" where ") + stCondicion;
    sentencia += QLatin1Char(';');
    try {
        if (!cnnBdD)
            throw ErrorBdD::propio(errores::SinObjeto);
        cnnBdD->ejecuta(sentencia);
    } catch (const ErrorTESK& e) {
        muestraFallo(e, Operacion::Actualizar, stTabla, QString(), sentencia);
    }
    reconsulta(rstTabla, Operacion::Actualizar, stTabla, sentencia);
    return sentencia;
}

QString libTESK::CreaTabla(const std::shared_ptr<Conexion>& cnnBdD, const QString& stNombreTabla,
                           const QList<QStringList>& Matriz1Nombre2Tipo3Default) {
    QString sentencia =
        QStringLiteral("Create table ") + stNombreTabla.toLower() + QStringLiteral(" (");
    const qsizetype n = Matriz1Nombre2Tipo3Default.size();
    for (qsizetype i = 0; i < n; ++i) {
        plataforma().procesaEventos();
        const QStringList& fila = Matriz1Nombre2Tipo3Default[i];
        const QString nombre = AllTrim(fila.value(0)).texto();
        const QString tipo = AllTrim(fila.value(1).toUpper()).texto();
        const QString omision = AllTrim(fila.value(2).toUpper()).texto();
        if (nombre.toUpper().contains(QLatin1String("KEY"))) {
            sentencia += nombre;
        } else {
            sentencia += nombre + QLatin1Char(' ') + tipo;
            if (!omision.isEmpty())
                sentencia += QStringLiteral(" default ") + omision;
        }
        if (i < n - 1)
            sentencia += QLatin1Char(',');
    }
    sentencia += QStringLiteral(");");
    try {
        if (!cnnBdD)
            throw ErrorBdD::propio(errores::SinObjeto);
        cnnBdD->ejecuta(sentencia);
    } catch (const ErrorTESK& e) {
        muestraError(QStringLiteral("Error ") + QString::number(e.numero()) + QStringLiteral(": ") +
                         e.descripcion(),
                     QStringLiteral("Error al crear la tabla"));
    }
    return sentencia;
}

std::int32_t libTESK::LastId(const std::shared_ptr<Conexion>& Bd, const QString& stTabla,
                             const QString& stCampo) {
    const QString consulta = QStringLiteral("Select ") + stCampo + QStringLiteral(" from ") +
                             stTabla + QStringLiteral(" where ") + stCampo +
                             QStringLiteral("=last_insert_id()");
    auto rst = Recordset::crea();
    rst->abre(consulta, Bd);
    std::int32_t id = 0;
    if (!rst->eof())
        id = rst->campo(stCampo).valor().aLargo();
    rst->cierra();
    return id;
}

}  // namespace quilmaro
