// Output: the documented guide rendered to PDF, read back with pdftotext and compared with the
// preview's picture; fonts embedded; the printer path writes the same pages; the shipped layouts
// exported as spreadsheets and read back.

#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "AyudaMotor.h"
#include "CarpetaTemporal.h"
#include "gui/SalidaVentanas.h"
#include "gui/VistaPrevia.h"
#include "reportengine/Exportacion.h"
#include "reportengine/Paginador.h"
#include "reportengine/Pintor.h"

using namespace quilmaro;
using namespace quilmaro::prueba;
using namespace quilmaro::reporte;

namespace {

// Layouts run on SQLite files: the letterhead, the customers and invoices made here.
class Salida : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        local_ = dir_.filePath("TEMPORAL0000.MDB");
        creaSqlite(local_, "Generales", columnasGenerales(), generalesDemo());
        servidor_ = dir_.filePath("servidor.db");
        creaSqlite(servidor_, "clientes", columnasClientes(), clientesDemo());
    }

    // The layout (the documented guide by default) on the invoices of table `tabla`.
    std::shared_ptr<Documento> genera(const QString& tabla, std::unique_ptr<Diseno> diseno = {}) {
        if (!diseno)
            diseno = leeDisenoDeTexto(ejemplosDocumentados().value(0), dir_.filePath("guia.rpt"));
        const QMap<int, QString> textos{
            {0, local_}, {1, servidor_ + "::" + tabla}, {2, servidor_ + "::clientes"}};
        auto datos = Datos::carga(*diseno, textos, abridorSqlite());
        return paginaReporte(*diseno, *datos, QDate(2024, 3, 5));
    }

    QTemporaryDir dir_;
    QString local_, servidor_;
};

// Bounding box, in pixels, of the dark pixels of an image inside a rectangle.
QRect tinta(const QImage& img, const QRect& zona) {
    QRect r;
    const QRect z = zona.intersected(img.rect());
    for (int y = z.top(); y <= z.bottom(); ++y) {
        for (int x = z.left(); x <= z.right(); ++x) {
            if (qGray(img.pixel(x, y)) < 160)
                r |= QRect(x, y, 1, 1);
        }
    }
    return r;
}

QRect enPx(const QRectF& mm, double ppp) {
    const double k = ppp / 25.4;
    return QRectF(mm.left() * k, mm.top() * k, mm.width() * k, mm.height() * k).toAlignedRect();
}

// Poppler's picture of the PDF's first page and ours show the ink of every text of that page in
// the same place, within 2 pixels at 100 dpi; gives how many texts were compared.
int mismaTintaQuePoppler(const Documento& doc, const QString& pdf) {
    QProcess ppm;
    ppm.start("pdftoppm", {"-png", "-r", "100", "-f", "1", "-l", "1", "-singlefile", pdf, pdf});
    EXPECT_TRUE(ppm.waitForFinished(60000) && ppm.exitCode() == 0);
    const QImage poppler(pdf + ".png"), nuestra = imagenDePagina(doc, 0, 100);
    EXPECT_EQ(poppler.size(), nuestra.size());
    int comparados = 0;
    for (const ElementoPagina& e : doc.paginas[0].elementos) {
        if (e.tipo != ElementoPagina::Tipo::Texto || e.texto.trimmed().isEmpty())
            continue;
        SCOPED_TRACE(qPrintable(e.texto));
        const QRect zona = enPx(e.caja.adjusted(-0.5, 0, 0.5, 0), 100);
        const QRect a = tinta(poppler, zona), b = tinta(nuestra, zona);
        EXPECT_FALSE(a.isEmpty() || b.isEmpty());
        EXPECT_NEAR(a.left(), b.left(), 2);
        EXPECT_NEAR(a.top(), b.top(), 2);
        EXPECT_NEAR(a.right(), b.right(), 2);
        EXPECT_NEAR(a.bottom(), b.bottom(), 2);
        ++comparados;
    }
    return comparados;
}

