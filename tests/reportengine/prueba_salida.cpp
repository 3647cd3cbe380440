// Output: the documented layouts rendered to PDF and read back with pdftotext; fonts embedded;
// images at two resolutions and the PDF agree on where every item is; the printer path writes
// the same pages.

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <cstdio>

#include "AyudaMotor.h"
#include "CarpetaTemporal.h"
#include "core/ArchivosTexto.h"
#include "core/libTESK.h"
#include "reportengine/ErrorReporte.h"
#include "reportengine/Exportacion.h"
#include "reportengine/Paginador.h"
#include "reportengine/Pintor.h"
#include "reportengine/VistaPrevia.h"

using namespace quilmaro;
using namespace quilmaro::prueba;
using namespace quilmaro::reporte;

namespace {

// A documented layout run on SQLite files: the letterhead, the invoices and the customers.
class Salida : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        // QUILMARO_CONSERVA=1 keeps the files of the run, to look at them.
        if (qEnvironmentVariableIsSet("QUILMARO_CONSERVA")) {
            dir_.setAutoRemove(false);
            std::printf("files in %s\n", qPrintable(dir_.path()));
        }
        local_ = dir_.filePath("TEMPORAL0000.MDB");
        creaSqlite(local_, "Generales", columnasGenerales(), generalesDemo());
        servidor_ = dir_.filePath("servidor.db");
        creaSqlite(servidor_, "clientes", columnasClientes(), clientesDemo());
        ejemplos_ = ejemplosDocumentados();
        ASSERT_EQ(ejemplos_.size(), 2) << "docs/layouts.md holds the two example layouts";
    }

    std::shared_ptr<Documento> genera(int ejemplo, int facturas) {
        creaSqlite(servidor_, QStringLiteral("f%1").arg(facturas), columnasFacturas(),
                   facturasDemo(facturas));
        auto diseno = leeDisenoDeTexto(ejemplos_[ejemplo], dir_.filePath("ejemplo.rpt"));
        QMap<int, QString> textos{{0, local_},
                                  {1, servidor_ + QStringLiteral("::f%1").arg(facturas)},
                                  {2, servidor_ + "::clientes"}};
        auto datos = Datos::carga(*diseno, textos, abridorSqlite());
        return paginaReporte(*diseno, *datos, QDate(2024, 3, 5));
    }

    QTemporaryDir dir_;
    QString local_, servidor_;
    QList<QByteArray> ejemplos_;
};

QString importe(double v) {
    return QLocale(QLocale::Spanish, QLocale::Mexico).toString(v, 'f', 2);
}

// The grand total of the first n invoices of facturasDemo.
double totalDemoHasta(int n) {
    double total = 0;
    for (int i = 1; i <= n; ++i)
        total += totalDemo(i);
    return total;
}

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

QRectF enMm(const QRect& px, double ppp) {
    const double k = 25.4 / ppp;
    return QRectF(px.left() * k, px.top() * k, (px.width()) * k, (px.height()) * k);
}

QRect enPx(const QRectF& mm, double ppp) {
    const double k = ppp / 25.4;
    return QRectF(mm.left() * k, mm.top() * k, mm.width() * k, mm.height() * k).toAlignedRect();
}

