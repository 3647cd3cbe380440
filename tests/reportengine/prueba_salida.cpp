// Output: the documented guide rendered to PDF, read back with pdftotext and compared with the
// preview's picture; fonts embedded; the printer path writes the same pages; the collection
// format exported as a spreadsheet and read back.

#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <numeric>

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
        creaSqlite(local_, "Generales", generalesDemo());
        servidor_ = dir_.filePath("servidor.db");
        creaSqlite(servidor_, "clientes", clientesDemo());
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
        const QRectF mm = e.caja.adjusted(-0.5, 0, 0.5, 0);
        const double k = 100 / 25.4;  // pixels a millimetre at 100 dpi
        const QRect zona = QRectF(mm.topLeft() * k, mm.size() * k).toAlignedRect();
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

// The fonts of a PDF (pdffonts' lines after its two heading lines), each checked to travel inside
// the file (the "emb" column).
QString fuentesIncrustadas(const QString& pdf) {
    QProcess p;
    p.start("pdffonts", {pdf});
    EXPECT_TRUE(p.waitForFinished(60000) && p.exitCode() == 0);
    QStringList nombres;
    for (const QString& f :
         QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts).mid(2)) {
        const QStringList c = f.simplified().split(' ');
        EXPECT_TRUE(c.size() >= 7 && c[c.size() - 5] == "yes") << qPrintable(f);
        nombres << c[0];
    }
    EXPECT_FALSE(nombres.isEmpty());
    return nombres.join(' ');
}

}  // namespace

