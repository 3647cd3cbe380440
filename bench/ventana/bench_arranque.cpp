// Benchmark: start-up to the first activation done, with a saved list of N invoices (default
// 1,000) in LISTAFACTURAS.TXT, against the bare work that start-up cannot avoid: reading the
// same file and splitting it into its rows, connecting and asking the server for the series
// list, straight on MariaDB Connector/C.
//
//   bench_arranque [--carpeta DIR] <base> [repeticiones] [filas]
//   bench_arranque --hijo DIR filas          one start-up on a folder prepared with --carpeta
//   bench_arranque --piso DIR <base> filas   the floor once on that folder
//
// It prepares a program folder (QUILMARO.INI naming the server on this computer and <base>,
// the saved list written by the list writer from invoices of <base>), then starts itself once
// per repetition as a new process that does what the program's main does: the application, the
// entry routine (settings file, program folder), the window, its Form_Load and its first
// activation (series list, the saved list read into the grid, rows numbered). The child reports
// when each stage ended on the system's monotonic clock; the parent took the time just before
// starting it. MYSQL_UNIX_PORT must name the server's socket.
// Prints medians in ms: process start to activation done and to the grid painted, window
// creation to activation done, the floor, the ratios, and the child's peak memory. With
// --carpeta the folder is DIR and stays (0 repetitions only prepares it), so that a start-up
// and the floor can be timed as whole processes from outside.

#include <mysql.h>
#include <sys/resource.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "../comun/Banco.h"
#include "core/ArchivosTexto.h"
#include "core/Globales.h"
#include "core/ListaFacturas.h"
#include "core/Principal.h"
#include "core/Regional.h"
#include "gui/Reja.h"
#include "gui/frmReporte.h"
#include "platform/Plataforma.h"

using namespace quilmaro::banco;

namespace {

long long ahoraNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// The child: one start-up, timed stage by stage.
int arranque(int argc, char* argv[], const QString& carpeta, long long filasEsperadas) {
    const long long tMain = ahoraNs();
    QApplication app(argc, argv);
    QApplication::setApplicationName(quilmaro::kTituloPrograma);
    PlataformaBanco plataforma(quilmaro::Respuesta::No);
    quilmaro::instalaPlataforma(&plataforma);
    long long tVentana = 0, tActiva = 0, tPintada = 0;
    int filas = 0;
    quilmaro::Main(carpeta, [&] {
        tVentana = ahoraNs();
        quilmaro::frmReporte ventana;
        ventana.show();
        QApplication::setActiveWindow(&ventana);
        while (ventana.bPrimeraVez)
            QCoreApplication::processEvents();
        tActiva = ahoraNs();
        QCoreApplication::processEvents();  // the grid painted
        tPintada = ahoraNs();
        filas = ventana.mhgReja->filas() - 1;
    });
    struct rusage uso {};
    getrusage(RUSAGE_SELF, &uso);
    if (filas != filasEsperadas || plataforma.mensajes != 0) {
        std::fprintf(stderr, "the window shows %d rows (expected %lld), %d messages\n", filas,
                     filasEsperadas, plataforma.mensajes);
        return 1;
    }
    std::printf("%lld %lld %lld %lld %ld\n", tMain, tVentana, tActiva, tPintada, uso.ru_maxrss);
    return 0;
}

// The floor: the file's rows and the series list, with nothing of the program around them.
double piso(const QString& archivo, const QString& base, long long filasEsperadas) {
    const long long t0 = ahoraNs();
    QFile f(archivo);
    if (!f.open(QIODevice::ReadOnly))
        std::exit(1);
    const QByteArray datos = f.readAll();
    // Rows: one a line; fields: seven quoted texts between commas.
    long long filas = 0, campos = 0;
    for (qsizetype i = 0; i < datos.size();) {
        qsizetype fin = datos.indexOf("\r\n", i);
        if (fin < 0)
            fin = datos.size();
        if (fin > i) {
            ++filas;
            campos += datos.mid(i, fin - i).count("\",\"") + 1;
        }
        i = fin + 2;
    }
    MYSQL* m = conectaPiso(base);
    consulta(m, "Select * from sistema where Dato like 'FA-%' and Dato<>'FA-' order by Dato");
    MYSQL_RES* r = mysql_store_result(m);
    int series = 0;
    while (mysql_fetch_row(r))
        ++series;
    mysql_free_result(r);
    mysql_close(m);
    const double ms = (ahoraNs() - t0) / 1e6;
    if (filas != filasEsperadas || campos != filas * quilmaro::lista::kCampos || series < 1) {
        std::fprintf(stderr, "floor: %lld rows, %lld fields, %d series\n", filas, campos, series);
        std::exit(1);
    }
    return ms;
}

}  // namespace