// The two boxes have the same edges, within tol.
void mismaCaja(const QRectF& a, const QRectF& b, double tol) {
    EXPECT_NEAR(a.left(), b.left(), tol);
    EXPECT_NEAR(a.top(), b.top(), tol);
    EXPECT_NEAR(a.right(), b.right(), tol);
    EXPECT_NEAR(a.bottom(), b.bottom(), tol);
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

// Rich text as a reader sees it: paragraphs as lines, tabs as tabs, \uN as the letter.
QStringList textoRtf(const QByteArray& rtf) {
    QString t;
    static const QRegularExpression palabra("^\\\\([a-z]+)(-?\\d+)? ?");
    const QString s = QString::fromLatin1(rtf);
    for (qsizetype i = 0; i < s.size();) {
        if (s[i] == '{' || s[i] == '}' || s[i] == '\r' || s[i] == '\n') {
            ++i;
        } else if (s[i] == '\\' && i + 1 < s.size() && QString("\\{}").contains(s[i + 1])) {
            t += s[i + 1];
            i += 2;
        } else if (s[i] == '\\') {
            const auto m = palabra.match(s.mid(i, 40));
            if (!m.hasMatch())
                return {};
            const QString w = m.captured(1);
            if (w == "par")
                t += '\n';
            else if (w == "tab")
                t += '\t';
            else if (w == "u")
                t += QChar(static_cast<char16_t>(m.captured(2).toShort()));
            i += m.capturedLength();
            if (w == "u" && s.mid(i, 2) == "\\'")
                i += 4;  // the Windows-1252 stand-in
            else if (w == "fonttbl")
                i = s.indexOf('}', i);  // the font's name is not text
        } else {
            t += s[i++];
        }
    }
    return t.split('\n');
}

}  // namespace

TEST_F(Salida, GuiaEnPdfEImpresaConCadaFacturaUnaVezEnOrdenYAcentosIntactos) {
    const int n = 120;
    const auto doc = genera(0, n);
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
    for (const QString& t : QStringList{"PAÑALERA LA CIGÜEÑA", "TALLER \"EL GÜERO\"",
                                        "PANADERÍA L'ESPIGA", "Impreso el 05/mar/2024", "02/mar/24",
                                        QStringLiteral("Facturas en la guía: %1").arg(n),
                                        importe(totalDemoHasta(n)), "Entregó"})
        EXPECT_TRUE(texto.contains(t)) << qPrintable(t);

    // Fonts travel inside the file.
    const QStringList fuentes = fuentesPdf(pdf);
    ASSERT_FALSE(fuentes.isEmpty());
    for (const QString& f : fuentes) {
        const QStringList c = f.simplified().split(' ');
        ASSERT_GE(c.size(), 7);
        EXPECT_EQ(c[c.size() - 5], "yes") << qPrintable(f);  // the "emb" column
    }
    // Poppler's picture of page 1 and ours show every text in the same place.
    QProcess ppm;
    ppm.start("pdftoppm",
              {"-png", "-r", "100", "-f", "1", "-l", "1", "-singlefile", pdf, dir_.filePath("p1")});
    ASSERT_TRUE(ppm.waitForFinished(60000));
    ASSERT_EQ(ppm.exitCode(), 0);
    const QImage poppler(dir_.filePath("p1.png"));
    const QImage nuestra = imagenDePagina(*doc, 0, 100);
    ASSERT_EQ(poppler.size(), nuestra.size());
    int comparados = 0;
    for (const ElementoPagina& e : doc->paginas[0].elementos) {
        if (e.tipo != ElementoPagina::Tipo::Texto || e.texto.trimmed().isEmpty())
            continue;
        const QRect zona = enPx(e.caja.adjusted(-0.5, 0, 0.5, 0), 100);
        const QRect a = tinta(poppler, zona), b = tinta(nuestra, zona);
        ASSERT_FALSE(a.isEmpty() || b.isEmpty()) << qPrintable(e.texto);
        SCOPED_TRACE(qPrintable(e.texto));
        mismaCaja(a, b, 2);
        ++comparados;
    }
    EXPECT_GT(comparados, 100);

    // The printer path writes the same pages, and only those of the range asked for.
    auto imprimeEn = [&](const QString& archivo, int desde, int hasta) {
        QPrinter impresora(QPrinter::HighResolution);
        impresora.setOutputFormat(QPrinter::PdfFormat);
        impresora.setOutputFileName(dir_.filePath(archivo));
        if (desde > 0) {
            impresora.setPrintRange(QPrinter::PageRange);
            impresora.setFromTo(desde, hasta);
        }
        imprime(*doc, impresora);
        return textoPdf(dir_.filePath(archivo));
    };
    EXPECT_EQ(imprimeEn("impresa.pdf", 0, 0), texto);
    const QString parte = imprimeEn("parte.pdf", 2, 3);
    for (int p = 1; p <= 4; ++p) {
        EXPECT_EQ(
            parte.contains(QStringLiteral("Página %1 de %2").arg(p).arg(doc->cuentaPaginas())),
            p == 2 || p == 3)
            << p;
    }
}

