// One simulated workstation for the concurrency test: runs reports one after another, as the
// report buttons do, against a server that other workstations use at the same moment.
//
//   carga_reportes <carpeta-programa> <base> <reportes> <trabajador> [facturas-por-reporte]
//                  [compartida]
//
// The database is the one tests/carga/carga.sh prepares: invoice ID n has the number
// kPrimeraFactura + n. Run r of workstation w lists the IDs of its own block
// (w * reportes + r) * facturas + 1 ... + facturas, in an order of its own, so that no two runs
// anywhere list the same invoice. Runs alternate the delivery guide and the collection format,
// to the screen. After every run the document must hold every listed invoice exactly once, in
// list order, and nothing else: a working table shared with another run shows up as rows too
// many, rows missing or rows out of order. Its reference text, which names the workstation and
// the run, must be there too: a local report file shared with another run shows another text or
// none. With "compartida" the program folder is shared with other workstations, and the run's
// own local file is not looked for afterwards (the others' may be there at that moment).
//
// Prints one line per failed run and a summary (runs, failures, working tables used). Exit code:
// 0 every run right, 1 some run wrong, 2 bad arguments, 3 the program tried to end the process.

#include <QApplication>
#include <QDir>
#include <QMap>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "PlataformaPrueba.h"
#include "core/Globales.h"
#include "core/libTESK.h"
#include "db/Conexion.h"
#include "db/Recordset.h"
#include "db/TempDeODBC.h"
#include "gui/SalidaVentanas.h"
#include "platform/Plataforma.h"
#include "reportengine/ControlReporte.h"
#include "reportengine/Documento.h"
#include "reports/Reportes.h"

namespace {

// Must match carga.sh.
constexpr long long kPrimeraFactura = 500000;

// What a run's document shows: the invoice numbers of its detail rows in the order shown (the
// guide prints the number alone, the collection format "Serie-Factura"), every text of its pages
// one a line between line ends, and how many detail bands it placed.
struct Contenido {
    QStringList numeros;
    QString texto = QStringLiteral("\n");
    int detalle = 0;
};

Contenido contenido(const quilmaro::reporte::Documento& doc) {
    static const QRegularExpression numero(QStringLiteral("^(?:[A-Z]+-)?(\\d+)$"));
    Contenido c;
    for (const auto& pagina : doc.paginas) {
        for (const auto& b : pagina.bandas)
            c.detalle += b.tipo == quilmaro::reporte::TipoBanda::Detalle && b.fila >= 0;
        for (const auto& e : pagina.elementos) {
            if (e.tipo != quilmaro::reporte::ElementoPagina::Tipo::Texto)
                continue;
            c.texto += e.texto.trimmed() + QLatin1Char('\n');
            const auto m = numero.match(e.texto.trimmed());
            if (m.hasMatch() && m.captured(1).toLongLong() > kPrimeraFactura)
                c.numeros << QString::number(m.captured(1).toLongLong());
        }
    }
    return c;
}

}  // namespace