// The fonts of a PDF, each checked to travel inside the file (pdffonts' "emb" column).
QString fuentesIncrustadas(const QString& pdf) {
    QStringList nombres;
    for (const QString& f : fuentesPdf(pdf)) {
        const QStringList c = f.simplified().split(' ');
        EXPECT_TRUE(c.size() >= 7 && c[c.size() - 5] == "yes") << qPrintable(f);
        nombres << c[0];
    }
    EXPECT_FALSE(nombres.isEmpty());
    return nombres.join(' ');
}

// A cell of an XML workbook as read back: its type, its text and its number format.
struct CeldaLeida {
    QString tipo, texto, formato;
};

// The first sheet of an XML workbook, row by row; the number formats from its styles.
QList<QList<CeldaLeida>> leeHoja(const QByteArray& xml) {
    const QString ns = "urn:schemas-microsoft-com:office:spreadsheet";
    QXmlStreamReader x(xml);
    QMap<QString, QString> formatos;
    QString estilo, estiloCelda;
    QList<QList<CeldaLeida>> filas;
    while (!x.atEnd()) {
        x.readNext();
        if (!x.isStartElement())
            continue;
        const auto a = x.attributes();
        if (x.name() == QLatin1String("Style"))
            estilo = a.value(ns, "ID").toString();
        else if (x.name() == QLatin1String("NumberFormat"))
            formatos[estilo] = a.value(ns, "Format").toString();
        else if (x.name() == QLatin1String("Row"))
            filas.append(QList<CeldaLeida>());
        else if (x.name() == QLatin1String("Cell"))
            filas.last().append({{}, {}, formatos.value(a.value(ns, "StyleID").toString())});
        else if (x.name() == QLatin1String("Data")) {
            filas.last().last().tipo = a.value(ns, "Type").toString();
            filas.last().last().texto = x.readElementText();
        }
    }
    EXPECT_FALSE(x.hasError()) << qPrintable(x.errorString());
    return filas;
}

}  // namespace

TEST_F(Salida, GuiaEnPdfEImpresaConCadaFacturaUnaVezEnOrdenYAcentosIntactos) {
    const int n = 120;
    creaSqlite(servidor_, "f", columnasFacturas(), facturasDemo(n));
    const auto doc = genera("f");
    double total = 0;
    for (int i = 1; i <= n; ++i)
        total += totalDemo(i);
    const QString pdf = dir_.filePath("guia.pdf");
    exportaPdf(*doc, pdf);
    const QString texto = textoPdf(pdf);
    ASSERT_FALSE(texto.isEmpty());
    const int paginas = doc->cuentaPaginas();
    EXPECT_GT(paginas, 3);

    // Every invoice number once, in the order of the source.
    qsizetype desde = 0;
    for (int i = 1; i <= n; ++i) {
        const QRegularExpression numero(QStringLiteral("\\b%1\\b").arg(1000 + i));
        const auto m = numero.match(texto, desde);
        ASSERT_TRUE(m.hasMatch()) << "invoice " << 1000 + i;
        EXPECT_FALSE(numero.match(texto, m.capturedEnd()).hasMatch())
            << "invoice " << 1000 + i << " twice";
        desde = m.capturedEnd();
    }
    // The page count on every page, and the headers repeated.
    for (int p = 1; p <= paginas; ++p)
        EXPECT_EQ(texto.count(QStringLiteral("Página %1 de %2").arg(p).arg(paginas)), 1) << p;
    for (const char* t : {"GUÍA DE REPARTO", "Recibió (nombre y firma)",
                          "DISTRIBUIDORA PEÑÓN DE LOS BAÑOS, S.A. DE C.V."})
        EXPECT_EQ(texto.count(QString::fromUtf8(t)), paginas) << t;
    // Accents and quotes intact, dates formatted; at the end the count and the grand total, NULL
    // additional taxes counted as nothing.
    for (const QString& t :
         QStringList{"PAÑALERA LA CIGÜEÑA", "TALLER \"EL GÜERO\"", "PANADERÍA L'ESPIGA",
                     "Impreso el 05/mar/2024", "02/mar/24",
                     QStringLiteral("Facturas en la guía: %1").arg(n), importe(total), "Entregó"})
        EXPECT_TRUE(texto.contains(t)) << qPrintable(t);

    // Fonts travel inside the file, and the PDF's texts stand where the preview paints them.
    fuentesIncrustadas(pdf);
    EXPECT_GT(mismaTintaQuePoppler(*doc, pdf), 100);

    // The printer path writes the same pages, and only those of the range asked for.
    for (const int desde : {0, 2}) {
        QPrinter impresora(QPrinter::HighResolution);
        impresora.setOutputFormat(QPrinter::PdfFormat);
        impresora.setOutputFileName(pdf);
        impresora.setPrintRange(desde ? QPrinter::PageRange : QPrinter::AllPages);
        impresora.setFromTo(desde, desde + 1);
        imprime(*doc, impresora);
        const QString impresa = textoPdf(pdf);
        for (int p = 1; p <= paginas; ++p) {
            EXPECT_EQ(impresa.contains(QStringLiteral("Página %1 de %2").arg(p).arg(paginas)),
                      !desde || p == 2 || p == 3)
                << p;
        }
        EXPECT_TRUE(desde || impresa == texto);
    }
}