TEST_F(Salida, CobranzaUneClientesYEscribeLosImportesConLetra) {
    const auto doc = genera(1, 9);
    const QString pdf = dir_.filePath("cobranza.pdf");
    exportaPdf(*doc, pdf);
    const QString texto = textoPdf(pdf);
    // Invoice 1 (customer C1): 112.34 + 17.97 + 1.50.
    const double total = totalDemoHasta(9);
    for (const QString& t :
         QStringList{"A-1001", "(C1) José Ángel Muñoz Peña",
                     "Calle Álamo 11, Col. Santa Úrsula, C.P. 04001, Coyoacán, CDMX", "131.81",
                     "(CIENTO TREINTA Y UN PESOS 81/100 M. N.)", "Tel. 55 1234 5602",
                     "Facturas a cobrar: 9", importe(total), "(" + tesk().Moneda(total) + ")",
                     "Nombre y firma del cobrador"})
        EXPECT_TRUE(texto.contains(t)) << qPrintable(t);
    // Customer C3 has no telephone: no bare label where the number would be.
    const qsizetype c3 = texto.indexOf("(C3) PANADERÍA L'ESPIGA");
    ASSERT_GE(c3, 0);
    EXPECT_FALSE(texto.mid(c3, 200).contains(QRegularExpression("Tel\\.\\s*\\n")));
}

TEST_F(Salida, ImagenesADosResolucionesPonenCadaCosaEnElMismoLugar) {
    const QByteArray xml =
        R"(<reporte ancho="150" alto="100" margen-izquierdo="10" margen-superior="10">
      <encabezado-reporte alto="70">
        <rectangulo x="0" y="0" ancho="30" alto="10" grosor="0" relleno="black"/>
        <linea x1="60" y1="5" x2="60" y2="45" grosor="0.5"/>
        <texto x="80" y="20" ancho="40" alto="10" tamano="20" negrita="si">MMM</texto>
        <texto x="80" y="40" ancho="40" alto="10" tamano="20" negrita="si" alineacion="derecha">ÑÑ</texto>
      </encabezado-reporte>
    </reporte>)";
    const auto doc = generaDesdeTexto(xml, {});
    const QImage baja = imagenDePagina(*doc, 0, 72);
    const QImage alta = imagenDePagina(*doc, 0, 300);
    // Regions (mm) around each item, with room to spare.
    const QRectF zonas[] = {{8, 8, 34, 14}, {65, 12, 10, 46}, {88, 28, 44, 14}, {88, 48, 44, 14}};
    for (const QRectF& z : zonas) {
        SCOPED_TRACE(qPrintable(QStringLiteral("%1,%2").arg(z.x()).arg(z.y())));
        const QRectF b = enMm(tinta(baja, enPx(z, 72)), 72);
        const QRectF a = enMm(tinta(alta, enPx(z, 300)), 300);
        ASSERT_FALSE(b.isEmpty() || a.isEmpty());
        mismaCaja(a, b, 1.5 * 25.4 / 72);  // a pixel and a half of the coarse image
    }
    // And where the layout put them: the filled rectangle at (10, 10), 30 x 10 mm; the line at
    // x = 70; the right-aligned text ends at the box's right edge (10 + 80 + 40 mm), less the
    // letter's own side bearing, and starts at its box's top (the tilde of Ñ reaches it).
    const QRectF r = enMm(tinta(alta, enPx(zonas[0], 300)), 300);
    EXPECT_NEAR(r.left(), 10, 0.15);
    EXPECT_NEAR(r.top(), 10, 0.15);
    EXPECT_NEAR(r.width(), 30, 0.2);
    EXPECT_NEAR(r.height(), 10, 0.2);
    const QRectF l = enMm(tinta(alta, enPx(zonas[1], 300)), 300);
    EXPECT_NEAR(l.center().x(), 70, 0.15);
    const QRectF t = enMm(tinta(alta, enPx(zonas[3], 300)), 300);
    EXPECT_LE(t.right(), 130.05);
    EXPECT_GT(t.right(), 129);
    EXPECT_NEAR(t.top(), 50, 0.3);
}

