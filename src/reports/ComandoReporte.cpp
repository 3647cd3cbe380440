// The report commands: copy the listed invoices into a working table, prepare the local
// letterhead database, run the layout, and remove both whatever happened.

#include <QFile>
#include <cmath>

#include "db/Conexion.h"
#include "db/Recordset.h"
#include "db/TempDeODBC.h"
#include "lib/libTESK.h"
#include "platform/Plataforma.h"
#include "reportengine/ControlReporte.h"
#include "reports/Reportes.h"
#include "startup/Globales.h"

namespace quilmaro {

namespace {

void muestraError(const QString& texto) {
    muestraMensaje(texto, QStringLiteral("Error"), Botones::Aceptar, Icono::Critico);
}

// Runs a statement of the report's own on the window's connection; a failure is shown.
bool ejecutaSentencia(const std::shared_ptr<Conexion>& cnn, const QString& sentencia) {
    try {
        if (!cnn)
            throw ErrorTESK(errores::deNumero(errores::ArgumentoNoValido));
        cnn->ejecuta(sentencia);
        return true;
    } catch (const ErrorTESK& e) {
        muestraError(QStringLiteral("Error al preparar el reporte: %1, %2\r(%3)")
                         .arg(NumeroDeError(e.numero()), e.descripcion(), sentencia));
        return false;
    }
}

// The working table and the local file of one run, removed when the run ends however it ends.
struct Limpieza {
    std::shared_ptr<Conexion> cnn;
    QString tabla;
    QString archivo;
    ~Limpieza() {
        if (!archivo.isEmpty() && QFile::exists(archivo) && !QFile::remove(archivo))
            muestraError(QStringLiteral("No se pudo borrar el archivo temporal %1").arg(archivo));
        if (!tabla.isEmpty()) {
            try {
                if (cnn && cnn->estaAbierta())
                    cnn->ejecuta(QStringLiteral("Drop table ") + tabla);
            } catch (const ErrorTESK& e) {
                muestraError(QStringLiteral("No se pudo borrar la tabla de trabajo %1: %2")
                                 .arg(tabla, e.descripcion()));
            }
        }
    }
};

}  // namespace

QString ArchivoDiseno(TipoReporte tipo) {
    return stRutaPrograma + (tipo == TipoReporte::Cobranza ? QStringLiteral("cobranza.rpt")
                                                           : QStringLiteral("guia.rpt"));
}

bool EjecutaReporte(const PedidoReporte& pedido, std::shared_ptr<Conexion>& cnnDatos,
                    std::shared_ptr<Recordset>& rstFactura, reporte::ControlReporte& crp) {
    libTESK& lib = libTESK::instancia();
    Limpieza limpieza;
    limpieza.cnn = cnnDatos;

    // The working table.
    QString plantilla = QStringLiteral("facturas");
    Error error;
    stTablaTemporal = CreaTablaTrabajo(stBaseDeDatos, plantilla, &error);
    if (stTablaTemporal.isEmpty()) {
        muestraError(QStringLiteral("No se pudo crear la tabla de trabajo del reporte: %1 (No. %2)")
                         .arg(error.descripcion, NumeroDeError(error.numero).trimmed()));
        return false;
    }
    limpieza.tabla = stTablaTemporal;
    if (!ejecutaSentencia(cnnDatos, QStringLiteral("Truncate table ") + stTablaTemporal))
        return false;

    // The server hands rows back in key order, not in the order they were added: a column of
    // the run's own keeps the clerk's order for the layout to follow.
    if (!ejecutaSentencia(cnnDatos, QStringLiteral("Alter table %1 add column %2 int null")
                                        .arg(stTablaTemporal, kColumnaRenglon)))
        return false;

    std::shared_ptr<Recordset> rstTrabajo;
    QString tablaTrabajo = stTablaTemporal + QStringLiteral(" where Id=-9");
    QString todos;
    AbreTabla(rstTrabajo, cnnDatos, tablaTrabajo, todos);
    if (!rstTrabajo || !rstTrabajo->estaAbierto())
        return false;  // already reported

    // Every listed invoice, in list order, in one transaction.
    const bool transaccion = ejecutaSentencia(cnnDatos, QStringLiteral("Start transaction"));
    const int total = static_cast<int>(pedido.ids.size());
    for (int i = 0; i < total; ++i) {
        if (pedido.progreso)
            pedido.progreso(i, total);
        plataforma().procesaEventos();
        // The identifier is read as a number: the list file is plain text anyone may edit.
        const double id = lib.tkVal(pedido.ids.at(i));
        if (id <= 0 || id != std::floor(id) || id > 9.0e15)
            continue;
        QString consulta = QStringLiteral("facturas where Id=%1").arg(static_cast<qint64>(id));
        QString campos;
        if (AbreTabla(rstFactura, cnnDatos, consulta, campos)) {
            PasaCampos(rstFactura, rstTrabajo, cnnDatos, stTablaTemporal);
            ejecutaSentencia(cnnDatos, QStringLiteral("Update %1 set %2=%3 where %2 is null")
                                           .arg(stTablaTemporal, kColumnaRenglon)
                                           .arg(i + 1));
        }
    }
    if (transaccion)
        ejecutaSentencia(cnnDatos, QStringLiteral("Commit"));
    if (pedido.progreso)
        pedido.progreso(total, total);
    lib.CierraTabla(rstTrabajo);

    bool bien = false;
    {
        CursorOcupado ocupado;
        QString archivo = NombreTemporal();
        limpieza.archivo = archivo;
        PreparaAuxiliar(archivo, pedido.referencia);

        crp.fijaDestino(pedido.destino);
        crp.fijaArchivoReporte(ArchivoDiseno(pedido.tipo));
        crp.limpiaFuentes();
        crp.fijaFuenteDatos(0, archivo);
        crp.fijaFuenteDatos(1, stBaseDeDatos + QLatin1Char('.') + stTablaTemporal);
        if (pedido.tipo == TipoReporte::Cobranza)
            crp.fijaFuenteDatos(2, stBaseDeDatos + QStringLiteral(".clientes"));
        bien = crp.ejecuta();  // shows its own failure
    }
    return bien;
}

}  // namespace quilmaro
