#include "AyudaMotor.h"

#include <sqlite3.h>

#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <cmath>
#include <stdexcept>

#include "reportengine/Paginador.h"

namespace quilmaro::prueba {

using namespace reporte;

namespace {

// Opens each source from the tables given (by number); a number without a table fails like an
// unreachable source.
AbridorFuentes abridorMemoria(const QVector<TablaPrueba>& tablas) {
    return [tablas](const PeticionFuente& p) -> std::unique_ptr<FuenteDatos> {
        for (const TablaPrueba& t : tablas) {
            if (t.numero == p.numero)
                return std::make_unique<FuenteMemoria>(t.columnas, t.filas);
        }
        throw ErrorReporte(QStringLiteral("no hay tabla de prueba %1.").arg(p.numero));
    };
}

}  // namespace

std::shared_ptr<Documento> generaDesdeTexto(const QByteArray& xml,
                                            const QVector<TablaPrueba>& tablas, const QDate& hoy,
                                            const QString& ruta) {
    auto diseno = leeDisenoDeTexto(xml, ruta);
    QMap<int, QString> textos;
    for (const DefFuente& f : diseno->fuentes)
        textos.insert(f.numero, QStringLiteral("mem:%1").arg(f.numero));
    auto datos = Datos::carga(*diseno, textos, abridorMemoria(tablas));
    // The preview's way, a page at a time as it is asked for, must give the same pages and fail
    // with the same message.
    QString fallaPorPaginas;
    std::shared_ptr<const Documento> porPaginas;
    {
        auto otro = leeDisenoDeTexto(xml, ruta);
        auto filas = Datos::carga(*otro, textos, abridorMemoria(tablas));
        Paginacion p(std::move(otro), std::move(filas), hoy);
        try {
            for (int k = 1; !p.terminada(); ++k) {
                p.preparaHasta(k);
                EXPECT_TRUE(p.terminada() || p.paginasListas() == k);
            }
            porPaginas = p.documento();
        } catch (const ErrorTESK& e) {
            fallaPorPaginas = e.descripcion();
        }
    }
    try {
        auto doc = paginaReporte(*diseno, *datos, hoy);
        EXPECT_TRUE(porPaginas && mismasPaginas(*doc, *porPaginas))
            << fallaPorPaginas.toStdString();
        return doc;
    } catch (const ErrorTESK& e) {
        EXPECT_EQ(fallaPorPaginas, e.descripcion());
        throw;
    }
}

bool mismasPaginas(const Documento& a, const Documento& b) {
    if (a.cuentaPaginas() != b.cuentaPaginas())
        return false;
    for (size_t i = 0; i < a.paginas.size(); ++i) {
        const auto &x = a.paginas[i].elementos, &y = b.paginas[i].elementos;
        if (x.size() != y.size() || a.paginas[i].bandas.size() != b.paginas[i].bandas.size())
            return false;
        for (size_t j = 0; j < x.size(); ++j) {
            if (x[j].tipo != y[j].tipo || x[j].indice != y[j].indice || x[j].caja != y[j].caja ||
                x[j].texto != y[j].texto || x[j].color != y[j].color ||
                x[j].formato != y[j].formato)
                return false;
        }
    }
    return true;
}

QStringList columna(const QByteArray& fuentes, QString expresion,
                    const QVector<TablaPrueba>& tablas, const QString& formato) {
    expresion.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;");
    const QString f =
        formato.isEmpty() ? QString() : QStringLiteral(" formato=\"%1\"").arg(formato);
    const QByteArray xml = "<reporte ancho='200' alto='400'>\n" + fuentes +
                           "\n<detalle alto='5'><campo x='0' y='0' ancho='180' alto='5'" +
                           f.toUtf8() + ">" + expresion.toUtf8() + "</campo></detalle></reporte>";
    QStringList r;
    const auto doc = generaDesdeTexto(xml, tablas);
    for (int p = 0; p < doc->cuentaPaginas(); ++p) {
        for (const auto& b : bandas(*doc, p, TipoBanda::Detalle))
            r << textosEnY(*doc, p, b.y).value(0);
    }
    return r;
}

QStringList todosLosTextos(const Documento& doc) {
    QStringList t;
    for (const PaginaDocumento& p : doc.paginas) {
        for (const ElementoPagina& e : p.elementos) {
            if (e.tipo == ElementoPagina::Tipo::Texto)
                t << e.texto;
        }
    }
    return t;
}

QStringList textosEnY(const Documento& doc, int pagina, double y) {
    QStringList t;
    for (const ElementoPagina& e : doc.paginas.at(static_cast<size_t>(pagina)).elementos) {
        if (e.tipo == ElementoPagina::Tipo::Texto && std::abs(e.caja.top() - y) < 0.01)
            t << e.texto;
    }
    return t;
}

std::vector<BandaColocada> bandas(const Documento& doc, int pagina, TipoBanda tipo) {
    std::vector<BandaColocada> r;
    for (const BandaColocada& b : doc.paginas.at(static_cast<size_t>(pagina)).bandas) {
        if (b.tipo == tipo)
            r.push_back(b);
    }
    return r;
}

void creaSqlite(const QString& ruta, const QString& tabla, const TablaPrueba& t) {
    const QStringList& columnas = t.columnas;
    sqlite3* db = nullptr;
    sqlite3_open(ruta.toUtf8().constData(), &db);
    const QString crea =
        QStringLiteral("CREATE TABLE \"%1\" (\"%2\"); BEGIN").arg(tabla, columnas.join("\",\""));
    if (sqlite3_exec(db, crea.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        const std::string m = sqlite3_errmsg(db);
        sqlite3_close(db);
        throw std::runtime_error(m);
    }
    sqlite3_stmt* st = nullptr;
    const QString inserta = QStringLiteral("INSERT INTO \"%1\" VALUES (?%2)")
                                .arg(tabla, QStringLiteral(",?").repeated(columnas.size() - 1));
    sqlite3_prepare_v2(db, inserta.toUtf8().constData(), -1, &st, nullptr);
    for (const auto& fila : t.filas) {
        sqlite3_reset(st);
        for (int i = 0; i < columnas.size(); ++i) {
            const Variante& v = fila.value(i);
            if (v.esNulo() || v.esVacio()) {
                sqlite3_bind_null(st, i + 1);
            } else if (v.tipo() == Variante::Tipo::Doble) {
                sqlite3_bind_double(st, i + 1, v.doble());
            } else if (v.esNumero()) {
                sqlite3_bind_int64(st, i + 1, static_cast<sqlite3_int64>(v.aDoble()));
            } else {
                const QByteArray s =
                    (v.tipo() == Variante::Tipo::Fecha ? v.fecha().date().toString(Qt::ISODate)
                                                       : v.aTexto())
                        .toUtf8();
                sqlite3_bind_text(st, i + 1, s.constData(), static_cast<int>(s.size()),
                                  SQLITE_TRANSIENT);
            }
        }
        sqlite3_step(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

QList<QByteArray> ejemplosDocumentados() {
    QFile f(QStringLiteral(QUILMARO_FUENTES "/docs/layouts.md"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QString md = QString::fromUtf8(f.readAll());
    QList<QByteArray> r;
    static const QRegularExpression bloque(QStringLiteral("```xml\\n(<\\?xml.*?)```"),
                                           QRegularExpression::DotMatchesEverythingOption);
    for (auto it = bloque.globalMatch(md); it.hasNext();)
        r << it.next().captured(1).toUtf8();
    return r;
}

TablaPrueba generalesDemo() {
    return {0,
            {"Empresa", "Domicilio", "CP", "CiudadEstado", "Telefonos", "RFC", "ParaLasFechas"},
            {{Variante("DISTRIBUIDORA PEÑÓN DE LOS BAÑOS, S.A. DE C.V."),
              Variante("Av. Insurgentes Sur 1457, Col. Insurgentes Mixcoac"), Variante("03920"),
              Variante("Ciudad de México, CDMX"), Variante("55 5598 1200 y 55 5598 1201"),
              Variante("DPB9703125K1"), Variante("Entregas del 4 al 8 de marzo de 2024")}}};
}

namespace {
const char* const kNombres[] = {
    "PAÑALERA LA CIGÜEÑA",       "José Ángel Muñoz Peña",    "TALLER \"EL GÜERO\"",
    "PANADERÍA L'ESPIGA",        "Ferretería Núñez y Hnos.", "María Fernanda Ibáñez Olvera",
    "ABARROTES DOÑA CONCEPCIÓN",
};

double subtotalDemo(int i) {
    return 100.0 * (i % 17) + 12.34 * i;
}
double ivaDemo(int i) {
    return std::round(subtotalDemo(i) * 16.0) / 100.0;
}
}  // namespace

double totalDemo(int i) {
    return subtotalDemo(i) + ivaDemo(i) + (i % 5 == 0 ? 0.0 : 1.5 * (i % 3));
}

QString importe(double v) {
    return QLocale(QLocale::Spanish, QLocale::Mexico).toString(v, 'f', 2);
}

TablaPrueba facturasDemo(int n) {
    TablaPrueba f{
        1,
        {"ID", "Serie", "Factura", "Fecha", "Cliente", "Nombre", "Subtotal", "IVA", "ImpuestoAd"},
        {}};
    for (int i = 1; i <= n; ++i) {
        const double subtotal = subtotalDemo(i), iva = ivaDemo(i);
        // Every fifth invoice has no additional tax at all (NULL), which the layouts treat as 0.
        const Variante adicional = i % 5 == 0 ? Variante::nulo() : Variante(1.5 * (i % 3));
        const int c = i % 7;
        f.filas.append(
            {Variante(std::int32_t(i)), Variante(i % 2 ? "A" : "B"),
             Variante(std::int32_t(1000 + i)), Variante(QDate(2024, 3, 1).addDays(i % 28)),
             Variante(QStringLiteral("C%1").arg(c)), Variante(QString::fromUtf8(kNombres[c % 7])),
             Variante(subtotal), Variante(iva), adicional});
    }
    return f;
}

TablaPrueba clientesDemo() {
    TablaPrueba f{
        2, {"Cliente", "Nombre", "Domicilio", "Colonia", "CP", "Ciudad", "Estado", "Telefono"}, {}};
    for (int c = 0; c < 7; ++c) {
        f.filas.append(
            {Variante(QStringLiteral("C%1").arg(c)), Variante(QString::fromUtf8(kNombres[c % 7])),
             Variante(QStringLiteral("Calle Álamo %1").arg(10 + c)), Variante("Santa Úrsula"),
             Variante(QStringLiteral("0%1").arg(4000 + c)), Variante("Coyoacán"), Variante("CDMX"),
             c == 3 ? Variante::nulo()
                    : Variante(QStringLiteral("55 1234 56%1").arg(c, 2, 10, QChar('0')))});
    }
    return f;
}

AbridorFuentes abridorSqlite() {
    return [](const PeticionFuente& p) -> std::unique_ptr<FuenteDatos> {
        if (p.local)
            return abreTablaLocal(p.texto, p.tabla);
        const qsizetype i = p.texto.indexOf(QStringLiteral("::"));
        if (i < 0)
            return abreTablaServidor(p.texto);
        return abreTablaLocal(p.texto.left(i), p.texto.mid(i + 2));
    };
}

QString textoPdf(const QString& ruta) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {"-enc", "UTF-8", ruta, "-"});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace quilmaro::prueba
