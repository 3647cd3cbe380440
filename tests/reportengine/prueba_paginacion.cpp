// Pagination on small handcrafted pages: where every band lands for row counts below, at and
// above a page's capacity; groups near the bottom; a report footer that does not fit; totals
// carried from page to page; texts that grow.

#include <QFile>
#include <QRegularExpression>
#include <numeric>

#include "AyudaMotor.h"
#include "reportengine/Tipografia.h"

using namespace quilmaro;
using namespace quilmaro::prueba;
using reporte::TipoBanda;

namespace {

// Page 100 x 100 mm with 10 mm margins: page header 10 and column header 5 from y = 10, page
// footer 5 at y = 85, so detail rows of 6 mm run from y = 25 and ten of them fill the page.
QByteArray disenoCapacidad(const QByteArray& extra = {}) {
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<reporte nombre="Capacidad" ancho="100" alto="100" margen-superior="10" margen-inferior="10"
         margen-izquierdo="10" margen-derecho="10">
  <fuente numero="1" nombre="movs" detalle="si"/>
  <encabezado-pagina alto="10"><texto x="0" y="0" ancho="80" alto="5">ENCABEZADO</texto></encabezado-pagina>
  <encabezado-columnas alto="5"><texto x="0" y="0" ancho="40" alto="5">Concepto</texto></encabezado-columnas>
  <detalle alto="6">
    <campo x="0" y="0" ancho="40" alto="5">Concepto</campo>
    <campo x="40" y="0" ancho="40" alto="5" alineacion="derecha" formato="#,##0.00">Importe</campo>
  </detalle>
)" + extra +
           R"(
  <pie-pagina alto="5"><campo x="0" y="0" ancho="80" alto="5">"Página " &amp; Pagina() &amp; " de " &amp; Paginas()</campo></pie-pagina>
</reporte>)";
}

TablaPrueba movimientos(int n) {
    TablaPrueba t{1, {"Concepto", "Importe"}, {}};
    for (int i = 1; i <= n; ++i)
        t.filas.append({Variante(QStringLiteral("C%1").arg(i)), Variante(double(i))});
    return t;
}

// The bands of a page in the order placed, each as "<kind> <top>", the kinds in the order of
// TipoBanda: report header, page header, column header, group header, detail, group footer,
// report footer, page footer.
QString plano(const reporte::Documento& doc, int pagina) {
    static const char* const tipos[] = {"ER", "EP", "EC", "EG", "D", "PG", "PR", "PP"};
    QStringList r;
    for (const auto& b : doc.paginas.at(static_cast<size_t>(pagina)).bandas)
        r << QStringLiteral("%1 %2").arg(tipos[static_cast<int>(b.tipo)]).arg(b.y);
    return r.join(", ");
}

const QString kLarga = QStringLiteral("PANADERÍA Y PASTELERÍA LA ESPIGA DE ORO");

}  // namespace

// Below, at and above a page's capacity, and with no rows at all: every page has its headers
// and its footer with the page count, and every row appears once, in order, 6 mm apart.
TEST(Paginacion, FilasPorPagina) {
    for (int n : {0, 9, 10, 11, 95}) {
        SCOPED_TRACE(n);
        const auto doc = generaDesdeTexto(disenoCapacidad(), {movimientos(n)});
        const int paginas = std::max(1, (n + 9) / 10);
        ASSERT_EQ(doc->cuentaPaginas(), paginas);
        int fila = 0;
        for (int p = 0; p < paginas; ++p) {
            SCOPED_TRACE(p);
            const auto detalle = bandas(*doc, p, TipoBanda::Detalle);
            ASSERT_EQ(detalle.size(), static_cast<size_t>(std::min(10, n - 10 * p)));
            QString esperado = "EP 10, EC 20";
            for (size_t i = 0; i < detalle.size(); ++i, ++fila) {
                EXPECT_EQ(detalle[i].fila, fila);
                esperado += QStringLiteral(", D %1").arg(25 + 6 * i);
                EXPECT_EQ(textosEnY(*doc, p, detalle[i].y),
                          (QStringList{QStringLiteral("C%1").arg(fila + 1), importe(fila + 1)}));
            }
            EXPECT_EQ(plano(*doc, p), esperado + ", PP 85");
            EXPECT_EQ(textosEnY(*doc, p, 85),
                      QStringList{QStringLiteral("Página %1 de %2").arg(p + 1).arg(paginas)});
        }
        EXPECT_EQ(fila, n);
    }
}

