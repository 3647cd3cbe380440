// A report exported from its preview in the four formats of the report-to-file dialog, read back
// (NECESITA_SERVIDOR: the report comes from the private server through the window).

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QXmlStreamReader>

#include "AyudaVentana.h"
#include "gui/SalidaVentanas.h"
#include "gui/Traducciones.h"
#include "gui/VistaPrevia.h"
#include "reportengine/Exportacion.h"

using namespace quilmaro;
using namespace quilmaro::prueba;

namespace {

const QString kBase = QStringLiteral("exportar1");

class Exportacion : public PruebaVentana {
  protected:
    void SetUp() override {
        PruebaVentana::SetUp();
        auto cnn = preparaBaseVentana(kBase, {"A"});
        // Enough invoices for three pages of the guide, names with accents and quotes; one of
        // them (35) without a date: blank in every format.
        insertaFacturas(*cnn,
                        "SELECT 'A', seq, IF(seq = 35, NULL, '2017-03-05'), CONCAT('C', LPAD(seq, "
                        "3, '0')), IF(seq % 2, 'PANADERÍA L''ESPIGA', 'TALLER \"EL GÜERO\"'), "
                        "1000 + seq, 0, 0 FROM seq_1_to_70");
        copiaPrograma(carpeta);
        QList<int> numeros;  // listed from the last to the first
        for (int n = 70; n >= 1; --n)
            numeros << n;
        v = ventanaCon(kBase, numeros);
        v->cmdReporte_Click();
        ASSERT_TRUE(reporte::vistaDe(*v->crpReport()));
    }
    reporte::VistaPrevia& vista() { return *reporte::vistaDe(*v->crpReport()); }

    std::unique_ptr<frmReporte> v;
};

}  // namespace

TEST_F(Exportacion, TextoEnColumnas) {
    const QString ruta = carpeta.filePath("guia.txt");
    ASSERT_TRUE(vista().exportaArchivo(ruta, reporte::FormatoArchivo::Texto));
    const QByteArray bytes = leeBytes(ruta);
    EXPECT_TRUE(bytes.contains("\r\n"));
    EXPECT_FALSE(bytes.contains("0000-00-00"));
    EXPECT_EQ(bytes.count('\f'), vista().cuentaPaginas() - 1);  // one page after another
    const QStringList lineas = texto::separaLineas(texto::deWindows1252(bytes));
    // Every invoice once, in the list's order, with its name and total on its line; the totals
    // end in the same column on every row.
    QList<int> orden;
    QSet<qsizetype> finales;
    for (const QString& l : lineas) {
        const QStringList p = l.simplified().split(' ');
        if (p.size() >= 4 && p.value(1) == "A" && p.value(0).toInt() > 0) {
            orden << 70 - p.value(2).toInt();
            const QString total =
                QLocale(QLocale::Spanish, QLocale::Mexico).toString(1000 + p.value(2).toInt()) +
                ".00";
            EXPECT_TRUE(
                l.contains(total) &&
                l.contains(p.value(2).toInt() % 2 ? "PANADERÍA L'ESPIGA" : "TALLER \"EL GÜERO\""))
                << qPrintable(l);
            finales.insert(l.indexOf(total) + total.size());
        }
    }
    ASSERT_EQ(orden.size(), 70);
    for (int i = 0; i < 70; ++i)
        EXPECT_EQ(orden[i], i);
    EXPECT_LE(finales.size(), 2);
}

TEST_F(Exportacion, TextoEnriquecidoYDocumento) {
    const QString rtf = carpeta.filePath("guia.rtf"), doc = carpeta.filePath("guia.doc");
    ASSERT_TRUE(vista().exportaArchivo(rtf, reporte::FormatoArchivo::TextoEnriquecido));
    ASSERT_TRUE(vista().exportaArchivo(doc, reporte::FormatoArchivo::Procesador));
    const QByteArray r = leeBytes(rtf);
    EXPECT_TRUE(r.startsWith("{\\rtf1\\ansi\\ansicpg1252"));
    // Braces balance (escaped ones do not count), so a reader sees one whole document.
    int nivel = 0, minimo = 0;
    for (qsizetype i = 0; i < r.size(); ++i) {
        if (r[i] == '\\') {
            ++i;
            continue;
        }
        if (r[i] == '{')
            ++nivel;
        if (r[i] == '}')
            minimo = std::min(minimo, --nivel);
    }
    EXPECT_EQ(nivel, 0);
    EXPECT_EQ(minimo, 0);
    EXPECT_EQ(r.count("\\page"), vista().cuentaPaginas() - 1);
    EXPECT_EQ(r.count("PANADER\\u205\\'cdA L'ESPIGA"), 35);  // Í written both ways, every row
    EXPECT_EQ(leeBytes(doc), r);  // the word-processor document holds the same rich text
    EXPECT_FALSE(r.contains("0000-00-00"));
}

