// The report-to-file dialog: composition, proposed paths taken apart and rebuilt, the results.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "PlataformaPrueba.h"
#include "forms/export/frmExportarReporte.h"
#include "startup/Globales.h"

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
    EXPECT_EQ(d.size(), QSize(px(5445), px(3690)));
    EXPECT_EQ(d.cmbTipo->geometry(), QRect(px(2280), px(360), px(2895), px(315)));
    EXPECT_EQ(d.lblRuta->geometry(), QRect(px(240), px(1440), px(4935), px(285)));
    EXPECT_EQ(d.cmdAceptar->geometry(), QRect(px(2040), px(3000), px(1215), px(375)));
    EXPECT_EQ(d.cmdAceptar->text(), "&Aceptar");
    EXPECT_EQ(d.Command1->text(), "&Cancelar");
    EXPECT_EQ(d.cmdRuta->text(), "&Examinar");
    EXPECT_EQ(d.Label3->text(), "Ruta en donde se guardará el archivo:");

    const QStringList entradas = frmExportarReporte::entradasTipo();
    ASSERT_EQ(d.cmbTipo->count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(d.cmbTipo->itemText(i), entradas[i]);
        EXPECT_EQ(entradas[i].size(), 68);
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
