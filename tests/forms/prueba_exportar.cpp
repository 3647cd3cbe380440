// The report-to-file dialog: composition, proposed paths taken apart and rebuilt, the results,
// its keys; and the keys of the window system's message boxes.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTest>
#include <QTimer>

#include "PlataformaPrueba.h"
#include "TextosCortados.h"
#include "core/Globales.h"
#include "gui/PlataformaQt.h"
#include "gui/frmExportarReporte.h"

using namespace quilmaro;

namespace {

class Exportar : public ::testing::Test {
  protected:
    void SetUp() override { stRutaPrograma = "/opt/quilmaro/"; }

    // Proposes a path, shows the dialog and presses Aceptar; returns {path, code}.
    std::pair<QString, QString> acepta(const QString& propuesta, bool soloTexto = false) {
        frmExportarReporte d;
        d.chkSoloTexto->setChecked(soloTexto);
        d.txtArchivo->setText(propuesta);
        d.show();
        d.cmdAceptar_Click();
        return {d.txtArchivo->text(), d.lblNumTipo->text()};
    }

    prueba::PlataformaPrueba plataforma;
};

}  // namespace

TEST_F(Exportar, Composicion) {
    frmExportarReporte d;
    EXPECT_EQ(d.windowTitle(), "Imprimir reporte en archivo");
    const int dpi = d.logicalDpiX();
    auto px = [&](int twips) { return qRound(twips * dpi / 1440.0); };
    // At least the design size; wider only as far as the captions need, with the right-hand
    // controls on one edge.
    EXPECT_GE(d.width(), px(5445));
    EXPECT_EQ(d.height(), px(3690));
    EXPECT_EQ(d.lblRuta->geometry().left(), px(240));
    const int derecho = d.cmbTipo->geometry().right();
    for (QWidget* w : {static_cast<QWidget*>(d.txtArchivo), static_cast<QWidget*>(d.cmdRuta),
                       static_cast<QWidget*>(d.lblRuta), static_cast<QWidget*>(d.Command1)})
        EXPECT_EQ(w->geometry().right(), derecho) << qPrintable(w->objectName());
    EXPECT_EQ(d.width() - derecho - 1, px(5445) - px(5175));
    EXPECT_EQ(d.cmdAceptar->text(), "&Aceptar");
    EXPECT_EQ(d.Command1->text(), "&Cancelar");
    EXPECT_EQ(d.cmdRuta->text(), "&Examinar");
    EXPECT_EQ(d.Label3->text(), "Ruta en donde se guardará el archivo:");
    d.show();
    EXPECT_TRUE(prueba::textosCortados(d).isEmpty())
        << qPrintable(prueba::textosCortados(d).join(" | "));
    {
        // Nor in a wider face.
        const QFont antes = QApplication::font();
        QApplication::setFont(QFont("DejaVu Sans"));
        frmExportarReporte ancho;
        QApplication::setFont(antes);
        EXPECT_TRUE(prueba::textosCortados(ancho).isEmpty())
            << qPrintable(prueba::textosCortados(ancho).join(" | "));
    }
    EXPECT_LT(d.Label3->geometry().right(), d.cmdRuta->x());
    EXPECT_LT(d.Label1->geometry().right(), d.cmbTipo->x());

    // The entries keep their text; the box and its popup show the descriptions alone, whole.
    const QStringList entradas = frmExportarReporte::entradasTipo();
    ASSERT_EQ(d.cmbTipo->count(), 4);
    const char* descripciones[] = {"Archivo de texto (*.txt)",
                                   "Formato de texto enriquecido (*.rtf)", "Excel 5.0 (*.xls)",
                                   "Word para Windows (*.doc)"};
    auto* delegado = qobject_cast<QStyledItemDelegate*>(d.cmbTipo->view()->itemDelegate());
    ASSERT_TRUE(delegado);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(d.cmbTipo->itemText(i), entradas[i]);
        EXPECT_EQ(entradas[i].size(), 68);
        EXPECT_EQ(delegado->displayText(entradas[i], QLocale()), descripciones[i]);
        EXPECT_LE(d.fontMetrics().horizontalAdvance(descripciones[i]), d.cmbTipo->width());
    }
    EXPECT_EQ(entradas[0].right(2), " 2");
    EXPECT_EQ(entradas[1].right(2), "15");
    EXPECT_EQ(entradas[2].right(2), "19");
    EXPECT_EQ(entradas[3].right(2), "17");

    // Focus order (widgets that never take the focus are passed over).
    auto siguiente = [](QWidget* w) {
        QWidget* s = w->nextInFocusChain();
        while (s->focusPolicy() == Qt::NoFocus)
            s = s->nextInFocusChain();
        return s;
    };
    EXPECT_EQ(siguiente(d.cmbTipo), d.cmdRuta);
    EXPECT_EQ(siguiente(d.cmdRuta), d.txtArchivo);
    EXPECT_EQ(siguiente(d.txtArchivo), d.cmdAceptar);
    EXPECT_EQ(siguiente(d.cmdAceptar), d.Command1);
}