int main(int argc, char* argv[]) {
    // The children run on the offscreen platform too.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc >= 4 && qstrcmp(argv[1], "--hijo") == 0)
        return arranque(argc, argv, QString::fromLocal8Bit(argv[2]), std::atoll(argv[3]));

    QCoreApplication app(argc, argv);
    if (argc >= 5 && qstrcmp(argv[1], "--piso") == 0) {
        const QString lista =
            QString::fromLocal8Bit(argv[2]) + QLatin1Char('/') + quilmaro::kArchivoLista;
        std::printf("floor_ms=%.1f\n",
                    piso(lista, QString::fromLocal8Bit(argv[3]), std::atoll(argv[4])));
        return 0;
    }
    QTemporaryDir temporal;
    QString carpeta = temporal.path();
    if (argc >= 3 && qstrcmp(argv[1], "--carpeta") == 0) {
        carpeta = QString::fromLocal8Bit(argv[2]);
        QDir().mkpath(carpeta);
        argv += 2;
        argc -= 2;
    }
    if (argc < 2) {
        std::fprintf(stderr, "uso: bench_arranque [--carpeta DIR] <base> [repeticiones] [filas]\n");
        return 2;
    }
    const QString base = QString::fromLocal8Bit(argv[1]);
    const int repeticiones = argc > 2 ? std::atoi(argv[2]) : 15;
    const int n = argc > 3 ? std::atoi(argv[3]) : 1000;
    if (repeticiones < 0 || n < 1)
        return 2;

    // The program folder: settings and the saved list, rows as the window writes them.
    const QString ruta = carpeta + QLatin1Char('/');
    {
        QFile ini(ruta + quilmaro::kArchivoConfiguracion);
        if (!ini.open(QIODevice::WriteOnly))
            return 1;
        ini.write(quilmaro::texto::codificaLineas(
            {quilmaro::kClaveServidor, QStringLiteral("localhost"), quilmaro::kClaveBaseDeDatos,
             base, quilmaro::kClaveUrl, quilmaro::kUrlPredeterminada}));
    }
    const QString archivoLista = ruta + quilmaro::kArchivoLista;
    MYSQL* m = conectaPiso(base);
    const qsizetype escritas = escribeLista(
        m,
        QStringLiteral("SELECT Serie, Factura, Fecha, Cliente, Nombre, Subtotal + IVA + "
                       "ImpuestoAd, ID FROM facturas ORDER BY RAND(11) LIMIT %1")
            .arg(n)
            .toUtf8(),
        archivoLista);
    mysql_close(m);
    if (escritas != n) {
        std::fprintf(stderr, "the database holds only %lld invoices\n",
                     static_cast<long long>(escritas));
        return 1;
    }

    if (repeticiones == 0)
        return 0;
    std::vector<double> hastaActiva, hastaPintada, ventanaActiva, carga, pisos;
    long rssMaximo = 0;
    for (int i = 0; i < repeticiones; ++i) {
        QProcess hijo;
        hijo.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const long long t0 = ahoraNs();
        hijo.start(QCoreApplication::applicationFilePath(),
                   {QStringLiteral("--hijo"), carpeta, QString::number(n)});
        if (!hijo.waitForFinished(600000) || hijo.exitStatus() != QProcess::NormalExit ||
            hijo.exitCode() != 0) {
            std::fprintf(stderr, "start-up %d failed\n", i);
            return 1;
        }
        const QList<QByteArray> v = hijo.readAllStandardOutput().trimmed().split(' ');
        if (v.size() != 5)
            return 1;
        const long long tMain = v[0].toLongLong(), tVentana = v[1].toLongLong(),
                        tActiva = v[2].toLongLong(), tPintada = v[3].toLongLong();
        carga.push_back((tMain - t0) / 1e6);
        hastaActiva.push_back((tActiva - t0) / 1e6);
        hastaPintada.push_back((tPintada - t0) / 1e6);
        ventanaActiva.push_back((tActiva - tVentana) / 1e6);
        rssMaximo = std::max(rssMaximo, v[4].toLong());
        pisos.push_back(piso(archivoLista, base, n));
    }
    const double a = mediana(hastaActiva), p = mediana(hastaPintada), w = mediana(ventanaActiva),
                 f = mediana(pisos);
    std::printf(
        "rows=%d runs=%d exec_to_main_ms=%.1f start_to_activated_ms=%.1f "
        "start_to_painted_ms=%.1f window_to_activated_ms=%.1f floor_ms=%.1f "
        "ratio_start=%.1f ratio_window=%.1f peak_rss_mb=%.1f\n",
        n, repeticiones, mediana(carga), a, p, w, f, a / f, w / f, rssMaximo / 1024.0);
    return 0;
}