// Eight rows end at 73: the 12 mm footer ends exactly at the limit, 85. Nine rows end at 79: the
// footer moves to a page of its own, under the page headers.
TEST(Paginacion, PieDeReporteQueCabeYQueNoCabe) {
    const QByteArray pie = R"(<pie-reporte alto="12">
      <campo x="0" y="0" ancho="40" alto="5">"Facturas: " &amp; Cuenta()</campo>
      <campo x="40" y="0" ancho="40" alto="5" alineacion="derecha" formato="#,##0.00">Suma(Importe)</campo>
    </pie-reporte>)";
    for (const auto& [n, paginas, y, final] : {std::tuple{8, 1, 73.0, "D 67, PR 73, PP 85"},
                                               {9, 2, 25.0, "EP 10, EC 20, PR 25, PP 85"}}) {
        SCOPED_TRACE(n);
        const auto doc = generaDesdeTexto(disenoCapacidad(pie), {movimientos(n)});
        ASSERT_EQ(doc->cuentaPaginas(), paginas);
        EXPECT_TRUE(bandas(*doc, 0, TipoBanda::PieReporte).empty() == (paginas > 1));
        EXPECT_TRUE(plano(*doc, paginas - 1).endsWith(final))
            << qPrintable(plano(*doc, paginas - 1));
        EXPECT_EQ(textosEnY(*doc, paginas - 1, y),
                  (QStringList{QStringLiteral("Facturas: %1").arg(n), importe(n * (n + 1) / 2)}));
    }
}

TEST(Paginacion, GrupoQueEmpiezaCercaDelFinalPasaEnteroALaSiguiente) {
    const QByteArray grupo = R"(<grupo expresion="Cliente">
      <encabezado-grupo alto="8"><campo x="0" y="0" ancho="80" alto="5">"Cliente " &amp; Cliente</campo></encabezado-grupo>
      <pie-grupo alto="6"><campo x="40" y="0" ancho="40" alto="5" formato="#,##0.00" alineacion="derecha">SumaGrupo(Importe)</campo></pie-grupo>
    </grupo>)";
    TablaPrueba t{1, {"Cliente", "Concepto", "Importe"}, {}};
    for (int i = 1; i <= 6; ++i)
        t.filas.append({Variante("A"), Variante(QStringLiteral("A%1").arg(i)), Variante(10.0)});
    for (int i = 1; i <= 3; ++i)
        t.filas.append({Variante("B"), Variante(QStringLiteral("B%1").arg(i)), Variante(1.5)});
    const auto doc = generaDesdeTexto(disenoCapacidad(grupo), {t});
    // Group A: header at 25, rows 33..63, footer at 69, ending at 75. The 10 mm left would hold
    // B's header (8) but not with its first row (6), so both open page 2.
    ASSERT_EQ(doc->cuentaPaginas(), 2);
    EXPECT_EQ(plano(*doc, 0),
              "EP 10, EC 20, EG 25, D 33, D 39, D 45, D 51, D 57, D 63, PG 69, PP 85");
    EXPECT_EQ(plano(*doc, 1), "EP 10, EC 20, EG 25, D 33, D 39, D 45, PG 51, PP 85");
    EXPECT_EQ(textosEnY(*doc, 0, 69), QStringList{"60.00"});
    EXPECT_EQ(textosEnY(*doc, 1, 25), QStringList{"Cliente B"});
    EXPECT_EQ(textosEnY(*doc, 1, 51), QStringList{"4.50"});
}

