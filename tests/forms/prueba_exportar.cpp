// The report-to-file dialog: composition, proposed paths taken apart and rebuilt, the results,
// its keys; and the keys of the window system's message boxes.

#include "AyudaVentana.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QMessageBox>
#include <QStyledItemDelegate>

using namespace quilmaro;

namespace {

class Exportar : public ::testing::Test {
  protected:
    void SetUp() override { stRutaPrograma = "/opt/quilmaro/"; }

    prueba::PlataformaPrueba plataforma;
};

}  // namespace

TEST_F(Exportar, Composicion) {
    // No caption cut, nor in a wider face.
    frmExportarReporte d;
    d.show();
    const QFont antes = QApplication::font();
    QApplication::setFont(QFont("DejaVu Sans"));
    frmExportarReporte ancho;
    QApplication::setFont(antes);
    for (frmExportarReporte* w : {&d, &ancho}) {
        EXPECT_TRUE(prueba::textosCortados(*w).isEmpty())
            << qPrintable(prueba::textosCortados(*w).join(" | "));
        EXPECT_LT(w->Label3->geometry().right(), w->cmdRuta->x());
    }

    // The entries keep their text; the box and its popup show the descriptions alone, whole.
    const QStringList entradas = frmExportarReporte::entradasTipo();
    const char* descripciones[] = {"Archivo de texto (*.txt)",
                                   "Formato de texto enriquecido (*.rtf)", "Excel 5.0 (*.xls)",
                                   "Word para Windows (*.doc)"};
    auto* delegado = qobject_cast<QStyledItemDelegate*>(d.cmbTipo->view()->itemDelegate());
    ASSERT_TRUE(delegado);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(delegado->displayText(entradas[i], QLocale()), descripciones[i]);
        EXPECT_LE(d.fontMetrics().horizontalAdvance(descripciones[i]), d.cmbTipo->width());
    }

    EXPECT_EQ(prueba::ordenDeTab(d.cmbTipo, 5),
              QWidgetList({d.cmbTipo, d.cmdRuta, d.txtArchivo, d.cmdAceptar, d.Command1}));
}

TEST_F(Exportar, RutasPropuestasYFormasDeCerrar) {
    const struct {
        const char* propuesta;
        bool soloTexto;
        const char* queda;  // path and code
    } rutas[] = {
        {"/home/ana/Reportes/Ventas.XLS", false, "/home/ana/Reportes/Ventas.xls|19"},
        {"/Ventas.doc", false, "/Ventas.doc|17"},
        {"/srv/Informe.RTF", false, "/srv/Informe.rtf|15"},
        // Without an extension the last four characters are taken for one and vanish.
        {"/home/ana/Reportes/Ventas", false, "/home/ana/Reportes/Ve.txt| 2"},
        // A bare name keeps the program folder, and gets the extension of its type.
        {"ventas.txt", false, "/opt/quilmaro/ventas.txt| 2"},
        {"/tmp/a.rtf", true, "/tmp/a.rtf|15"},
        // No name: a beep, and the dialog stays open; a bare name typed then is taken whole.
        {"", false, "/opt/quilmaro/lista.txt| 2"},
    };
    for (const auto& r : rutas) {
        plataforma.limpia();
        frmExportarReporte d;
        d.chkSoloTexto->setChecked(r.soloTexto);
        d.txtArchivo->setText(r.propuesta);
        d.show();
        EXPECT_EQ(d.cmbTipo->isEnabled(), !r.soloTexto);
        d.cmdAceptar_Click();
        if (!*r.propuesta) {
            EXPECT_EQ(plataforma.pitidos(), 1);
            EXPECT_TRUE(d.isVisible());
            d.txtArchivo->setText("lista");
            d.cmdAceptar_Click();
        }
        EXPECT_EQ(d.txtArchivo->text() + "|" + d.lblNumTipo->text(), r.queda) << r.propuesta;
    }

    // Cancelar, Esc, the close box and Enter on Cancelar leave nothing to export; Enter on a
    // focused Aceptar presses it.
    const std::function<void(frmExportarReporte&)> formas[] = {
        [](frmExportarReporte& d) { d.Command1_Click(); },
        [](frmExportarReporte& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](frmExportarReporte& d) { d.close(); },
        [](frmExportarReporte& d) {
            d.Command1->setFocus();
            QTest::keyClick(d.Command1, Qt::Key_Return);
        },
        [](frmExportarReporte& d) {
            d.cmdAceptar->setFocus();
            QTest::keyClick(d.cmdAceptar, Qt::Key_Enter, Qt::KeypadModifier);
        },
    };
    for (const auto& cierra : formas) {
        frmExportarReporte d;
        d.txtArchivo->setText("/tmp/ventas.rtf");
        d.show();
        cierra(d);
        EXPECT_FALSE(d.isVisible());
        const bool aceptado = &cierra == &formas[std::size(formas) - 1];
        EXPECT_EQ(d.txtArchivo->text() + "|" + d.lblNumTipo->text(),
                  aceptado ? "/tmp/ventas.rtf|15" : "|");
    }
}

TEST_F(Exportar, PreguntaSiNoSoloLaContestanSusBotones) {
    // The real message box: Esc and the close box leave a Yes/No question open; only Sí or No
    // answer it. A box with Aceptar alone still closes with Esc.
    PlataformaQt real;
    struct Caso {
        Botones botones;
        const char* boton;  // pressed after Esc and the close box; nullptr: none
        bool abiertaTrasEsc;
        Respuesta respuesta;
    };
    const Caso casos[] = {{Botones::SiNo, "&Sí", true, Respuesta::Si},
                          {Botones::SiNo, "&No", true, Respuesta::No},
                          {Botones::Aceptar, nullptr, false, Respuesta::Aceptar}};
    for (const Caso& c : casos) {
        bool abierta = false;
        QTimer::singleShot(0, [&] {
            auto* caja = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_TRUE(caja);
            QTest::keyClick(caja, Qt::Key_Escape);
            caja->close();
            abierta = caja->isVisible();
            if (abierta) {
                for (QAbstractButton* b : caja->buttons())
                    if (b->text() == QString::fromUtf8(c.boton ? c.boton : ""))
                        b->click();
                if (caja->isVisible())  // a failure above must not leave the test waiting
                    caja->done(0);
            }
        });
        Mensaje m;
        m.texto = "¿Desea grabar la lista de facturas?";
        m.botones = c.botones;
        m.predeterminado = c.botones == Botones::SiNo ? Respuesta::No : Respuesta::Aceptar;
        EXPECT_EQ(real.mensaje(m), c.respuesta);
        EXPECT_EQ(abierta, c.abiertaTrasEsc);
    }
}
