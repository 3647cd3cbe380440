// Timed driver of the report engine.
//
//   bench_motor [--servidor] [--diseno FILE.rpt] [--salida DIR] [--captura FILE.png] [ROWS...]
//
// For each row count (default 1000 and 10000) it runs, in a fresh process, the delivery guide of
// docs/layouts.md (or the layout given) on that many invoices and prints:
//   first page  from the start of the run to the preview window's first page painted
//               (layout read, data read, pagination, preview shown and painted offscreen)
//   document    from the start of the run to the whole document in a PDF file (the pages after
//               the first laid out, then written), and its pages per second
//   peak memory the process's maximum resident size
// The invoices come from a SQLite file, or with --servidor from a table on the MariaDB server
// the client environment points at (MYSQL_UNIX_PORT / MYSQL_TCP_PORT), database quilmaro_bench.
// --captura saves a picture of the whole screen with the preview open (run it under a real
// display, such as xvfb-run with QT_QPA_PLATFORM=xcb).

#include <sqlite3.h>
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextStream>
#include <cmath>
#include <cstdio>

#include "core/Regional.h"
#include "gui/SalidaVentanas.h"
#include "gui/VistaPrevia.h"
#include "reportengine/ControlReporte.h"
#include "reportengine/Pintor.h"

#ifdef QUILMARO_BENCH_SERVIDOR
#include "db/Conexion.h"
#endif

using namespace quilmaro;
using namespace quilmaro::reporte;