TEST(Paginacion, GruposAnidadosCierranDeAdentroHaciaAfuera) {
    const QByteArray xml = R"(<reporte ancho="100" alto="200">
      <fuente numero="1" nombre="v" detalle="si"/>
      <grupo expresion="Zona">
        <encabezado-grupo alto="5"><campo x="0" y="0" ancho="50" alto="5">"Z " &amp; Zona</campo></encabezado-grupo>
        <pie-grupo alto="5"><campo x="0" y="0" ancho="50" alto="5">"fin Z " &amp; Zona &amp; " " &amp; CuentaGrupo()</campo></pie-grupo>
      </grupo>
      <grupo expresion="Ruta">
        <encabezado-grupo alto="5"><campo x="0" y="0" ancho="50" alto="5">"R " &amp; Ruta</campo></encabezado-grupo>
        <pie-grupo alto="5"><campo x="0" y="0" ancho="50" alto="5">"fin R " &amp; Ruta &amp; " " &amp; SumaGrupo(Kilos)</campo></pie-grupo>
      </grupo>
      <detalle alto="5"><campo x="0" y="0" ancho="50" alto="5">Kilos</campo></detalle>
    </reporte>)";
    TablaPrueba t{1, {"Zona", "Ruta", "Kilos"}, {}};
    t.filas = {{Variante("N"), Variante("1"), Variante(std::int32_t{1})},
               {Variante("N"), Variante("1"), Variante(std::int32_t{2})},
               {Variante("N"), Variante("2"), Variante(std::int32_t{4})},
               {Variante("S"), Variante("2"), Variante(std::int32_t{8})}};
    const auto doc = generaDesdeTexto(xml, {t});
    EXPECT_EQ(todosLosTextos(*doc),
              (QStringList{"Z N", "R 1", "1", "2", "fin R 1 3", "R 2", "4", "fin R 2 4",
                           "fin Z N 3", "Z S", "R 2", "8", "fin R 2 8", "fin Z S 1"}));
}

// The report header only on the first page, the page header on the others; what comes from
// the pages before and the page's own total.
TEST(Paginacion, TotalesQueVienenYVanDePaginaEnPagina) {
    const QByteArray xml =
        R"(<reporte ancho="100" alto="100" margen-superior="10" margen-inferior="10">
      <fuente numero="1" nombre="movs" detalle="si"/>
      <encabezado-reporte alto="20"><texto x="0" y="0" ancho="80" alto="5">TÍTULO</texto></encabezado-reporte>
      <encabezado-pagina alto="6" paginas="no-primera">
        <texto x="0" y="0" ancho="30" alto="5">Vienen</texto>
        <campo x="30" y="0" ancho="50" alto="5" formato="#,##0.00" alineacion="derecha">Acarreo(Importe)</campo>
      </encabezado-pagina>
      <detalle alto="7"><campo x="30" y="0" ancho="50" alto="5" formato="#,##0.00" alineacion="derecha">Importe</campo></detalle>
      <pie-pagina alto="6" paginas="no-ultima">
        <campo x="0" y="0" ancho="30" alto="5" formato="#,##0.00">SumaPagina(Importe)</campo>
        <campo x="30" y="0" ancho="50" alto="5" formato="#,##0.00" alineacion="derecha">Suma(Importe)</campo>
      </pie-pagina>
      <pie-reporte alto="6"><campo x="30" y="0" ancho="50" alto="5" formato="#,##0.00" alineacion="derecha">Suma(Importe)</campo></pie-reporte>
    </reporte>)";
    TablaPrueba t{1, {"Importe"}, {}};
    std::vector<double> importes;
    for (int i = 0; i < 40; ++i) {
        importes.push_back(1000.25 * ((i * 7) % 11) + 0.5 * i);
        t.filas.append({Variante(importes.back())});
    }
    const auto doc = generaDesdeTexto(xml, {t});
    ASSERT_GE(doc->cuentaPaginas(), 4);
    double antes = 0;
    for (int p = 0; p < doc->cuentaPaginas(); ++p) {
        SCOPED_TRACE(p);
        double enPagina = 0;
        for (const auto& b : bandas(*doc, p, TipoBanda::Detalle))
            enPagina += importes[b.fila];
        EXPECT_TRUE(plano(*doc, p).startsWith(p ? "EP 10, D 16, D 23," : "ER 10, D 30, D 37,"))
            << qPrintable(plano(*doc, p));
        if (p > 0) {
            EXPECT_EQ(textosEnY(*doc, p, 10), (QStringList{"Vienen", importe(antes)}));
        }
        const auto pies = bandas(*doc, p, TipoBanda::PiePagina);
        ASSERT_EQ(pies.size(), p + 1 == doc->cuentaPaginas() ? 0u : 1u);
        if (!pies.empty()) {
            EXPECT_EQ(textosEnY(*doc, p, pies[0].y),
                      (QStringList{importe(enPagina), importe(antes + enPagina)}));
        }
        antes += enPagina;
    }
    // Every row on some page once, and the grand total last.
    const double total = std::accumulate(importes.begin(), importes.end(), 0.0);
    EXPECT_NEAR(antes, total, 1e-6);
    EXPECT_EQ(todosLosTextos(*doc).back(), importe(total));
}

