// The report commands: copy the listed invoices into a working table, prepare the local
// letterhead database, run the layout, and remove both whatever happened.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "core/Archivos.h"
#include "core/Globales.h"
#include "core/libTESK.h"
#include "db/Conexion.h"
#include "db/Recordset.h"
#include "db/TempDeODBC.h"
#include "db/Transaccion.h"
#include "platform/Plataforma.h"
#include "reportengine/ControlReporte.h"
#include "reports/Reportes.h"

namespace quilmaro {

namespace {

// Working tables a run could not drop (the server went away) with the mark each was created
// with; dropped by a later run or at closing, once the server answers again.
struct Pendiente {
    QString tabla;
    QString marca;
};
std::vector<Pendiente>& pendientes() {
    static std::vector<Pendiente> lista;
    return lista;
}

// A mark no other run shares, kept as the working table's comment: a table is only dropped
// later when it still carries it (after a restart the name may belong to another workstation).
QString marcaNueva() {
    return MarcaTablaTrabajo();
}

// Drops a run's working table; one the server cannot drop now is kept for a later run.
void descartaTabla(const std::shared_ptr<Conexion>& cnn, const QString& tabla,
                   const QString& marca) {
    if (!cnn || !cnn->estaAbierta()) {
        pendientes().push_back({tabla, marca});
        return;
    }
    try {
        cnn->ejecuta(QStringLiteral("Drop table ") + tabla);
    } catch (const ErrorTESK& e) {
        pendientes().push_back({tabla, marca});
        // A server that went away was already reported; the table goes later.
        if (e.numero() != errores::ServidorInalcanzable)
            muestraError(QStringLiteral("No se pudo borrar la tabla de trabajo %1: %2")
                             .arg(tabla, e.descripcion()));
    }
}

// The working table of a run shown on the screen, dropped once the preview is painted: the
// clerk does not wait for the server to remove it. At most one, dropped before the next run.
struct TablaDiferida {
    std::shared_ptr<Conexion> cnn;
    QString tabla;
    QString marca;
};
TablaDiferida& diferida() {
    static TablaDiferida tabla;
    return tabla;
}
void descartaDiferida() {
    TablaDiferida t = std::exchange(diferida(), TablaDiferida{});
    if (!t.tabla.isEmpty())
        descartaTabla(t.cnn, t.tabla, t.marca);
}

// The working table and the local file of one run, removed when the run ends however it ends.
// The file is marked in use meanwhile: another copy of the program closing in the same folder
// deletes the report files left there, but not this one.
struct Limpieza {
    std::shared_ptr<Conexion> cnn;
    QString tabla;
    QString marca;
    QString archivo;
    std::unique_ptr<archivos::ArchivoEnUso> enUso;
    ~Limpieza() {
        if (!archivo.isEmpty() && QFile::exists(archivo) &&
            !(enUso ? enUso->borra() : QFile::remove(archivo)))
            muestraError(QStringLiteral("No se pudo borrar el archivo temporal %1").arg(archivo));
        if (!tabla.isEmpty())
            descartaTabla(cnn, tabla, marca);
    }
};

// Tells the clerk, in one message, which listed invoices were deleted on the server after they
// were listed: the report goes on without them. False when the server could not be asked
// (already shown).
bool avisaFaltantes(const PedidoReporte& pedido, Conexion& cnn, const QString& tabla,
                    const std::vector<RenglonCopia>& renglones) {
    QSet<int> copiados;
    try {
        std::shared_ptr<Recordset> rs =
            cnn.ejecuta(QStringLiteral("Select `%1` from %2").arg(kColumnaRenglon, tabla));
        for (; rs && !rs->eof(); rs->siguiente())
            copiados.insert(static_cast<int>(rs->campo(0).valor().aDoble()));
        if (rs)
            rs->cierra();
    } catch (const ErrorTESK& e) {
        muestraError(QStringLiteral("Error al preparar el reporte: %1, %2")
                         .arg(NumeroDeError(e.numero()), e.descripcion()));
        return false;
    }
    QStringList faltan;
    for (const RenglonCopia& r : renglones) {
        if (copiados.contains(r.renglon))
            continue;
        const QString nombre = pedido.facturas.value(r.renglon - 1).trimmed();
        faltan << (nombre.isEmpty() ? QStringLiteral("la del renglón %1").arg(r.renglon)
                                    : QStringLiteral("%1 (renglón %2)").arg(nombre).arg(r.renglon));
    }
    if (faltan.isEmpty())
        return true;
    muestraMensaje(
        QStringLiteral("%1 de la lista ya no %2 en el servidor (se %3 después de agregarla%4) y "
                       "no saldrá%5 en el reporte: %6.\rLas demás se imprimen con su número de "
                       "la lista.")
            .arg(faltan.size() == 1 ? QStringLiteral("Esta factura")
                                    : QStringLiteral("Estas %1 facturas").arg(faltan.size()),
                 faltan.size() == 1 ? QStringLiteral("está") : QStringLiteral("están"),
                 faltan.size() == 1 ? QStringLiteral("borró") : QStringLiteral("borraron"),
                 faltan.size() == 1 ? QString() : QStringLiteral("s"),
                 faltan.size() == 1 ? QString() : QStringLiteral("n"),
                 faltan.join(QStringLiteral(", "))),
        QStringLiteral("Facturas que ya no existen"), Botones::Aceptar, Icono::Exclamacion);
    return true;
}

}  // namespace

QString ArchivoDiseno(TipoReporte tipo) {
    return stRutaPrograma + (tipo == TipoReporte::Cobranza ? QStringLiteral("cobranza.rpt")
                                                           : QStringLiteral("guia.rpt"));
}

void DescartaTablasPendientes(const std::shared_ptr<Conexion>& cnn) {
    descartaDiferida();
    auto& lista = pendientes();
    for (auto it = lista.begin(); it != lista.end();) {
        try {
            if (!cnn || !cnn->estaAbierta())
                return;
            std::shared_ptr<Recordset> rs = cnn->ejecuta(
                QStringLiteral("Select TABLE_COMMENT from information_schema.TABLES where "
                               "TABLE_SCHEMA=DATABASE() and TABLE_NAME='%1'")
                    .arg(cnn->escapa(it->tabla)));
            const bool nuestra = rs && !rs->eof() && rs->campo(0).valor().aTexto() == it->marca;
            if (rs)
                rs->cierra();
            if (nuestra)
                cnn->ejecuta(QStringLiteral("Drop table ") + it->tabla);
            it = lista.erase(it);
        } catch (const ErrorTESK&) {
            return;  // the server is still away: another time
        }
    }
    // Those of copies killed during a report, on this workstation or another.
    if (cnn && cnn->estaAbierta())
        DescartaTablasAbandonadas(*cnn);
}

namespace {

// Whether the run was cancelled by the clerk.
bool cancelada(const PedidoReporte& pedido) {
    return pedido.cancelado && pedido.cancelado();
}

// The working table of a run, with a column of the run's own: the server hands rows back in
// key order, not in the order they were added, so each row keeps its place in the clerk's list
// for the layout to follow. False when it could not be made (shown).
bool creaTablaDelReporte(Limpieza& limpieza) {
    QString plantilla = QStringLiteral("facturas");
    Error error;
    const QString marca = marcaNueva();
    stTablaTemporal = CreaTablaTrabajo(stBaseDeDatos, plantilla, &error,
                                       QStringLiteral("`%1` int NULL").arg(kColumnaRenglon), marca);
    if (stTablaTemporal.isEmpty()) {
        muestraError(QStringLiteral("No se pudo crear la tabla de trabajo del reporte: %1 (No. %2)")
                         .arg(error.descripcion, NumeroDeError(error.numero).trimmed()));
        return false;
    }
    limpieza.tabla = stTablaTemporal;
    limpieza.marca = marca;
    return true;
}

// The identifiers are read as numbers: the list file is plain text anyone may edit, so an
// entry that is not a record number is passed over and an invoice listed again keeps its
// first place (the window never lists one twice).
std::vector<RenglonCopia> renglonesDelPedido(const PedidoReporte& pedido) {
    std::vector<RenglonCopia> renglones;
    renglones.reserve(static_cast<size_t>(pedido.ids.size()));
    QSet<qint64> vistos;
    for (int i = 0; i < pedido.ids.size(); ++i) {
        const double id = libTESK::instancia().tkVal(pedido.ids.at(i));
        if (id <= 0 || id != std::floor(id) || id > 9.0e15)
            continue;
        const auto valor = static_cast<qint64>(id);
        if (!vistos.contains(valor)) {
            vistos.insert(valor);
            renglones.push_back({i + 1, valor});
        }
    }
    return renglones;
}

// The invoices the next copy statement takes, after one that copied `tanda` of them in
// `nanosegundos`.
size_t siguienteTanda(size_t tanda, qint64 nanosegundos) {
    const double porFactura =
        static_cast<double>(std::max<qint64>(nanosegundos, 1000)) / static_cast<double>(tanda);
    const double cabe = kMsPorSentencia * 1.0e6 / porFactura;
    const double tope =
        std::min<double>(8.0 * static_cast<double>(tanda), kFacturasPorSentenciaMaximo);
    return static_cast<size_t>(std::clamp<double>(cabe, kFacturasPorSentencia, tope));
}

// Copies the listed invoices into the working table, telling the progress as it goes; *copiadas
// counts the rows copied. False when the copy failed (shown) or the clerk cancelled it.
bool copiaFacturas(const PedidoReporte& pedido, const std::shared_ptr<Conexion>& cnnDatos,
                   const std::shared_ptr<Recordset>& rstTrabajo,
                   const std::vector<RenglonCopia>& renglones, std::uint64_t& copiadas) {
    // Every listed invoice still on the server, in one transaction: all of them or none.
    const int total = static_cast<int>(pedido.ids.size());
    const QString origen = QStringLiteral("facturas");
    QString sentencia = QStringLiteral("Start transaction");
    const auto cancelado = [&pedido] { return pedido.cancelado && pedido.cancelado(); };
    copiadas = 0;
    try {
        Transaccion transaccion(*cnnDatos);
        size_t tanda = kFacturasPorSentencia;
        for (size_t desde = 0; desde < renglones.size();) {
            if (pedido.progreso)
                pedido.progreso(renglones[desde].renglon - 1, total);
            plataforma().procesaEventos();
            if (cancelado())
                return false;  // what was copied is undone, and the working table dropped
            const size_t hasta = std::min(renglones.size(), desde + tanda);
            sentencia = QStringLiteral("Insert into %1 ... (facturas %2 a %3 de la lista)")
                            .arg(stTablaTemporal)
                            .arg(renglones[desde].renglon)
                            .arg(renglones[hasta - 1].renglon);
            QElapsedTimer reloj;
            reloj.start();
            copiadas += CopiaRegistros(
                *cnnDatos, *rstTrabajo, origen, stTablaTemporal, kColumnaRenglon,
                std::vector<RenglonCopia>(renglones.begin() + static_cast<long>(desde),
                                          renglones.begin() + static_cast<long>(hasta)));
            if (hasta < renglones.size())  // a whole statement: tanda invoices
                tanda = siguienteTanda(tanda, reloj.nsecsElapsed());
            desde = hasta;
        }
        sentencia = QStringLiteral("Commit");
        transaccion.confirma();
    } catch (const ErrorTESK& e) {
        if (e.numero() == errores::ServidorInalcanzable)
            muestraError(
                QStringLiteral("Se perdió la conexión con el servidor mientras se copiaban "
                               "las facturas; el reporte no se hizo. Intente de nuevo "
                               "cuando el servidor responda."));
        else
            muestraError(QStringLiteral("Error al preparar el reporte: %1, %2\r(%3)")
                             .arg(NumeroDeError(e.numero()), e.descripcion(), sentencia));
        return false;
    }
    if (pedido.progreso)
        pedido.progreso(total, total);
    return true;
}

// The local letterhead file and the layout run on crp. False when the report was not shown or
// printed (shown).
bool corre(const PedidoReporte& pedido, reporte::ControlReporte& crp, Limpieza& limpieza) {
    CursorOcupado ocupado;
    QString motivo;
    QString archivo = NombreTemporal(&motivo);
    if (archivo.isEmpty()) {
        muestraError(
            QStringLiteral("No se pudo crear el archivo del reporte en la carpeta "
                           "del programa\n%1\n\n%2\n\nEl reporte no se hizo.")
                .arg(QDir::toNativeSeparators(QDir(stRutaPrograma).absolutePath()), motivo));
        return false;
    }
    limpieza.archivo = archivo;
    limpieza.enUso = std::make_unique<archivos::ArchivoEnUso>(archivo);
    if (!PreparaAuxiliar(archivo, pedido.referencia))
        return false;  // already reported

    crp.fijaDestino(pedido.destino);
    crp.fijaArchivoReporte(ArchivoDiseno(pedido.tipo));
    crp.limpiaFuentes();
    crp.fijaFuenteDatos(0, archivo);
    crp.fijaFuenteDatos(1, stBaseDeDatos + QLatin1Char('.') + stTablaTemporal);
    if (pedido.tipo == TipoReporte::Cobranza)
        crp.fijaFuenteDatos(2, stBaseDeDatos + QStringLiteral(".clientes"));
    return crp.ejecuta();  // shows its own failure
}

}  // namespace

bool EjecutaReporte(const PedidoReporte& pedido, std::shared_ptr<Conexion>& cnnDatos,
                    std::shared_ptr<Recordset>& rstFactura, reporte::ControlReporte& crp) {
    Q_UNUSED(rstFactura);
    // A connection the server dropped since the last use is opened again first.
    QString base = stBaseDeDatos;
    if (!AseguraConexion(cnnDatos, base))
        return false;
    DescartaTablasPendientes(cnnDatos);
    Limpieza limpieza;
    limpieza.cnn = cnnDatos;
    if (!creaTablaDelReporte(limpieza))
        return false;

    std::shared_ptr<Recordset> rstTrabajo;
    QString tablaTrabajo = stTablaTemporal + QStringLiteral(" where Id=-9");
    QString todos;
    AbreTabla(rstTrabajo, cnnDatos, tablaTrabajo, todos);
    if (!rstTrabajo || !rstTrabajo->estaAbierto())
        return false;  // already reported

    const std::vector<RenglonCopia> renglones = renglonesDelPedido(pedido);
    std::uint64_t copiadas = 0;
    if (!copiaFacturas(pedido, cnnDatos, rstTrabajo, renglones, copiadas))
        return false;
    libTESK::instancia().CierraTabla(rstTrabajo);
    plataforma().procesaEventos();
    if (cancelada(pedido))
        return false;
    // Each listed invoice is copied at most once: as many rows as invoices leaves none missing.
    if (copiadas != renglones.size() &&
        !avisaFaltantes(pedido, *cnnDatos, stTablaTemporal, renglones))
        return false;
    if (!corre(pedido, crp, limpieza))
        return false;
    if (pedido.destino == reporte::ControlReporte::Pantalla && crp.ultimaVista()) {
        diferida() = {limpieza.cnn, limpieza.tabla, limpieza.marca};
        limpieza.tabla.clear();
        crp.trasMostrar(descartaDiferida);
    }
    return true;
}

}  // namespace quilmaro