TEST_F(Salida, GuiaEnPdfEImpresaConCadaFacturaUnaVezEnOrdenYAcentosIntactos) {
    const int n = 120;
    creaSqlite(servidor_, "f", facturasDemo(n));
    const auto doc = genera("f");
    double total = 0;
    for (int i = 1; i <= n; ++i)
        total += totalDemo(i);
    // A PDF that cannot be written leaves nothing; one that can replaces an older file whole.
    const QString mala = dir_.filePath("no-existe/guia.pdf"), pdf = dir_.filePath("guia.pdf");
    const QString m = mensajeDe([&] { exportaPdf(*doc, mala); });
    EXPECT_TRUE(m.startsWith("No se pudo crear el archivo PDF «" + mala + "»")) << qPrintable(m);
    EXPECT_FALSE(QDir(dir_.filePath("no-existe")).exists());
    ASSERT_TRUE(escribeBytes(pdf, "basura"));
    exportaPdf(*doc, pdf);
    EXPECT_EQ(QDir(dir_.path()).entryList({"guia.pdf*"}, QDir::Files), QStringList{"guia.pdf"});
    const QString texto = textoPdf(pdf);
    ASSERT_FALSE(texto.isEmpty());
    const int paginas = doc->cuentaPaginas();
    EXPECT_GT(paginas, 3);

    // Every invoice number once, in the order of the source.
    QList<int> numeros, esperados(n);
    for (auto it = QRegularExpression("\\b1\\d{3}\\b").globalMatch(texto); it.hasNext();) {
        if (const int v = it.next().captured().toInt(); v > 1000 && v <= 1000 + n)
            numeros << v;
    }
    std::iota(esperados.begin(), esperados.end(), 1001);
    EXPECT_EQ(numeros, esperados);
    // The page count on every page, and the headers repeated.
    for (int p = 1; p <= paginas; ++p)
        EXPECT_EQ(texto.count(QStringLiteral("Página %1 de %2").arg(p).arg(paginas)), 1) << p;
    for (const char* t : {"GUÍA DE REPARTO", "Recibió (nombre y firma)",
                          "DISTRIBUIDORA PEÑÓN DE LOS BAÑOS, S.A. DE C.V."})
        EXPECT_EQ(texto.count(QString::fromUtf8(t)), paginas) << t;
    // Dates formatted; at the end the grand total, NULL additional taxes counted as nothing.
    for (const QString& t : {QStringLiteral("Impreso el 05/mar/2024"), importe(total)})
        EXPECT_TRUE(texto.contains(t)) << qPrintable(t);

    // Fonts travel inside the file, and the PDF's texts stand where the preview paints them.
    fuentesIncrustadas(pdf);
    EXPECT_GT(mismaTintaQuePoppler(*doc, pdf), 100);
    // A window's part of the page (a painter that clips) shows there what the whole page does,
    // but for the smoothing of letters' edges, which clipping draws another way.
    const QImage entera = imagenDePagina(*doc, 1, 100);
    QImage parte = entera;
    parte.fill(Qt::white);
    const QRect zona(0, entera.height() / 3 + 7, entera.width(), 50);
    {
        QPainter p(&parte);
        p.setClipRect(zona);
        Pintor(*doc).pinta(p, 1, 100 / 25.4);
    }
    int distintos = 0;
    for (int y = zona.top(); y <= zona.bottom(); ++y) {
        for (int x = zona.left(); x <= zona.right(); ++x)
            distintos += std::abs(qGray(parte.pixel(x, y)) - qGray(entera.pixel(x, y))) > 48;
    }
    EXPECT_EQ(distintos, 0);

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

// The collection format as a spreadsheet, read back (the window tests read back the guide's):
// one header row of titles found on the page, typed cells (amounts below 1.00 too, dates, whole
// names); the labels printed beside the fields are neither titles nor cells.
TEST_F(Salida, HojaDeCalculoConTitulosYCeldasConTipo) {
    const QString largo = QString::fromUtf8(
        "COMERCIALIZADORA Y DISTRIBUIDORA DE ABARROTES FINOS DEL BAJÍO SUR, S.A. DE C.V. SUC. "
        "IRAPUATO");
    TablaPrueba f = facturasDemo(12);
    f.filas[0][6] = Variante(0.5);  // a total below one peso: 0.50
    f.filas[0][7] = Variante(0.0);
    f.filas[0][8] = Variante::nulo();
    f.filas[1][5] = Variante(largo);
    creaSqlite(servidor_, "fx", f);
    const auto doc =
        genera("fx", leeDiseno(QStringLiteral(QUILMARO_FUENTES "/layouts/cobranza.rpt")));
    exportaArchivo(*doc, dir_.filePath("r.xls"), FormatoArchivo::HojaDeCalculo);
    // Each cell as "type|text|number format", an empty one as "|number format".
    const QString ns = "urn:schemas-microsoft-com:office:spreadsheet";
    QXmlStreamReader x(leeBytes(dir_.filePath("r.xls")));
    QMap<QString, QString> formatos;
    QString estilo;
    QList<QStringList> hoja;
    while (!x.atEnd()) {
        if (x.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto a = x.attributes();
        if (x.name() == QLatin1String("Style"))
            estilo = a.value(ns, "ID").toString();
        else if (x.name() == QLatin1String("NumberFormat"))
            formatos[estilo] = a.value(ns, "Format").toString();
        else if (x.name() == QLatin1String("Row"))
            hoja.append(QStringList());
        else if (x.name() == QLatin1String("Cell"))
            hoja.last() << "|" + formatos.value(a.value(ns, "StyleID").toString());
        else if (x.name() == QLatin1String("Data"))
            hoja.last().last().prepend(a.value(ns, "Type").toString() + "|" + x.readElementText());
    }
    ASSERT_FALSE(x.hasError()) << qPrintable(x.errorString());
    ASSERT_EQ(hoja.size(), 13);  // one header row and the twelve invoices
    QStringList titulos;
    for (const QString& c : hoja[0]) {
        EXPECT_TRUE(c.startsWith("String|")) << qPrintable(c);
        titulos << c.section('|', 1, 1);
    }
    EXPECT_EQ(titulos.mid(0, 3), QStringList({"Serie Factura", "Fecha", "Total"}));
    EXPECT_EQ(titulos.filter(QRegularExpression(":$|^$")), QStringList());
    for (int i = 1; i <= 12; ++i) {
        SCOPED_TRACE(i);
        const QStringList& fila = hoja[i];
        ASSERT_EQ(fila.size(), hoja[0].size());
        const QStringList total = fila[2].split('|');
        EXPECT_EQ(total.value(0), "Number");
        EXPECT_NEAR(total.value(1).toDouble(), i == 1 ? 0.5 : totalDemo(i), 0.001);
        EXPECT_TRUE(total.value(2).endsWith("0.00")) << qPrintable(fila[2]);
        EXPECT_TRUE(fila[1].startsWith("DateTime|" +
                                       QDate(2024, 3, 1).addDays(i % 28).toString("yyyy-MM-dd") +
                                       "T00:00:00.000|"))
            << qPrintable(fila[1]);
        EXPECT_EQ(fila.filter(QRegularExpression(
                      QString::fromUtf8("…|^String\\|(Total|Importe cobrado|Observaciones):\\|"))),
                  QStringList());
    }
    EXPECT_TRUE(hoja[2].join('#').contains(largo)) << "the long name whole";
}