TEST_F(Salida, UnPdfQueNoSePuedeEscribirNoDejaNada) {
    creaSqlite(servidor_, "f", columnasFacturas(), facturasDemo(3));
    const auto doc = genera("f");
    const QString ruta = dir_.filePath("no-existe/guia.pdf");
    const QString m = mensajeDe([&] { exportaPdf(*doc, ruta); });
    EXPECT_TRUE(m.startsWith("No se pudo crear el archivo PDF «" + ruta + "»")) << qPrintable(m);
    EXPECT_FALSE(QDir(dir_.filePath("no-existe")).exists());
    // A successful export replaces an older file whole.
    const QString buena = dir_.filePath("guia.pdf");
    ASSERT_TRUE(escribeBytes(buena, "basura"));
    exportaPdf(*doc, buena);
    EXPECT_TRUE(leeBytes(buena).startsWith("%PDF"));
    EXPECT_EQ(QDir(dir_.path()).entryList({"guia.pdf*"}, QDir::Files), QStringList{"guia.pdf"});
}

// Names in other scripts come out in the PDF through the fallback fonts, embedded, and the preview
// paints them where the PDF does. Chinese names with Chinese glyph forms; emoji from an outline
// font, since colour emoji fonts are bitmaps a PDF cannot carry (and Qt maps only the basic plane
// back to text, so the emoji is checked by its font).
TEST_F(Salida, LetrasDeOtrasEscriturasVisiblesEnPdfYVistaPrevia) {
    const QStringList nombres{"José Ñúñez", "王小明 贸易有限公司", "Ελληνικά Ωμέγα", "अनुराधा",
                              "김민준",     "Tienda 🦊"};
    TablaPrueba t{1, {"Nombre"}, {}};
    for (const QString& n : nombres)
        t.filas.append({Variante(n)});
    const QByteArray diseno =
        R"(<reporte ancho="150" alto="100" margen-izquierdo="10" margen-superior="10">
      <fuente numero="1" nombre="f" detalle="si"/>
      <detalle alto="10"><campo x="0" y="0" ancho="120" alto="8" tamano="14">Nombre</campo></detalle>
    </reporte>)";
    const auto doc = generaDesdeTexto(diseno, {t});
    const QString pdf = dir_.filePath("escrituras.pdf");
    exportaPdf(*doc, pdf);
    // Poppler names some Han characters by their radical's code point; NFKC folds them back.
    const QString texto = textoPdf(pdf).normalized(QString::NormalizationForm_KC);
    for (const QString& n : nombres.mid(0, 5))
        EXPECT_TRUE(texto.contains(n)) << qPrintable(n) << " in " << qPrintable(texto);
    const QString fuentes = fuentesIncrustadas(pdf);
    for (const char* f : {"NotoSansCJKsc", "NotoSansDevanagari", "Symbola"})
        EXPECT_TRUE(fuentes.contains(f)) << f << " in " << qPrintable(fuentes);
    EXPECT_EQ(mismaTintaQuePoppler(*doc, pdf), nombres.size());

    // A character no installed font has is named in the preview, and only then.
    const QString sinLetra = QString::fromUcs4(U"\U0010FFFD");
    t.filas.append({Variante("Marca " + sinLetra + "ñ")});
    const auto conFalta = generaDesdeTexto(diseno, {t});
    EXPECT_EQ(caracteresSinLetra(*doc), "");
    EXPECT_EQ(caracteresSinLetra(*conFalta), sinLetra);
    const VistaPrevia completa(doc), incompleta(conFalta);
    EXPECT_EQ(completa.aviso(), nullptr);
    ASSERT_NE(incompleta.aviso(), nullptr);
    EXPECT_TRUE(incompleta.aviso()->text().contains(": " + sinLetra + "."))
        << qPrintable(incompleta.aviso()->text());
}

