// "Impresora": both reports of a ten-invoice list through a real CUPS queue whose output is a
// PDF (NECESITA_SERVIDOR): the invoices in the clerk's order, the totals and the words.

#include "AyudaVentana.h"
#include "reportengine/Pintor.h"

using namespace quilmaro;
using namespace quilmaro::prueba;

namespace {

const QString kBase = QStringLiteral("impresora1");
const QString kCola = QStringLiteral("QuilmaroPDF");

// What a command writes to its output; empty when it fails or takes longer than the wait.
QString salidaDe(const QString& programa, const QStringList& argumentos, int ms = 30000) {
    QProcess p;
    p.start(programa, argumentos);
    return p.waitForFinished(ms) && p.exitCode() == 0 ? QString::fromUtf8(p.readAllStandardOutput())
                                                      : QString();
}

int paginasPdf(const QString& ruta) {
    const auto m = QRegularExpression("Pages:\\s+(\\d+)").match(salidaDe("pdfinfo", {ruta}));
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

// Waits for a PDF that was not in `antes` to appear complete in the folder.
QString esperaPdfNuevo(const QString& carpeta, const QStringList& antes) {
    QElapsedTimer reloj;
    reloj.start();
    while (reloj.elapsed() < 60000) {
        for (const QString& n : QDir(carpeta).entryList({"*.pdf"}, QDir::Files, QDir::Time)) {
            if (antes.contains(n))
                continue;
            const QString ruta = QDir(carpeta).filePath(n);
            if (paginasPdf(ruta) > 0)
                return ruta;
        }
        QThread::msleep(200);
    }
    return {};
}

// Page 1 of a PDF as a small grey picture.
QImage pagina1(const QString& pdf, const QString& prefijo) {
    QProcess::execute("pdftoppm", {"-r", "30", "-gray", "-f", "1", "-l", "1", "-singlefile", "-png",
                                   pdf, prefijo});
    return QImage(prefijo + ".png").convertToFormat(QImage::Format_Grayscale8);
}

// Mean difference of two pictures of the same paper, from 0 (same) to 1.
double diferencia(const QImage& a, const QImage& b) {
    if (a.isNull() || b.isNull())
        return 1.0;
    const QImage c = b.scaled(a.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double suma = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            suma += std::abs(qGray(a.pixel(x, y)) - qGray(c.pixel(x, y)));
    return suma / (255.0 * a.width() * a.height());
}

}  // namespace

TEST_F(PruebaVentana, ReportesPorLaImpresora) {
    // CUPS with the PDF queue; the last line it writes is the folder the queue writes to.
    const QString salida =
        salidaDe("bash", {qEnvironmentVariable("QUILMARO_SCRIPTS") + "/cups-start.sh", kCola},
                 60000)
            .trimmed()
            .split('\n')
            .last();
    ASSERT_FALSE(salida.isEmpty()) << "CUPS did not start";
    qputenv("PRINTER", kCola.toUtf8());

    auto cnn = preparaBaseVentana(kBase, {"A"});
    cnn->ejecuta(
        "INSERT INTO clientes (Cliente, Nombre, Domicilio, Telefono) VALUES "
        "('C001', 'CREMERÍA LA VAQUITA', 'CALLE 5 DE MAYO 12', '33 1234 5678')");
    // Ten invoices; the clerk lists them in an order of his own.
    const int totales[] = {1500, 230, 99, 4800, 1234, 10, 7777, 600, 58, 321};
    for (int n = 1; n <= 10; ++n)
        insertaFacturas(*cnn, QString("VALUES ('A', %1, '2016-07-01', 'C001', 'CREMERÍA LA "
                                      "VAQUITA', %2, %3, 0)")
                                  .arg(100 + n)
                                  .arg(totales[n - 1])
                                  .arg(totales[n - 1] * 0.16));
    copiaPrograma(carpeta);

    const QList<int> orden = {107, 101, 110, 103, 105, 102, 109, 104, 106, 108};
    auto v = ventanaCon(kBase, orden);
    ASSERT_EQ(v->mhgReja->filas(), 11);
    v->optDispos[1]->setChecked(true);
    v->cmdLeer->setFocus();

    QStringList antes = QDir(salida).entryList({"*.pdf"}, QDir::Files);
    v->cmdReporte_Click();
    SIN_MENSAJES();
    EXPECT_EQ(QApplication::focusWidget(), v->txtFactura);  // printer: the focus comes back
    const QString guia = esperaPdfNuevo(salida, antes);
    ASSERT_FALSE(guia.isEmpty()) << "no PDF from the queue in " << qPrintable(salida);

    antes = QDir(salida).entryList({"*.pdf"}, QDir::Files);
    v->Command1_Click();
    SIN_MENSAJES();
    const QString cobranza = esperaPdfNuevo(salida, antes);
    ASSERT_FALSE(cobranza.isEmpty());

    // What reached the queue is the report as the engine laid it out: the queue's PDF looks like
    // the engine's own PDF of the same pages (the queue turns the fonts into pictures, so its
    // text cannot be read back), and unlike the other report.
    const QString propiaGuia = carpeta.filePath("guia-propia.pdf");
    const QString propiaCobranza = carpeta.filePath("cobranza-propia.pdf");
    ASSERT_TRUE(v->crpReport()->ultimoDocumento() && v->crpReport2()->ultimoDocumento());
    reporte::exportaPdf(*v->crpReport()->ultimoDocumento(), propiaGuia);
    reporte::exportaPdf(*v->crpReport2()->ultimoDocumento(), propiaCobranza);
    EXPECT_EQ(paginasPdf(guia), paginasPdf(propiaGuia));
    EXPECT_EQ(paginasPdf(cobranza), paginasPdf(propiaCobranza));
    const QImage cola = pagina1(guia, carpeta.filePath("g1"));
    const double igual = diferencia(cola, pagina1(propiaGuia, carpeta.filePath("g2")));
    const double distinta = diferencia(cola, pagina1(propiaCobranza, carpeta.filePath("c2")));
    EXPECT_LT(igual, 0.03) << igual;
    EXPECT_GT(distinta, 2 * igual) << distinta << " " << igual;

    // The guide: the ten rows in the clerk's order, and the grand total.
    const QString g = salidaDe("pdftotext", {"-layout", propiaGuia, "-"});
    const QRegularExpression fila("^\\s*\\d+\\s+A\\s+(\\d+)\\s+\\S+\\s+C001\\s",
                                  QRegularExpression::MultilineOption);
    QList<int> impresas;
    for (auto it = fila.globalMatch(g); it.hasNext();)
        impresas << it.next().captured(1).toInt();
    EXPECT_EQ(impresas, orden);
    EXPECT_TRUE(g.contains("19,289.64")) << qPrintable(g);  // the totals times 1.16

    // The collection format: the total in words.
    EXPECT_TRUE(salidaDe("pdftotext", {"-layout", propiaCobranza, "-"})
                    .simplified()
                    .contains(tesk().Moneda(19289.64).simplified()));

    // Nothing left behind.
    EXPECT_EQ(tablasDeTrabajo(*cnn, kBase), 0);
    EXPECT_TRUE(temporalesEn(carpeta.path()).isEmpty());
    QFile::remove(guia);
    QFile::remove(cobranza);
}
