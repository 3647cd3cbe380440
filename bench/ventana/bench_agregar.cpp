// Benchmark: adding one invoice to the list, as the "Agregar" button does (the lookup of series
// and number on the server and the new grid row), against the bare lookup the window sends: the
// same SELECT on an open MariaDB Connector/C connection, its row fetched.
//
//   bench_agregar <base> [agregados] [filas-previas]
//
// The window runs offscreen on a program folder of its own; message boxes are answered and
// counted (a correct run shows none). Each add is followed by its floor query for the same
// invoice, so both see the same server state. The list grows by one row per add, from
// filas-previas rows (default 0: the empty list) to filas-previas + agregados; the rows before
// are the invoices 1..filas-previas in a saved list that the window reads when it opens.
// The database must hold the invoices 1..agregados+filas-previas of scripts/bench.sh's bench1
// (series A, B, C by number modulo 3) and MYSQL_UNIX_PORT must name the server's socket.
// Prints medians in microseconds: the click alone, the click with the window painted after it,
// the floor, the ratios, a bare round trip to the server ("Do 0") and the peak memory.

#include <mysql.h>
#include <sys/resource.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "../comun/Banco.h"
#include "core/Globales.h"
#include "gui/Reja.h"
#include "gui/frmReporte.h"
#include "platform/Plataforma.h"

using namespace quilmaro::banco;

namespace {

QString serieDe(int factura) {
    return QString(QLatin1Char("ABC"[factura % 3]));
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "uso: bench_agregar <base> [agregados] [filas-previas]\n");
        return 2;
    }
    const QString base = QString::fromLocal8Bit(argv[1]);
    const int agregados = argc > 2 ? std::atoi(argv[2]) : 200;
    const int previas = argc > 3 ? std::atoi(argv[3]) : 0;
    if (agregados < 1 || previas < 0)
        return 2;

    PlataformaBanco plataforma(quilmaro::Respuesta::Si);
    quilmaro::instalaPlataforma(&plataforma);
    QTemporaryDir carpeta;
    quilmaro::stRutaPrograma = carpeta.path() + QLatin1Char('/');
    quilmaro::stBaseDeDatos = base;
    quilmaro::stServidor.clear();

    // The floor's own connection, open before the first query.
    MYSQL* m = conectaPiso(base);
    if (previas > 0 &&
        escribeLista(m,
                     QStringLiteral("SELECT Serie, Factura, Fecha, Cliente, Nombre, Subtotal + "
                                    "IVA + ImpuestoAd, ID FROM facturas WHERE Factura <= %1 "
                                    "ORDER BY Factura")
                         .arg(previas)
                         .toUtf8(),
                     quilmaro::stRutaPrograma + quilmaro::kArchivoLista) != previas) {
        std::fprintf(stderr, "%s holds fewer than %d invoices\n", qUtf8Printable(base), previas);
        return 1;
    }
    auto piso = [&](const QString& serie, int factura) {
        QElapsedTimer t;
        t.start();
        // The statement the window sends for this invoice.
        const QByteArray sql =
            QStringLiteral("Select * from facturas where Serie='%1' and Factura=%2")
                .arg(serie)
                .arg(factura)
                .toUtf8();
        if (mysql_real_query(m, sql.constData(), static_cast<unsigned long>(sql.size())) != 0) {
            std::fprintf(stderr, "%s\n", mysql_error(m));
            std::exit(1);
        }
        MYSQL_RES* r = mysql_store_result(m);
        int filas = 0;
        while (mysql_fetch_row(r))
            ++filas;
        mysql_free_result(r);
        const double us = t.nsecsElapsed() / 1e3;
        if (filas != 1) {
            std::fprintf(stderr, "invoice %s-%d: %d rows\n", qUtf8Printable(serie), factura, filas);
            std::exit(1);
        }
        return us;
    };

    // A bare round trip of one statement that returns nothing, for the report: what the window
    // pays to check its connection when the connection's socket is not quiet.
    auto idaYVuelta = [&] {
        QElapsedTimer t;
        t.start();
        consulta(m, "Do 0");
        return t.nsecsElapsed() / 1e3;
    };

    quilmaro::frmReporte ventana;
    ventana.show();
    QApplication::setActiveWindow(&ventana);
    while (ventana.bPrimeraVez)
        QCoreApplication::processEvents();
    if (ventana.cmbSerie->findText(QStringLiteral("C")) < 0) {
        std::fprintf(stderr, "the window found no series A, B, C in %s\n", qUtf8Printable(base));
        return 1;
    }
    auto agrega = [&](int factura) {
        ventana.txtFactura->setText(QString::number(factura));
        ventana.cmbSerie->setCurrentIndex(ventana.cmbSerie->findText(serieDe(factura)));
        ventana.cmdAgregar_Click();
    };
    QCoreApplication::processEvents();

    std::vector<double> clics, pintados, pisos, vueltas;
    const int filasAntes = ventana.mhgReja->filas();
    for (int i = 0; i < agregados; ++i) {
        const int factura = previas + 1 + i;
        QElapsedTimer t;
        t.start();
        agrega(factura);
        clics.push_back(t.nsecsElapsed() / 1e3);
        QCoreApplication::processEvents();  // the new row painted
        pintados.push_back(t.nsecsElapsed() / 1e3);
        pisos.push_back(piso(serieDe(factura), factura));
        vueltas.push_back(idaYVuelta());
    }
    const int filasDespues = ventana.mhgReja->filas();
    const QString ultima = ventana.mhgReja->texto(filasDespues - 1, 2);
    if (plataforma.mensajes != 0 || filasDespues - filasAntes != agregados - (previas == 0) ||
        ultima != QString::number(previas + agregados)) {
        std::fprintf(stderr, "wrong list: %d rows before, %d after, last invoice %s, %d messages\n",
                     filasAntes, filasDespues, qUtf8Printable(ultima), plataforma.mensajes);
        return 1;
    }
    mysql_close(m);

    struct rusage uso {};
    getrusage(RUSAGE_SELF, &uso);
    const double c = mediana(clics), p = mediana(pintados), f = mediana(pisos);
    std::printf(
        "adds=%d rows_before=%d click_us=%.0f click_paint_us=%.0f floor_us=%.0f "
        "ratio_click=%.2f ratio_click_paint=%.2f round_trip_us=%.0f peak_rss_mb=%.1f\n",
        agregados, previas, c, p, f, c / f, p / f, mediana(vueltas), uso.ru_maxrss / 1024.0);
    return 0;
}
