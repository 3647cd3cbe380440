// The control as the report commands drive it: destination, layout, sources, run. The preview
// is non-modal and keeps its pages after the sources are gone; every failure is one message and
// leaves nothing open.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>

#include "AyudaMotor.h"
#include "CarpetaTemporal.h"
#include "PlataformaPrueba.h"
#include "reportengine/ControlReporte.h"

using namespace quilmaro;
using namespace quilmaro::prueba;
using namespace quilmaro::reporte;

namespace {

int vistasAbiertas() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<VistaPrevia*>(w) && w->isVisible())
            ++n;
    }
    return n;
}

void cierraVistas() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<VistaPrevia*>(w))
            w->close();
    }
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Whether an image has dark pixels (something was painted on the white page).
bool tieneTinta(const QImage& img) {
    for (int y = 0; y < img.height(); y += 2) {
        for (int x = 0; x < img.width(); x += 2) {
            if (qGray(img.pixel(x, y)) < 60)
                return true;
        }
    }
    return false;
}

class Control : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        auxiliar_ = dir_.filePath("TEMPORAL0000.MDB");
        creaSqlite(auxiliar_, "Generales", columnasGenerales(), generalesDemo());
        facturas_ = dir_.filePath("facturas.db");
        creaSqlite(facturas_, "facturas", columnasFacturas(), facturasDemo(75));
        // The guide of docs/layouts.md, reading its invoices from a local file.
        QByteArray guia = ejemplosDocumentados().value(0);
        guia.replace(
            R"(<fuente numero="1" nombre="facturas" tipo="servidor" detalle="si"/>)",
            R"(<fuente numero="1" nombre="facturas" tipo="local" tabla="facturas" detalle="si"/>)");
        diseno_ = dir_.filePath("guia.rpt");
        ASSERT_TRUE(escribeBytes(diseno_, guia));
    }
    void TearDown() override { cierraVistas(); }

    void prepara(ControlReporte& crp, int destino = ControlReporte::Pantalla) {
        crp.fijaDestino(destino);
        crp.fijaArchivoReporte(diseno_);
        crp.fijaFuenteDatos(0, auxiliar_);
        crp.fijaFuenteDatos(1, facturas_);
    }

    // Runs a layout written here and returns the one message it gave.
    QString fallaCon(const QByteArray& diseno) {
        EXPECT_TRUE(escribeBytes(diseno_, diseno));
        PlataformaPrueba plataforma;
        ControlReporte crp;
        prepara(crp);
        EXPECT_FALSE(crp.ejecuta());
        EXPECT_EQ(plataforma.mensajes().size(), 1);
        EXPECT_EQ(vistasAbiertas(), 0);
        EXPECT_EQ(crp.ultimaVista(), nullptr);
        return plataforma.textos().value(0);
    }

    QTemporaryDir dir_;
    QString auxiliar_, facturas_, diseno_;
};

}  // namespace