TEST_F(Exportacion, HojaDeCalculoDeLosRenglones) {
    const QString ruta = carpeta.filePath("guia.xls");
    ASSERT_TRUE(vista().exportaArchivo(ruta, reporte::FormatoArchivo::HojaDeCalculo));
    QXmlStreamReader x(leeBytes(ruta));
    QList<QStringList> filas, tipos;
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement() && x.name() == QLatin1String("Row")) {
            filas.append(QStringList());
            tipos.append(QStringList());
        }
        if (x.isStartElement() && x.name() == QLatin1String("Data")) {
            tipos.last() << x.attributes()
                                .value("urn:schemas-microsoft-com:office:spreadsheet", "Type")
                                .toString();
            filas.last() << x.readElementText();
        }
    }
    ASSERT_FALSE(x.hasError()) << qPrintable(x.errorString());
    ASSERT_EQ(filas.size(), 71);  // the column titles and the seventy invoices
    EXPECT_EQ(filas[0].mid(0, 3), QStringList({"No.", "Serie", "Factura"}));
    EXPECT_EQ(filas[1].mid(0, 3), QStringList({"1", "A", "70"}));
    EXPECT_EQ(filas[70].mid(0, 3), QStringList({"70", "A", "1"}));
    EXPECT_TRUE(filas[1].contains("C070"));  // codes stay texts
    EXPECT_TRUE(filas[1].contains("TALLER \"EL GÜERO\""));
    EXPECT_TRUE(filas[2].contains("PANADERÍA L'ESPIGA"));
    // Invoice 35 has no date: its row has no date at all, its neighbours have theirs.
    EXPECT_EQ(filas[36].mid(0, 3), QStringList({"36", "A", "35"}));
    EXPECT_EQ(tipos[35].value(3), "DateTime");
    EXPECT_FALSE(tipos[36].contains("DateTime")) << qPrintable(filas[36].join('|'));
    EXPECT_EQ(filas[36].size(), filas[35].size() - 1);  // an empty cell holds no data
    EXPECT_FALSE(filas[36].join('|').contains("0000-00-00"));
}

TEST_F(Exportacion, DesdeElBotonDeLaVista) {
    ASSERT_TRUE(vista().accionExportarArchivo());
    // The dialog proposes the report's name in the program folder; the clerk picks the
    // spreadsheet type and accepts.
    QString propuesta;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<frmExportarReporte*>(QApplication::activeModalWidget());
        ASSERT_TRUE(d);
        propuesta = d->lblRuta->text() + "|" + d->txtArchivo->text();
        d->cmbTipo->setCurrentIndex(2);
        d->cmdAceptar_Click();
    });
    // From the keyboard, as a clerk without a mouse would.
    QApplication::setActiveWindow(&vista());
    QTest::keySequence(&vista(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    EXPECT_EQ(propuesta, QDir(carpeta.path()).absolutePath() + "|Guía de reparto");
    EXPECT_TRUE(QFile::exists(carpeta.filePath("Guía de reparto.xls")));
    SIN_MENSAJES();

    // Cancelled: nothing written.
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<frmExportarReporte*>(QApplication::activeModalWidget());
        ASSERT_TRUE(d);
        d->Command1_Click();
    });
    vista().accionExportarArchivo()->trigger();
    EXPECT_FALSE(QFile::exists(carpeta.filePath("Guía de reparto.txt")));

    // A folder that cannot be written: one message, no file.
    EXPECT_FALSE(vista().exportaArchivo("/no/existe/x.txt", reporte::FormatoArchivo::Texto));
    EXPECT_EQ(plataforma.mensajes().size(), 1);
}

// Qt's own dialogs (saving a file, page set-up) speak Spanish once the program's start has loaded
// Qt's translations for its language (run last: the translation stays for the whole program).
TEST(Traducciones, DialogosDeQtEnEspanol) {
    auto textos = [](QWidget& d) {
        QStringList t{d.windowTitle()};
        for (QLabel* l : d.findChildren<QLabel*>())
            t << l->text();
        for (QAbstractButton* b : d.findChildren<QAbstractButton*>())
            t << b->text();
        return t.join('|');
    };
    auto guardar = [] {
        auto d = std::make_unique<QFileDialog>();
        d->setOption(QFileDialog::DontUseNativeDialog);
        d->setAcceptMode(QFileDialog::AcceptSave);
        return d;
    };
    EXPECT_TRUE(textos(*guardar()).contains("Cancel")) << "English before";
    ASSERT_TRUE(cargaTraduccionesQt());
    QPrinter impresora;
    QPageSetupDialog pagina(&impresora);
    for (auto [dialogo, esperado] :
         {std::pair{textos(*guardar()), QStringList{"Guardar como", "Ver en:", "Cancelar"}},
          std::pair{textos(pagina),
                    QStringList{"Configuración de página", "Tamaño de página:", "Vertical"}}}) {
        for (const QString& e : esperado)
            EXPECT_TRUE(dialogo.contains(e)) << qPrintable(e) << " in " << qPrintable(dialogo);
        EXPECT_FALSE(dialogo.contains("Cancel|")) << qPrintable(dialogo);
    }
}