// A growing text wraps and pushes down what is below it; one that does not grow is cut with an
// ellipsis. A band that grows taller than the page goes alone to the next one and is cut at the
// footer's top (85 mm).
TEST(Paginacion, TextoQueCreceEmpujaLoDeAbajoYAgrandaLaBanda) {
    const QByteArray xml =
        R"(<reporte ancho="100" alto="100" margen-superior="10" margen-inferior="10">
      <fuente numero="1" nombre="n" detalle="si"/>
      <detalle alto="12">
        <campo x="0" y="0" ancho="30" alto="5" crece="si">Nota</campo>
        <texto x="0" y="6" ancho="30" alto="5">debajo</texto>
        <campo x="40" y="0" ancho="30" alto="5">Clave</campo>
        <linea x1="35" y1="0" x2="35" y2="12" estira="si"/>
      </detalle>
      <pie-pagina alto="5"><campo x="0" y="0" ancho="60" alto="5">"Página " &amp; Pagina()</campo></pie-pagina>
    </reporte>)";
    QString larga;
    for (int i = 1; i <= 120; ++i)
        larga += QStringLiteral("palabra%1 ").arg(i);
    TablaPrueba t{1, {"Nota", "Clave"}, {}};
    t.filas = {{Variante("corta"), Variante("K1")},
               {Variante("una nota bastante larga que no cabe en treinta milímetros de ancho"),
                Variante(kLarga)},
               {Variante::nulo(), Variante("K3")},
               {Variante(larga), Variante("K4")},
               {Variante("después"), Variante("K5")}};
    const auto doc = generaDesdeTexto(xml, {t});
    ASSERT_EQ(doc->cuentaPaginas(), 3);
    const auto filas = bandas(*doc, 0, TipoBanda::Detalle);
    ASSERT_EQ(filas.size(), 3u);
    EXPECT_DOUBLE_EQ(filas[0].alto, 12);
    EXPECT_DOUBLE_EQ(filas[2].y, filas[1].y + filas[1].alto);
    // The items of the second row, in the layout's order (the order they are painted in).
    ASSERT_GE(doc->paginas[0].elementos.size(), 8u);
    const auto& nota = doc->paginas[0].elementos[4];
    const auto &debajo = doc->paginas[0].elementos[5], &clave = doc->paginas[0].elementos[6],
               &linea = doc->paginas[0].elementos[7];
    ASSERT_TRUE(nota.texto.startsWith("una nota") && debajo.texto == "debajo");
    // The long note wraps into several lines, each within its 30 mm.
    EXPECT_GE(nota.texto.count('\n'), 2);
    EXPECT_FALSE(nota.texto.contains(QChar(0x2026)));  // nothing cut
    EXPECT_DOUBLE_EQ(filas[1].alto, 12 + (nota.caja.height() - 5));
    // What was below the note moved down by as much as the note grew.
    EXPECT_NEAR(debajo.caja.top(), nota.caja.bottom() + 1, 1e-9);
    // The upright line runs the whole grown band.
    EXPECT_NEAR(linea.caja.bottom(), filas[1].y + filas[1].alto, 1e-9);
    // The key beside it does not grow: it is cut short.
    EXPECT_TRUE(clave.texto.endsWith(QChar(0x2026)));
    EXPECT_TRUE(kLarga.startsWith(clave.texto.chopped(1)));
    // The fourth row alone on page 2, the fifth on page 3.
    EXPECT_EQ(plano(*doc, 1), "D 10, PP 85");
    EXPECT_DOUBLE_EQ(bandas(*doc, 1, TipoBanda::Detalle).at(0).alto, 75);
    EXPECT_EQ(bandas(*doc, 1, TipoBanda::Detalle).at(0).fila, 3);
    EXPECT_EQ(bandas(*doc, 2, TipoBanda::Detalle).at(0).fila, 4);
    const reporte::ElementoPagina& cortada = doc->paginas[1].elementos.front();
    EXPECT_TRUE(cortada.texto.startsWith("palabra1 palabra2") &&
                cortada.texto.endsWith(QChar(0x2026)))
        << qPrintable(cortada.texto);
    EXPECT_FALSE(cortada.texto.contains("palabra120"));
    EXPECT_DOUBLE_EQ(cortada.caja.top(), 10);
    EXPECT_LE(cortada.caja.bottom(), 85 + 1e-9);
    EXPECT_EQ(textosEnY(*doc, 1, 85), QStringList{"Página 2"});
    // A text measured to fit goes on one line exactly when the line breaker would put it there
    // (a blank after it makes the breaker run, and drops the blank): at, below and above its width.
    const reporte::Tipografia tipos({reporte::EstiloTexto{}});
    for (const QString& s : {QStringLiteral("corta"), QStringLiteral("una nota bastante larga")}) {
        const double w = tipos.ancho(s, 0);
        for (double a : {w - 0.02, w, w + 0.005, w + 0.02, w + 5})
            EXPECT_EQ(tipos.dispone(s, 0, a, true, 0), tipos.dispone(s + ' ', 0, a, true, 0)) << a;
    }
}