TEST_F(Exportar, SinPropuestaYNombreVacio) {
    frmExportarReporte d;
    d.show();
    EXPECT_EQ(d.cmbTipo->currentIndex(), 0);
    EXPECT_EQ(d.lblRuta->text(), "/opt/quilmaro");
    EXPECT_EQ(d.txtArchivo->text(), "");
    d.cmdAceptar_Click();
    EXPECT_EQ(plataforma.pitidos(), 1);
    EXPECT_TRUE(d.isVisible());  // stays open
    d.txtArchivo->setText("lista");
    d.cmdAceptar_Click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.txtArchivo->text(), "/opt/quilmaro/lista.txt");
    EXPECT_EQ(d.lblNumTipo->text(), " 2");
}

TEST_F(Exportar, RutasPropuestas) {
    EXPECT_EQ(acepta("/home/ana/Reportes/Ventas.XLS"),
              std::make_pair(QString("/home/ana/Reportes/Ventas.xls"), QString("19")));
    EXPECT_EQ(acepta("/Ventas.doc"), std::make_pair(QString("/Ventas.doc"), QString("17")));
    EXPECT_EQ(acepta("/srv/Informe.RTF"),
              std::make_pair(QString("/srv/Informe.rtf"), QString("15")));
    // Without an extension the last four characters are taken for one and vanish.
    EXPECT_EQ(acepta("/home/ana/Reportes/Ventas"),
              std::make_pair(QString("/home/ana/Reportes/Ve.txt"), QString(" 2")));
    // A bare name keeps the program folder.
    EXPECT_EQ(acepta("ventas.txt"),
              std::make_pair(QString("/opt/quilmaro/ventas.txt"), QString(" 2")));
}

TEST_F(Exportar, NombreConExtensionPropiaYSoloTexto) {
    frmExportarReporte d;
    d.show();
    d.txtArchivo->setText("ventas.txt");
    d.cmdAceptar_Click();
    EXPECT_EQ(d.txtArchivo->text(), "/opt/quilmaro/ventas.txt.txt");

    frmExportarReporte s;
    s.chkSoloTexto->setChecked(true);
    s.txtArchivo->setText("/tmp/a.rtf");
    s.show();
    EXPECT_FALSE(s.cmbTipo->isEnabled());
    EXPECT_EQ(s.cmbTipo->currentIndex(), 1);
}

TEST_F(Exportar, Cancelar) {
    frmExportarReporte d;
    d.txtArchivo->setText("/home/ana/Reportes/Ventas.xls");
    d.show();
    d.Command1_Click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.txtArchivo->text(), "");
    EXPECT_EQ(d.lblNumTipo->text(), "");
}

TEST_F(Exportar, EscYCierreComoCancelar) {
    // Esc, the close box and Cancelar all leave nothing to export; Enter on a focused button
    // presses it.
    const std::function<void(frmExportarReporte&)> formas[] = {
        [](frmExportarReporte& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](frmExportarReporte& d) { d.close(); },
        [](frmExportarReporte& d) {
            d.Command1->setFocus();
            QTest::keyClick(d.Command1, Qt::Key_Return);
        },
    };
    for (const auto& cierra : formas) {
        frmExportarReporte d;
        d.txtArchivo->setText("/home/ana/Reportes/Ventas.xls");
        d.show();
        cierra(d);
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(d.txtArchivo->text(), "");
        EXPECT_EQ(d.lblNumTipo->text(), "");
    }
    frmExportarReporte d;
    d.txtArchivo->setText("/tmp/ventas.rtf");
    d.show();
    d.cmdAceptar->setFocus();
    QTest::keyClick(d.cmdAceptar, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.txtArchivo->text(), "/tmp/ventas.rtf");
    EXPECT_EQ(d.lblNumTipo->text(), "15");
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