namespace {

const char* const kNombres[] = {"PAÑALERA LA CIGÜEÑA",      "José Ángel Muñoz Peña",
                                "TALLER \"EL GÜERO\"",      "PANADERÍA L'ESPIGA",
                                "Ferretería Núñez y Hnos.", "María Fernanda Ibáñez Olvera",
                                "ABARROTES DOÑA CONCEPCIÓN"};

QByteArray guiaDocumentada() {
    QFile f(QStringLiteral(QUILMARO_FUENTES "/docs/layouts.md"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QString md = QString::fromUtf8(f.readAll());
    static const QRegularExpression bloque(QStringLiteral("```xml\\n(<\\?xml.*?)```"),
                                           QRegularExpression::DotMatchesEverythingOption);
    const auto m = bloque.match(md);
    return m.hasMatch() ? m.captured(1).toUtf8() : QByteArray();
}

bool sqlite(sqlite3* db, const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) == SQLITE_OK)
        return true;
    std::fprintf(stderr, "sqlite: %s\n", error ? error : "?");
    sqlite3_free(error);
    return false;
}

// Letterhead file; with facturas > 0 also the invoices, in the same file.
bool creaLocal(const QString& ruta, int facturas) {
    sqlite3* db = nullptr;
    if (sqlite3_open(ruta.toUtf8().constData(), &db) != SQLITE_OK)
        return false;
    bool ok =
        sqlite(db,
               "CREATE TABLE Generales (Empresa TEXT, Domicilio TEXT, CP TEXT, CiudadEstado TEXT,"
               " Telefonos TEXT, RFC TEXT, ParaLasFechas TEXT);"
               "INSERT INTO Generales VALUES ('DISTRIBUIDORA PEÑÓN DE LOS BAÑOS, S.A. DE C.V.',"
               " 'Av. Insurgentes Sur 1457', '03920', 'Ciudad de México, CDMX', '55 5598 1200',"
               " 'DPB9703125K1', 'Entregas del 4 al 8 de marzo');");
    if (ok && facturas > 0) {
        ok = sqlite(
            db,
            "CREATE TABLE facturas (ID INTEGER PRIMARY KEY, Serie TEXT, Factura INTEGER,"
            " Fecha DATE, Cliente TEXT, Nombre TEXT, Subtotal REAL, IVA REAL, ImpuestoAd REAL);"
            "BEGIN;");
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO facturas VALUES (?,?,?,?,?,?,?,?,?)", -1, &st, nullptr);
        for (int i = 1; ok && i <= facturas; ++i) {
            const double subtotal = 100.0 * (i % 17) + 12.34 * i;
            const QByteArray fecha =
                QDate(2024, 3, 1).addDays(i % 28).toString(Qt::ISODate).toUtf8();
            const QByteArray cliente = QStringLiteral("C%1").arg(i % 7).toUtf8();
            sqlite3_reset(st);
            sqlite3_bind_int(st, 1, i);
            sqlite3_bind_text(st, 2, i % 2 ? "A" : "B", -1, SQLITE_STATIC);
            sqlite3_bind_int(st, 3, 1000 + i);
            sqlite3_bind_text(st, 4, fecha.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 5, cliente.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 6, kNombres[i % 7], -1, SQLITE_STATIC);
            sqlite3_bind_double(st, 7, subtotal);
            sqlite3_bind_double(st, 8, std::round(subtotal * 16.0) / 100.0);
            sqlite3_bind_double(st, 9, 1.5 * (i % 3));
            ok = sqlite3_step(st) == SQLITE_DONE;
        }
        sqlite3_finalize(st);
        ok = ok && sqlite(db, "COMMIT;");
    }
    sqlite3_close(db);
    return ok;
}

#ifdef QUILMARO_BENCH_SERVIDOR
bool creaServidor(int facturas, QString* error) {
    try {
        auto cnn = Conexion::crea();
        cnn->setCadenaConexion(QStringLiteral("DATABASE=;UID=root;PWD=;"));
        cnn->abre();
        cnn->ejecuta(
            QStringLiteral("CREATE DATABASE IF NOT EXISTS quilmaro_bench CHARACTER SET utf8mb4"));
        cnn->ejecuta(QStringLiteral("DROP TABLE IF EXISTS quilmaro_bench.facturas"));
        cnn->ejecuta(QStringLiteral(
            "CREATE TABLE quilmaro_bench.facturas (ID int NOT NULL AUTO_INCREMENT PRIMARY KEY,"
            " Serie varchar(5), Factura int, Fecha date, Cliente varchar(10), Nombre varchar(120),"
            " Subtotal double, IVA double, ImpuestoAd double, Observaciones text)"));
        QStringList valores;
        for (int i = 1; i <= facturas; ++i) {
            const double subtotal = 100.0 * (i % 17) + 12.34 * i;
            valores << QStringLiteral("(%1,'%2',%3,'%4','C%5','%6',%7,%8,%9,'%10')")
                           .arg(i)
                           .arg(i % 2 ? "A" : "B")
                           .arg(1000 + i)
                           .arg(QDate(2024, 3, 1).addDays(i % 28).toString(Qt::ISODate))
                           .arg(i % 7)
                           .arg(cnn->escapa(QString::fromUtf8(kNombres[i % 7])))
                           .arg(subtotal, 0, 'f', 2)
                           .arg(std::round(subtotal * 16.0) / 100.0, 0, 'f', 2)
                           .arg(1.5 * (i % 3), 0, 'f', 2)
                           .arg(QStringLiteral("Entregar en horario de oficina"));
            if (valores.size() == 500 || i == facturas) {
                cnn->ejecuta(QStringLiteral("INSERT INTO quilmaro_bench.facturas VALUES ") +
                             valores.join(QLatin1Char(',')));
                valores.clear();
            }
        }
        cnn->cierra();
        return true;
    } catch (const ErrorTESK& e) {
        *error = QStringLiteral("%1 (%2)").arg(e.descripcion()).arg(e.numero());
        return false;
    }
}
#endif

long picoKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// One measurement, in this process.
int mide(int filas, bool servidor, const QString& diseno, const QString& salida,
         const QString& captura) {
    QTemporaryDir tmp;
    const QString local = tmp.filePath(QStringLiteral("TEMPORAL0000.MDB"));
    QString rutaDiseno = diseno;
    QByteArray xml;
    if (rutaDiseno.isEmpty()) {
        rutaDiseno = tmp.filePath(QStringLiteral("guia.rpt"));
        xml = guiaDocumentada();
    } else {
        QFile f(diseno);
        if (f.open(QIODevice::ReadOnly))
            xml = f.readAll();
    }
    QString fuente1;
    if (servidor) {
#ifdef QUILMARO_BENCH_SERVIDOR
        QString error;
        if (!creaServidor(filas, &error)) {
            std::fprintf(stderr, "server: %s\n", qPrintable(error));
            return 1;
        }
        fuente1 = QStringLiteral("quilmaro_bench.facturas");
#else
        std::fprintf(stderr, "built without the data-objects layer\n");
        return 1;
#endif
    } else {
        // The layout reads the invoices as a local table of the same file.
        xml.replace(R"(nombre="facturas" tipo="servidor")",
                    R"(nombre="facturas" tipo="local" tabla="facturas")");
        fuente1 = local;
    }
    if (!creaLocal(local, servidor ? 0 : filas))
        return 1;
    if (rutaDiseno.startsWith(tmp.path())) {
        QFile f(rutaDiseno);
        if (!f.open(QIODevice::WriteOnly) || f.write(xml) != xml.size())
            return 1;
    }

    // Run to the screen: preview shown and its first page painted.
    ControlReporte crp;
    crp.fijaDestino(ControlReporte::Pantalla);
    crp.fijaArchivoReporte(rutaDiseno);
    crp.fijaFuenteDatos(0, local);
    crp.fijaFuenteDatos(1, fuente1);
    QElapsedTimer reloj;
    reloj.start();
    if (!crp.ejecuta())
        return 1;
    VistaPrevia* vista = vistaDe(crp);
    const QPixmap primera = vista->grab();
    const double tPrimera = reloj.nsecsElapsed() / 1e9;
    if (primera.isNull())
        return 1;
    // Whole document to PDF, from the start of the run: the pages after the first are laid out
    // when the document is asked for.
    reloj.restart();
    const auto doc = crp.ultimoDocumento();
    const int paginas = doc->cuentaPaginas();
    const QString pdf = QDir(salida.isEmpty() ? tmp.path() : salida)
                            .filePath(QStringLiteral("guia-%1.pdf").arg(filas));
    exportaPdf(*doc, pdf);
    const double tPdf = tPrimera + reloj.nsecsElapsed() / 1e9;
    if (!salida.isEmpty()) {
        imagenDePagina(*doc, 0, 100)
            .save(QDir(salida).filePath(QStringLiteral("guia-%1-p1.png").arg(filas)));
        primera.save(QDir(salida).filePath(QStringLiteral("guia-%1-vista.png").arg(filas)));
    }
    if (!captura.isEmpty()) {
        // Let the window manager and the window settle, then take the screen as a person sees it.
        QElapsedTimer espera;
        espera.start();
        while (espera.elapsed() < 1500)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (QScreen* pantalla = QGuiApplication::primaryScreen())
            pantalla->grabWindow(0).save(captura);
    }
    vista->close();
    std::printf("%d\t%s\t%d\t%.3f\t%.3f\t%.1f\t%.1f\n", filas, servidor ? "server" : "sqlite",
                paginas, tPrimera, tPdf, paginas / tPdf, picoKb() / 1024.0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    fijaRegional(QLocale(QLocale::Spanish, QLocale::Mexico));
    instalaSalidaEnVentanas();
    QStringList args = app.arguments().mid(1);
    bool servidor = false;
    QString diseno, salida, captura;
    int una = 0;
    QList<int> filas;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--servidor"))
            servidor = true;
        else if (args[i] == QLatin1String("--diseno") && i + 1 < args.size())
            diseno = args[++i];
        else if (args[i] == QLatin1String("--salida") && i + 1 < args.size())
            salida = args[++i];
        else if (args[i] == QLatin1String("--una") && i + 1 < args.size())
            una = args[++i].toInt();
        else if (args[i] == QLatin1String("--captura") && i + 1 < args.size())
            captura = args[++i];
        else if (args[i].toInt() > 0)
            filas << args[i].toInt();
        else {
            std::fprintf(stderr,
                         "usage: bench_motor [--servidor] [--diseno FILE] [--salida DIR] "
                         "[--captura FILE.png] [ROWS...]\n");
            return 2;
        }
    }
    if (una > 0)
        return mide(una, servidor, diseno, salida, captura);
    if (filas.isEmpty())
        filas = {1000, 10000};
    std::printf("rows\tsource\tpages\tfirst page (s)\tPDF (s)\tpages/s to PDF\tpeak memory (MB)\n");
    std::fflush(stdout);
    for (int n : filas) {
        // Each size in a process of its own, so that the peak memory is that size's.
        QStringList a{QStringLiteral("--una"), QString::number(n)};
        if (servidor)
            a << QStringLiteral("--servidor");
        if (!diseno.isEmpty())
            a << QStringLiteral("--diseno") << diseno;
        if (!salida.isEmpty())
            a << QStringLiteral("--salida") << salida;
        if (!captura.isEmpty())
            a << QStringLiteral("--captura") << captura;
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QCoreApplication::applicationFilePath(), a);
        p.waitForFinished(-1);
        std::printf("%s", p.readAllStandardOutput().constData());
        std::fflush(stdout);
        if (p.exitCode() != 0)
            return 1;
    }
    return 0;
}