TEST_F(Control, PantallaAbreUnaVistaNoModalConLasPaginasDelReporte) {
    PlataformaPrueba plataforma;
    ControlReporte crp;
    prepara(crp);
    ASSERT_TRUE(crp.ejecuta());
    // The run has returned while the preview is open: the caller's code goes on.
    VistaPrevia* vista = crp.ultimaVista();
    ASSERT_NE(vista, nullptr);
    EXPECT_TRUE(vista->isVisible());
    EXPECT_FALSE(vista->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(vista->windowTitle(), "Guía de reparto");
    EXPECT_TRUE(plataforma.mensajes().isEmpty());
    EXPECT_GE(plataforma.vecesOcupado(), 1);
    EXPECT_FALSE(plataforma.ocupado());

    const int paginas = crp.ultimoDocumento()->cuentaPaginas();
    EXPECT_EQ(paginas, 3);  // 75 invoices of 8 mm
    EXPECT_EQ(vista->cuentaPaginas(), paginas);
    EXPECT_EQ(vista->paginaActual(), 1);
    bool etiqueta = false;
    for (QLabel* l : vista->findChildren<QLabel*>())
        etiqueta = etiqueta || l->text().trimmed() == "de 3";
    EXPECT_TRUE(etiqueta) << "the window shows the page count";
    EXPECT_TRUE(tieneTinta(vista->grab().toImage()));
}

TEST_F(Control, LaVistaSigueAbiertaSinLasFuentes) {
    ControlReporte crp;
    prepara(crp);
    ASSERT_TRUE(crp.ejecuta());
    // What the report commands do right after the run: the local file goes away.
    ASSERT_TRUE(QFile::remove(auxiliar_));
    ASSERT_TRUE(QFile::remove(facturas_));
    VistaPrevia* vista = crp.ultimaVista();
    ASSERT_NE(vista, nullptr);
    vista->ultima();
    EXPECT_EQ(vista->paginaActual(), 3);
    EXPECT_TRUE(tieneTinta(vista->grab().toImage()));
    PlataformaPrueba plataforma;
    const QString pdf = dir_.filePath("exportada.pdf");
    ASSERT_TRUE(vista->exportaPdf(pdf));
    const QString texto = textoPdf(pdf);
    EXPECT_TRUE(texto.contains("DISTRIBUIDORA PEÑÓN DE LOS BAÑOS"));
    for (int i = 1; i <= 75; ++i)
        EXPECT_TRUE(texto.contains(QString::number(1000 + i))) << i;
    EXPECT_TRUE(plataforma.mensajes().isEmpty());
}

TEST_F(Control, NavegacionZoomYEsc) {
    ControlReporte crp;
    prepara(crp);
    ASSERT_TRUE(crp.ejecuta());
    VistaPrevia* vista = crp.ultimaVista();
    ASSERT_NE(vista, nullptr);
    vista->siguiente();
    EXPECT_EQ(vista->paginaActual(), 2);
    vista->irAPagina(99);
    EXPECT_EQ(vista->paginaActual(), 3);
    vista->anterior();
    EXPECT_EQ(vista->paginaActual(), 2);
    vista->primera();
    EXPECT_EQ(vista->paginaActual(), 1);
    vista->irAPagina(-4);
    EXPECT_EQ(vista->paginaActual(), 1);

    EXPECT_TRUE(vista->ajustadoAlAncho());
    vista->fijaZoom(2.0);
    EXPECT_DOUBLE_EQ(vista->zoom(), 2.0);
    EXPECT_FALSE(vista->ajustadoAlAncho());
    vista->fijaZoom(50);
    EXPECT_DOUBLE_EQ(vista->zoom(), 4.0);
    QApplication::setActiveWindow(vista);
    QTest::keyClick(vista, Qt::Key_Minus);
    EXPECT_DOUBLE_EQ(vista->zoom(), 4.0 / 1.25);
    vista->ajustaAlAncho();
    EXPECT_TRUE(vista->ajustadoAlAncho());
    // Fitted, the page is as wide as the room the window gives it, no wider.
    const QWidget* hoja = vista->findChild<QScrollArea*>()->widget();
    const QWidget* visible = vista->findChild<QScrollArea*>()->viewport();
    EXPECT_LE(hoja->width(), visible->width());
    EXPECT_GE(hoja->width(), visible->width() * 0.8);

    QApplication::setActiveWindow(vista);
    QTest::keyClick(vista, Qt::Key_PageDown);
    EXPECT_EQ(vista->paginaActual(), 2);
    QTest::keyClick(vista, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(vista->paginaActual(), 3);
    QPointer<VistaPrevia> guardia(vista);
    QTest::keyClick(vista, Qt::Key_Escape);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guardia.isNull()) << "Esc closes the preview, which goes away";
    EXPECT_EQ(crp.ultimaVista(), nullptr);
}

TEST_F(Control, CadaEjecucionTieneSuPropiaVista) {
    ControlReporte crp;
    prepara(crp);
    ASSERT_TRUE(crp.ejecuta());
    QPointer<VistaPrevia> primera = crp.ultimaVista();
    ASSERT_TRUE(crp.ejecuta());
    EXPECT_EQ(vistasAbiertas(), 2);
    EXPECT_NE(crp.ultimaVista(), primera.data());
    primera->close();
    EXPECT_EQ(vistasAbiertas(), 1);
    EXPECT_NE(crp.ultimaVista(), nullptr);
}

TEST_F(Control, DisenoQueFaltaOMalFormado) {
    ASSERT_TRUE(QFile::remove(diseno_));
    {
        PlataformaPrueba plataforma;
        ControlReporte crp;
        prepara(crp);
        EXPECT_FALSE(crp.ejecuta());
        ASSERT_EQ(plataforma.mensajes().size(), 1);
        const Mensaje& m = plataforma.mensajes().front();
        EXPECT_EQ(m.texto, "No se encontró el archivo de diseño del reporte «" + diseno_ + "».");
        EXPECT_EQ(m.titulo, "Error");
        EXPECT_EQ(m.icono, Icono::Critico);
        EXPECT_EQ(m.botones, Botones::Aceptar);
        EXPECT_EQ(crp.ultimoError(), m.texto);
        EXPECT_EQ(vistasAbiertas(), 0);
        EXPECT_FALSE(plataforma.ocupado());
    }
    const QString m = fallaCon("<reporte>\n<detalle alto='5'>\n</reporte>");
    EXPECT_TRUE(m.startsWith("Error en el diseño «" + diseno_ + "», línea 3")) << qPrintable(m);
}

TEST_F(Control, CampoOFuncionDesconocidos) {
    QByteArray guia = ejemplosDocumentados().value(0);
    guia.replace(
        R"(<fuente numero="1" nombre="facturas" tipo="servidor" detalle="si"/>)",
        R"(<fuente numero="1" nombre="facturas" tipo="local" tabla="facturas" detalle="si"/>)");
    // The invoice's name misspelt in the detail band.
    const int linea = static_cast<int>(guia.left(guia.indexOf(">Nombre</campo>")).count('\n')) + 1;
    const QString campo = fallaCon(QByteArray(guia).replace(">Nombre</campo>", ">Nombr</campo>"));
    EXPECT_TRUE(campo.startsWith(
        QStringLiteral("Error en el diseño «%1», línea %2, columna 5:").arg(diseno_).arg(linea)))
        << qPrintable(campo);
    EXPECT_TRUE(campo.contains("el campo «Nombr» no existe")) << qPrintable(campo);
    EXPECT_TRUE(campo.contains("¿quiso decir «Nombre»?")) << qPrintable(campo);
    const QString funcion = fallaCon(QByteArray(guia).replace("Suma(Subtotal", "Sumas(Subtotal"));
    EXPECT_TRUE(funcion.contains("la función «Sumas» no existe")) << qPrintable(funcion);
}

TEST_F(Control, FuenteInalcanzableNoDejaNada) {
    const QString falta = dir_.filePath("TEMPORAL0001.MDB");
    PlataformaPrueba plataforma;
    ControlReporte crp;
    prepara(crp);
    crp.fijaFuenteDatos(0, falta);
    EXPECT_FALSE(crp.ejecuta());
    ASSERT_EQ(plataforma.mensajes().size(), 1);
    EXPECT_EQ(plataforma.textos().front(),
              "No se pudieron leer los datos del reporte: la fuente de datos 0 («empresa», " +
                  falta + ") no se pudo abrir: el archivo no existe.");
    EXPECT_FALSE(QFile::exists(falta)) << "a wrong path never creates a file";
    EXPECT_EQ(vistasAbiertas(), 0);

    // A file that is not a database, and a database without the table.
    plataforma.limpia();
    ASSERT_TRUE(escribeBytes(falta, "esto no es una base de datos, es texto suelto"));
    EXPECT_FALSE(crp.ejecuta());
    EXPECT_TRUE(plataforma.textos().value(0).endsWith(
        "no se pudo abrir: el archivo no es una base de datos SQLite."))
        << qPrintable(plataforma.textos().value(0));
    plataforma.limpia();
    crp.fijaFuenteDatos(0, facturas_);
    EXPECT_FALSE(crp.ejecuta());
    EXPECT_TRUE(plataforma.textos().value(0).endsWith(
        "no se pudo abrir: la tabla «Generales» no existe en el archivo."))
        << qPrintable(plataforma.textos().value(0));
    EXPECT_EQ(vistasAbiertas(), 0);
}

TEST_F(Control, FuenteDelServidorMalEscrita) {
    QByteArray guia = ejemplosDocumentados().value(0);
    ASSERT_TRUE(escribeBytes(diseno_, guia));
    PlataformaPrueba plataforma;
    ControlReporte crp;
    prepara(crp);
    crp.fijaFuenteDatos(1, "tabla sin base");
    EXPECT_FALSE(crp.ejecuta());
    EXPECT_EQ(plataforma.textos().value(0),
              "No se pudieron leer los datos del reporte: la fuente de datos 1 («facturas», tabla "
              "sin base) no "
              "se pudo abrir: se esperaba «base.tabla» (por ejemplo «datos1.tbltemp1»).");
}

TEST_F(Control, ImpresoraQueNoHay) {
    // This test runs with a print server that does not exist, so there is no default printer.
    PlataformaPrueba plataforma;
    ControlReporte crp;
    prepara(crp, ControlReporte::Impresora);
    EXPECT_FALSE(crp.ejecuta());
    ASSERT_EQ(plataforma.mensajes().size(), 1);
    EXPECT_EQ(plataforma.textos().front(),
              "No hay una impresora predeterminada. Instale o elija una impresora en el sistema y "
              "vuelva a "
              "intentarlo; el reporte «Guía de reparto» no se imprimió.");
    EXPECT_EQ(plataforma.mensajes().front().icono, Icono::Critico);
    EXPECT_EQ(vistasAbiertas(), 0);
    plataforma.limpia();
    crp.fijaImpresora("Bodega");
    EXPECT_FALSE(crp.ejecuta());
    EXPECT_EQ(plataforma.textos().value(0),
              "No se encontró la impresora «Bodega». El reporte «Guía de reparto» no se imprimió.");
}

TEST_F(Control, UnaSegundaEjecucionDuranteLaPrimeraSeRechaza) {
    creaSqlite(dir_.filePath("muchas.db"), "facturas", columnasFacturas(), facturasDemo(1200));
    PlataformaPrueba plataforma;
    ControlReporte crp;
    prepara(crp);
    crp.fijaFuenteDatos(1, dir_.filePath("muchas.db"));
    int intentos = 0, aceptados = 0;
    plataforma.alProcesarEventos = [&] {
        // A click on the report button while the first run reads its rows.
        ++intentos;
        if (crp.ejecuta())
            ++aceptados;
    };
    ASSERT_TRUE(crp.ejecuta());
    EXPECT_GT(intentos, 0) << "long reads let pending events run";
    EXPECT_EQ(aceptados, 0);
    EXPECT_TRUE(plataforma.mensajes().isEmpty());
    EXPECT_EQ(vistasAbiertas(), 1);
}