int carga(int argc, char* argv[]) {
    if (argc < 5) {
        std::fprintf(stderr,
                     "uso: carga_reportes <carpeta-programa> <base> <reportes> <trabajador> "
                     "[facturas-por-reporte] [compartida]\n");
        return 2;
    }
    const QString carpeta = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const int reportes = std::atoi(argv[3]);
    const int trabajador = std::atoi(argv[4]);
    const int facturas = argc > 5 ? std::atoi(argv[5]) : 12;
    const bool compartida = argc > 6 && qstrcmp(argv[6], "compartida") == 0;
    if (reportes < 1 || trabajador < 0 || facturas < 1)
        return 2;

    // Message boxes go to the error stream and are counted: a correct run shows none. Yes/No
    // questions (retry the connection?) are answered No.
    quilmaro::prueba::PlataformaPrueba plataforma;
    plataforma.alMostrarMensaje = [&](const quilmaro::Mensaje& m) {
        std::fprintf(stderr, "[%d] message \"%s\": %s\n", trabajador, qUtf8Printable(m.titulo),
                     qUtf8Printable(m.texto));
        if (m.botones == quilmaro::Botones::SiNo)
            plataforma.responde(quilmaro::Respuesta::No);
    };
    plataforma.alProcesarEventos = [] { QCoreApplication::processEvents(); };
    quilmaro::reporte::instalaSalidaEnVentanas();
    quilmaro::stRutaPrograma = carpeta + QLatin1Char('/');
    quilmaro::stBaseDeDatos = QString::fromLocal8Bit(argv[2]);
    quilmaro::stServidor.clear();

    // The window's connection, open for the whole session.
    std::shared_ptr<quilmaro::Conexion> cnn;
    quilmaro::AbreBdD(cnn, quilmaro::stBaseDeDatos);
    if (!cnn || !cnn->estaAbierta()) {
        std::fprintf(stderr, "[%d] no connection to %s\n", trabajador, argv[2]);
        return 1;
    }
    std::shared_ptr<quilmaro::Recordset> rstFactura;
    // One control per button, kept between runs as the window keeps them.
    quilmaro::reporte::ControlReporte crpGuia, crpCobranza;

    int bien = 0, fallidos = 0;
    QMap<QString, int> tablas;  // working table name -> runs that used it
    for (int r = 0; r < reportes; ++r) {
        // The run's own invoices, in an order that is neither the identifiers' nor the same for
        // every run: rotated by the run number, reversed on odd runs.
        const long long primero = (static_cast<long long>(trabajador) * reportes + r) * facturas;
        std::vector<long long> ids;
        for (int k = 0; k < facturas; ++k)
            ids.push_back(primero + 1 + (k + r) % facturas);
        if (r % 2 == 1)
            std::reverse(ids.begin(), ids.end());
        QStringList esperados;
        quilmaro::PedidoReporte pedido;
        for (long long id : ids) {
            pedido.ids << QString::number(id);
            esperados << QString::number(kPrimeraFactura + id);
        }
        // Neighbouring workstations run different reports at the same moment.
        const bool cobranza = (r + trabajador) % 2 == 1;
        pedido.tipo = cobranza ? quilmaro::TipoReporte::Cobranza : quilmaro::TipoReporte::Guia;
        pedido.destino = 0;
        pedido.referencia = QStringLiteral("CARGA %1-%2").arg(trabajador).arg(r);
        quilmaro::reporte::ControlReporte& crp = cobranza ? crpCobranza : crpGuia;

        const auto mensajesAntes = plataforma.mensajes().size();
        quilmaro::stTablaTemporal.clear();
        const bool corrio = quilmaro::EjecutaReporte(pedido, cnn, rstFactura, crp);
        const QString tabla = quilmaro::stTablaTemporal;
        tablas[tabla.isEmpty() ? QStringLiteral("(none)") : tabla] += 1;

        QStringList fallas;
        if (!corrio)
            fallas << QStringLiteral("the run failed: ") + crp.ultimoError();
        if (plataforma.mensajes().size() != mensajesAntes)
            fallas << QStringLiteral("%1 message(s) shown")
                          .arg(plataforma.mensajes().size() - mensajesAntes);
        if (tabla.isEmpty())
            fallas << QStringLiteral("no working table recorded");
        const auto doc = crp.ultimoDocumento();
        if (corrio && doc) {
            const Contenido c = contenido(*doc);
            if (c.numeros != esperados)
                fallas << QStringLiteral("invoices in the document %1, listed %2")
                              .arg(c.numeros.join(QLatin1Char(',')),
                                   esperados.join(QLatin1Char(',')));
            if (!c.texto.contains(QLatin1Char('\n') + pedido.referencia + QLatin1Char('\n')))
                fallas << QStringLiteral("the reference %1 is not in the document")
                              .arg(pedido.referencia);
            if (c.detalle != facturas)
                fallas << QStringLiteral("%1 detail rows for %2 invoices")
                              .arg(c.detalle)
                              .arg(facturas);
        } else if (corrio) {
            fallas << QStringLiteral("no document");
        }
        // The run's local file is gone (when the folder is this workstation's own).
        const QStringList locales =
            compartida ? QStringList()
                       : QDir(carpeta).entryList({QStringLiteral("TEMP*.MDB")}, QDir::Files);
        if (!locales.isEmpty())
            fallas << QStringLiteral("local files left: ") + locales.join(QLatin1Char(' '));

        if (crp.ultimaVista())
            delete crp.ultimaVista();
        QCoreApplication::processEvents();

        if (fallas.isEmpty()) {
            ++bien;
        } else {
            ++fallidos;
            std::fprintf(stderr, "[%d] run %d (%s, %s): %s\n", trabajador, r,
                         cobranza ? "cobranza" : "guia", qUtf8Printable(tabla),
                         qUtf8Printable(fallas.join(QStringLiteral("; "))));
        }
    }

    QStringList usadas;
    for (auto it = tablas.cbegin(); it != tablas.cend(); ++it)
        usadas << QStringLiteral("%1x%2").arg(it.key()).arg(it.value());
    std::printf("worker=%d runs=%d ok=%d failed=%d tables=%s\n", trabajador, reportes, bien,
                fallidos, qUtf8Printable(usadas.join(QLatin1Char(','))));
    try {
        quilmaro::libTESK::instancia().CierraBdD(cnn);
    } catch (const quilmaro::ErrorTESK&) {
    }
    return fallidos == 0 ? 0 : 1;
}

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    try {
        return carga(argc, argv);
    } catch (const quilmaro::ProcesoTerminado& t) {
        std::fprintf(stderr, "the program ended the process (code %d)\n", t.codigo);
        return 3;
    }
}