TEST_F(Salida, UnPdfQueNoSePuedeEscribirNoDejaNada) {
    const auto doc = genera(0, 3);
    const QString ruta = dir_.filePath("no-existe/guia.pdf");
    try {
        exportaPdf(*doc, ruta);
        FAIL() << "the export should fail";
    } catch (const ErrorReporte& e) {
        EXPECT_TRUE(e.mensaje().startsWith("No se pudo crear el archivo PDF"))
            << qPrintable(e.mensaje());
        EXPECT_TRUE(e.mensaje().contains(ruta));
    }
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
    QStringList fuentes;
    for (const QString& f : fuentesPdf(pdf)) {
        const QStringList c = f.simplified().split(' ');
        ASSERT_GE(c.size(), 7);
        EXPECT_EQ(c[c.size() - 5], "yes") << qPrintable(f);
        fuentes << c[0];
    }
    for (const char* f : {"NotoSansCJKsc", "NotoSansDevanagari", "Symbola"})
        EXPECT_TRUE(fuentes.join(' ').contains(f)) << f << " in " << qPrintable(fuentes.join(' '));
    // Poppler's picture and the preview's agree on every name's ink.
    QProcess ppm;
    ppm.start("pdftoppm", {"-png", "-r", "100", "-singlefile", pdf, dir_.filePath("e")});
    ASSERT_TRUE(ppm.waitForFinished(60000));
    const QImage poppler(dir_.filePath("e.png")), nuestra = imagenDePagina(*doc, 0, 100);
    ASSERT_EQ(poppler.size(), nuestra.size());
    int vistos = 0;
    for (const ElementoPagina& e : doc->paginas[0].elementos) {
        if (e.tipo != ElementoPagina::Tipo::Texto)
            continue;
        SCOPED_TRACE(qPrintable(e.texto));
        const QRect zona = enPx(e.caja.adjusted(-0.5, 0, 0.5, 0), 100);
        const QRect a = tinta(poppler, zona), b = tinta(nuestra, zona);
        ASSERT_FALSE(a.isEmpty() || b.isEmpty());
        mismaCaja(a, b, 2);
        ++vistos;
    }
    EXPECT_EQ(vistos, nombres.size());

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

// The shipped layouts exported in every file type and read back: the spreadsheet has one header
// row and typed cells (amounts below 1.00 too, dates, whole names), the labels printed beside the
// fields are no cells; the rich text keeps each row's texts in order; the text file keeps the
// figures of a column ending in one column.
TEST_F(Salida, ExportacionesLeidasDeVueltaConCeldasConTipoYColumnas) {
    const QString largo = QString::fromUtf8(
        "COMERCIALIZADORA Y DISTRIBUIDORA DE ABARROTES FINOS DEL BAJÍO SUR, S.A. DE C.V. SUC. "
        "IRAPUATO");
    QStringList cols = columnasFacturas();
    cols << "RenglonLista";
    Filas f = facturasDemo(12);
    f[0][6] = Variante(0.5);  // a total below one peso: 0.50
    f[0][7] = Variante(0.0);
    f[0][8] = Variante::nulo();
    f[1][5] = Variante(largo);
    for (int i = 0; i < f.size(); ++i)
        f[i].append(Variante(std::int32_t(i + 1)));
    creaSqlite(servidor_, "fx", cols, f);
    auto total = [](int i) { return i == 1 ? 0.5 : totalDemo(i); };

    struct Caso {
        const char* diseno;
        QStringList titulos;  // the first columns' titles
        const char* columnaTotal;
    };
    for (const Caso& caso :
         {Caso{"guia.rpt",
               {"No.", "Serie", "Factura", "Fecha", "Cliente", "Nombre", "Total"},
               "Total"},
          Caso{"cobranza.rpt", {"Serie Factura", "Fecha", "Total"}, "Total"}}) {
        SCOPED_TRACE(caso.diseno);
        auto diseno = leeDiseno(QStringLiteral(QUILMARO_FUENTES "/layouts/") + caso.diseno);
        const QMap<int, QString> textos{
            {0, local_}, {1, servidor_ + "::fx"}, {2, servidor_ + "::clientes"}};
        auto datos = Datos::carga(*diseno, textos, abridorSqlite());
        const auto doc = paginaReporte(*diseno, *datos, QDate(2024, 3, 5));

        const QString xls = dir_.filePath("r.xls"), rtf = dir_.filePath("r.rtf"),
                      txt = dir_.filePath("r.txt");
        exportaArchivo(*doc, xls, FormatoArchivo::HojaDeCalculo);
        exportaArchivo(*doc, rtf, FormatoArchivo::TextoEnriquecido);
        exportaArchivo(*doc, txt, FormatoArchivo::Texto);

        const auto hoja = leeHoja(leeBytes(xls));
        ASSERT_EQ(hoja.size(), 13);  // one header row and the twelve invoices
        QStringList titulos;
        for (const CeldaLeida& c : hoja[0]) {
            EXPECT_EQ(c.tipo, "String");
            titulos << c.texto;
        }
        EXPECT_EQ(titulos.mid(0, caso.titulos.size()), caso.titulos);
        EXPECT_EQ(titulos.filter(QRegularExpression(":$|^$")), QStringList());
        const qsizetype cTotal = titulos.indexOf(caso.columnaTotal),
                        cFecha = titulos.indexOf("Fecha");
        ASSERT_GE(cTotal, 0);
        ASSERT_GE(cFecha, 0);
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
        bool nombreEntero = false;
        for (const CeldaLeida& c : hoja[2])
            nombreEntero = nombreEntero || (c.tipo == "String" && c.texto.contains(largo));
        EXPECT_TRUE(nombreEntero) << "the long name whole";

        // Rich text: the invoices in the list's order, each row's texts in the order printed.
        const QStringList parrafos = textoRtf(leeBytes(rtf));
        ASSERT_FALSE(parrafos.isEmpty());
        qsizetype desde = 0;
        for (int i = 1; i <= 12; ++i) {
            const auto r =
                parrafos.indexOf(QRegularExpression(QString(".*\\b%1\\b.*").arg(1000 + i)), desde);
            ASSERT_GE(r, desde) << i;
            desde = r + 1;
        }
        const QString primera = importe(0.5);
        const QStringList conPrimera = parrafos.filter(QRegularExpression(
            QString("\\b1001\\b.*\\t%1$").arg(QRegularExpression::escape(primera))));
        EXPECT_EQ(conPrimera.size(), 1) << qPrintable(parrafos.join('|'));

        // Text: the figures of the total column end in one column.
        const QStringList lineas = texto::separaLineas(texto::deWindows1252(leeBytes(txt)));
        QSet<qsizetype> finales;
        for (int i = 1; i <= 12; ++i) {
            const QString cifra = importe(total(i));
            for (const QString& l : lineas)
                if (l.contains(QString::number(1000 + i)) && l.contains(cifra))
                    finales.insert(l.indexOf(cifra) + cifra.size());
        }
        EXPECT_EQ(finales.size(), 1) << qPrintable(lineas.join('\n'));
    }
}