// The shipped layouts as spreadsheets, read back: one header row of titles found on the page
// (column headers, labels beside the fields, labels the values start with), typed cells (amounts
// below 1.00 too, dates, whole names); the labels printed beside the fields are no cells.
TEST_F(Salida, HojaDeCalculoConTitulosYCeldasConTipo) {
    const QString largo = QString::fromUtf8(
        "COMERCIALIZADORA Y DISTRIBUIDORA DE ABARROTES FINOS DEL BAJÍO SUR, S.A. DE C.V. SUC. "
        "IRAPUATO");
    Filas f = facturasDemo(12);
    f[0][6] = Variante(0.5);  // a total below one peso: 0.50
    f[0][7] = Variante(0.0);
    f[0][8] = Variante::nulo();
    f[1][5] = Variante(largo);
    for (int i = 0; i < f.size(); ++i)
        f[i].append(Variante(std::int32_t(i + 1)));
    creaSqlite(servidor_, "fx", columnasFacturas() << "RenglonLista", f);
    auto total = [](int i) { return i == 1 ? 0.5 : totalDemo(i); };

    // Each layout with the titles of its first columns.
    for (const auto& [nombre, primeras] :
         {std::pair{"guia.rpt",
                    QStringList{"No.", "Serie", "Factura", "Fecha", "Cliente", "Nombre", "Total"}},
          {"cobranza.rpt", {"Serie Factura", "Fecha", "Total"}}}) {
        SCOPED_TRACE(nombre);
        const auto doc =
            genera("fx", leeDiseno(QStringLiteral(QUILMARO_FUENTES "/layouts/") + nombre));
        exportaArchivo(*doc, dir_.filePath("r.xls"), FormatoArchivo::HojaDeCalculo);
        const auto hoja = leeHoja(leeBytes(dir_.filePath("r.xls")));
        ASSERT_EQ(hoja.size(), 13);  // one header row and the twelve invoices
        QStringList titulos;
        for (const CeldaLeida& c : hoja[0]) {
            EXPECT_EQ(c.tipo, "String");
            titulos << c.texto;
        }
        EXPECT_EQ(titulos.mid(0, primeras.size()), primeras);
        EXPECT_EQ(titulos.filter(QRegularExpression(":$|^$")), QStringList());
        const qsizetype cTotal = titulos.indexOf("Total"), cFecha = titulos.indexOf("Fecha");
        ASSERT_TRUE(cTotal >= 0 && cFecha >= 0);
        for (int i = 1; i <= 12; ++i) {
            SCOPED_TRACE(i);
            const auto& fila = hoja[i];
            ASSERT_EQ(fila.size(), titulos.size());
            EXPECT_EQ(fila[cTotal].tipo, "Number");
            EXPECT_NEAR(fila[cTotal].texto.toDouble(), total(i), 0.001);
            EXPECT_TRUE(fila[cTotal].formato.endsWith("0.00")) << qPrintable(fila[cTotal].formato);
            EXPECT_EQ(fila[cFecha].tipo, "DateTime");
            EXPECT_EQ(fila[cFecha].texto,
                      QDate(2024, 3, 1).addDays(i % 28).toString("yyyy-MM-dd") + "T00:00:00.000");
            for (const CeldaLeida& c : fila) {
                EXPECT_FALSE(c.texto.contains(QChar(0x2026))) << qPrintable(c.texto);
                EXPECT_FALSE(QStringList({"Total:", "Importe cobrado:", "Observaciones:"})
                                 .contains(c.texto));
            }
        }
        EXPECT_TRUE(std::any_of(hoja[2].begin(), hoja[2].end(), [&](const CeldaLeida& c) {
            return c.texto.contains(largo);
        })) << "the long name whole";
    }
}