// --- The shipped layouts on data a clerk meets ------------------------------------------------

namespace {

QByteArray disenoEntregado(const char* nombre) {
    QFile f(QStringLiteral(QUILMARO_FUENTES "/layouts/") + QLatin1String(nombre));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The texts of each detail band of the document, one line per band (items joined by "|", the
// lines of a wrapped text by a blank), and of each report footer, in page order.
struct Bandas {
    QStringList detalle, pies;
};
Bandas textosPorBanda(const reporte::Documento& doc) {
    Bandas r;
    for (const auto& p : doc.paginas) {
        for (const auto& b : p.bandas) {
            if (b.tipo != TipoBanda::Detalle && b.tipo != TipoBanda::PieReporte)
                continue;
            QStringList t;
            for (const auto& e : p.elementos) {
                if (e.tipo == reporte::ElementoPagina::Tipo::Texto && e.caja.top() >= b.y - 0.01 &&
                    e.caja.top() < b.y + b.alto - 0.01)
                    t << QString(e.texto).replace('\n', ' ');
            }
            (b.tipo == TipoBanda::Detalle ? r.detalle : r.pies) << t.join('|');
        }
    }
    return r;
}

const QString kNombreLargo = QStringLiteral(
    "COMERCIALIZADORA Y DISTRIBUIDORA DE ABARROTES, CREMERÍA Y SALCHICHONERÍA LOS TRES HERMANOS "
    "GUTIÉRREZ");
const QString kCalleLarga = QStringLiteral(
    "Prolongación Avenida Lázaro Cárdenas número 1234 interior 5, esquina con Calzada de la "
    "Revolución Mexicana");

// Invoices: the half-cent amounts and their negatives (with a half cent more, so the grand total
// lands on a half cent too), one in dollars, one cancelled; customers with an address, without
// one, and not in the customer table; a long name and address. The list numbers skip 3 (an
// invoice deleted on the server after it was listed). Without cancellation or currency columns
// when `opcionales` is false.
QVector<TablaPrueba> datosDeCaja(const QVector<double>& importes, bool opcionales) {
    TablaPrueba facturas = facturasDemo(0);
    if (opcionales)
        facturas.columnas << "RenglonLista"
                          << "Cancelada"
                          << "Moneda";
    auto agrega = [&](double importe, const QString& cliente, const QString& nombre, int cancelada,
                      const char* moneda) {
        const int i = static_cast<int>(facturas.filas.size()) + 1;
        QVector<Variante> f = {
            Variante(std::int32_t(i)),   Variante("A"),     Variante(std::int32_t(500 + i)),
            Variante(QDate(2024, 3, 4)), Variante(cliente), Variante(nombre),
            Variante(importe),           Variante(0.0),     Variante::nulo()};
        if (opcionales)
            f << Variante(std::int32_t(i < 3 ? i : i + 1)) << Variante(std::int32_t(cancelada))
              << Variante(moneda);
        facturas.filas.append(f);
    };
    const QStringList clientes = {"C1", "C99", "CV", "CL"};
    for (int i = 0; i < importes.size(); ++i)
        agrega(importes[i], clientes.value(i, "C2"),
               clientes.value(i) == "CL" ? kNombreLargo : QStringLiteral("CLIENTE %1").arg(i), 0,
               "MXN");
    if (opcionales) {
        agrega(150.5, "C2", "IMPORTADORA DEL NORTE", 0, "usd");
        agrega(1000, "C2", "TIENDA EL SOL", 1, "MXN");
    }
    TablaPrueba clientesT = clientesDemo();
    clientesT.filas.append({Variante("CV"), Variante(""), Variante(""), Variante(""),
                            Variante::nulo(), Variante(""), Variante(""), Variante("")});
    clientesT.filas.append({Variante("CL"), Variante(kNombreLargo), Variante(kCalleLarga),
                            Variante("Residencial Lomas de Chapultepec Tercera Sección"),
                            Variante("11000"), Variante("Ciudad de México"),
                            Variante("Ciudad de México"), Variante("55 1111 2222")});
    return {generalesDemo(), facturas, clientesT};
}

}  // namespace

// Every amount's figure and its words agree, per invoice and in the grand total: cents rounded
// half away from zero on the decimal value (17.255 is kept as 17.25499...). An amount that cannot
// be written in words marks its place, and its figure prints.
TEST(DisenosEntregados, CifrasYLetraCoinciden) {
    const struct {
        double importe;
        const char* cifra;
        const char* letra;
    } casos[] = {{17.255, "17.26", "DIECISIETE PESOS 26/100 M. N."},
                 {21.005, "21.01", "VEINTIUN PESOS 01/100 M. N."},
                 {2.675, "2.68", "DOS PESOS 68/100 M. N."},
                 {1.005, "1.01", "UN PESOS 01/100 M. N."},
                 {0.125, "0.13", "CERO PESOS 13/100 M. N."},
                 {1234.565, "1,234.57", "UN MIL DOSCIENTOS TREINTA Y CUATRO PESOS 57/100 M. N."}};
    QVector<double> importes;
    for (const auto& c : casos)
        importes << c.importe << -c.importe;
    importes << 2449.055;  // the grand total: 2,449.06
    for (const bool opcionales : {true, false}) {
        SCOPED_TRACE(opcionales);
        const auto doc =
            generaDesdeTexto(disenoEntregado("cobranza.rpt"), datosDeCaja(importes, opcionales));
        const Bandas b = textosPorBanda(*doc);
        ASSERT_GE(b.detalle.size(), importes.size());
        for (int i = 0; i < static_cast<int>(std::size(casos)); ++i) {
            for (int signo = 0; signo < 2; ++signo) {
                const QString renglon = b.detalle[2 * i + signo];
                SCOPED_TRACE(qPrintable(renglon));
                EXPECT_TRUE(renglon.contains((signo ? "|-" : "|") + QString(casos[i].cifra) + "|"));
                EXPECT_TRUE(renglon.contains("(" + QString::fromUtf8(casos[i].letra) + ")"));
            }
        }
        EXPECT_TRUE(b.pies.join('#').contains(
            "Total a cobrar:|2,449.06|(DOS MIL CUATROCIENTOS CUARENTA Y NUEVE PESOS 06/100 M. N.)"))
            << qPrintable(b.pies.join('#'));
    }
    const QStringList celdas = textosPorBanda(*generaDesdeTexto(disenoEntregado("cobranza.rpt"),
                                                                datosDeCaja({5e12}, true)))
                                   .detalle.value(0)
                                   .split('|');
    EXPECT_EQ(celdas.value(3), "5,000,000,000,000.00");
    EXPECT_TRUE(celdas.contains("(*** IMPORTE QUE NO SE PUEDE ESCRIBIR CON LETRA ***)"));
}

// Missing parts print as missing; long names and addresses wrap whole; a cancelled invoice is
// left out of the totals and one in dollars is totalled apart (the window tests read the marks
// and words of both); the list numbers are the clerk's. Without those columns every invoice is
// in pesos and numbered by count.
TEST(DisenosEntregados, DatosComoLlegan) {
    const QVector<double> importes = {100, 200, 300, 400};
    const auto cobranza = textosPorBanda(
        *generaDesdeTexto(disenoEntregado("cobranza.rpt"), datosDeCaja(importes, true)));
    ASSERT_EQ(cobranza.detalle.size(), 6);
    const QString todo = cobranza.detalle.join('#') + cobranza.pies.join('#');
    EXPECT_FALSE(todo.contains(QStringLiteral("…")));
    EXPECT_FALSE(todo.contains(
        QRegularExpression("(^|\\|), |\\|Tel\\.(\\||$)|Col\\. ,|C\\.P\\. ,|, ,|, \\||, $")));
    // Not in clientes: the invoice's own name, no address line at all.
    EXPECT_TRUE(cobranza.detalle[1].contains("|(C99) CLIENTE 1|(DOSCIENTOS PESOS"));
    EXPECT_TRUE(cobranza.detalle[2].contains("|(CV) CLIENTE 2|(TRESCIENTOS PESOS"));
    EXPECT_TRUE(cobranza.detalle[0].contains(
        "|Calle Álamo 11, Col. Santa Úrsula, C.P. 04001, Coyoacán, CDMX|Tel. 55 1234 5601|"));
    EXPECT_TRUE(cobranza.detalle[3].contains("|(CL) " + kNombreLargo + "|" + kCalleLarga +
                                             ", Col. Residencial Lomas de Chapultepec Tercera "
                                             "Sección, C.P. 11000, Ciudad de México, Ciudad de "
                                             "México|"));
    EXPECT_TRUE(cobranza.detalle[5].contains("CANCELADA"));
    EXPECT_EQ(
        cobranza.pies,
        QStringList({"Facturas a cobrar: 6", "Total a cobrar:|1,000.00|(UN MIL PESOS 00/100 M. N.)",
                     "Total a cobrar:|150.50|USD|(CIENTO CINCUENTA DÓLARES 50/100 USD)",
                     "Nombre y firma del cobrador"}));

    const auto docGuia = generaDesdeTexto(disenoEntregado("guia.rpt"), datosDeCaja(importes, true));
    const auto guia = textosPorBanda(*docGuia);
    ASSERT_EQ(guia.detalle.size(), 6);
    EXPECT_EQ(guia.detalle[3], "5|A|504|04/mar/24|CL|" + kNombreLargo + "|400.00");
    EXPECT_GT(bandas(*docGuia, 0, TipoBanda::Detalle).at(3).alto, 8.5);  // two lines of name
    EXPECT_EQ(guia.detalle[4], "6|A|505|04/mar/24|C2|IMPORTADORA DEL NORTE|150.50|USD");
    EXPECT_EQ(guia.detalle[5], "7|A|506|04/mar/24|C2|TIENDA EL SOL|1,000.00|CANCELADA");
    EXPECT_EQ(guia.pies, QStringList({"Facturas en la guía: 6", "Total general|1,000.00",
                                      "Total general|150.50|USD", "Entregó|Recibió"}));

    // A server without the optional columns: numbered by count, every invoice in pesos.
    const auto sin = textosPorBanda(
        *generaDesdeTexto(disenoEntregado("guia.rpt"), datosDeCaja(importes, false)));
    ASSERT_EQ(sin.detalle.size(), 4);
    EXPECT_TRUE(sin.detalle[3].startsWith("4|A|504|"));
    EXPECT_EQ(sin.pies,
              QStringList({"Facturas en la guía: 4", "Total general|1,000.00", "Entregó|Recibió"}));
}
