// Benchmark: a report run for a list of N invoices, from the click to the preview ready, against
// the bare server work the run cannot avoid (one CREATE ... LIKE, one INSERT ... SELECT of the
// listed invoices, one SELECT of them), done straight on MariaDB Connector/C.
//
//   bench_reportes <carpeta-programa> <base> <N> [repeticiones]
//
// The database must hold at least N invoices (scripts/bench.sh prepares it) and MYSQL_UNIX_PORT
// must name the server's socket. Prints one line: N, medians in ms (the run, the floor, and the
// part of the run after the report command returned: the preview's first paint), the ratio and
// the peak memory.

#include <mysql.h>
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "../comun/Banco.h"
#include "core/Globales.h"
#include "db/Conexion.h"
#include "db/Recordset.h"
#include "db/TempDeODBC.h"
#include "gui/SalidaVentanas.h"
#include "platform/Plataforma.h"
#include "reportengine/ControlReporte.h"
#include "reports/Reportes.h"

using namespace quilmaro::banco;

namespace {

// The floor: the server work with nothing of the program around it.
double piso(const QString& base, const QStringList& ids) {
    MYSQL* m = conectaPiso(base);
    QElapsedTimer t;
    t.start();
    auto q = [&](const QString& s) { consulta(m, s.toUtf8()); };
    q("CREATE TABLE piso_bench LIKE facturas");
    q("INSERT INTO piso_bench SELECT * FROM facturas WHERE ID IN (" + ids.join(',') + ")");
    q("SELECT * FROM piso_bench");
    MYSQL_RES* r = mysql_store_result(m);
    while (mysql_fetch_row(r)) {
    }
    mysql_free_result(r);
    const double ms = t.nsecsElapsed() / 1e6;
    q("DROP TABLE piso_bench");
    mysql_close(m);
    return ms;
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    quilmaro::reporte::instalaSalidaEnVentanas();
    if (argc < 4) {
        std::fprintf(stderr, "uso: bench_reportes <carpeta-programa> <base> <N> [repeticiones]\n");
        return 2;
    }
    quilmaro::stRutaPrograma = QString::fromLocal8Bit(argv[1]) + '/';
    quilmaro::stBaseDeDatos = QString::fromLocal8Bit(argv[2]);
    quilmaro::stServidor.clear();
    const int n = std::atoi(argv[3]);
    const int repeticiones = argc > 4 ? std::atoi(argv[4]) : 5;

    std::shared_ptr<quilmaro::Conexion> cnn;
    QString base = quilmaro::stBaseDeDatos;
    quilmaro::AbreBdD(cnn, base);
    QStringList ids;
    auto rs =
        cnn->ejecuta(QStringLiteral("SELECT ID FROM facturas ORDER BY RAND(7) LIMIT %1").arg(n));
    for (; !rs->eof(); rs->siguiente())
        ids << rs->campo(0).valor().aTexto();
    if (ids.size() < n) {
        std::fprintf(stderr, "the database holds only %lld invoices\n",
                     static_cast<long long>(ids.size()));
        return 1;
    }

    std::vector<double> tiempos, pisos, pintados;
    for (int i = 0; i < repeticiones; ++i) {
        quilmaro::reporte::ControlReporte crp;
        std::shared_ptr<quilmaro::Recordset> rst;
        quilmaro::PedidoReporte pedido;
        pedido.ids = ids;
        pedido.destino = 0;
        pedido.referencia = QStringLiteral("BENCHMARK");
        QElapsedTimer t;
        t.start();
        const bool bien = quilmaro::EjecutaReporte(pedido, cnn, rst, crp);
        const double devuelto = t.nsecsElapsed() / 1e6;
        QCoreApplication::processEvents();  // the preview painted
        tiempos.push_back(t.nsecsElapsed() / 1e6);
        pintados.push_back(tiempos.back() - devuelto);
        if (!bien || !crp.ultimoDocumento()) {
            std::fprintf(stderr, "the report failed: %s\n", qUtf8Printable(crp.ultimoError()));
            return 1;
        }
        pisos.push_back(piso(base, ids));
        // The preview finishes its pages and is closed before the next run, as a clerk would:
        // an open one would repaint inside the next run's pending-event passes.
        QCoreApplication::processEvents();
        if (auto* vista = qobject_cast<QWidget*>(crp.ultimaVista()))
            vista->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    struct rusage uso {};
    getrusage(RUSAGE_SELF, &uso);
    const double m = mediana(tiempos), p = mediana(pisos);
    std::printf("invoices=%d run_ms=%.1f floor_ms=%.1f ratio=%.2f paint_ms=%.1f peak_rss_mb=%.1f\n",
                n, m, p, m / p, mediana(pintados), uso.ru_maxrss / 1024.0);
    return 0;
}
