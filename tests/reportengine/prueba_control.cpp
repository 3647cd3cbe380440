// The control as the report commands drive it: destination, layout, sources, run. The preview
// is non-modal and keeps its pages after the sources are gone; every failure is one message and
// leaves nothing open.

#include <QApplication>
#include <QSpinBox>
#include <QTest>

#include "AyudaMotor.h"
#include "CarpetaTemporal.h"
#include "PlataformaPrueba.h"
#include "gui/SalidaVentanas.h"
#include "gui/VistaPrevia.h"
#include "reportengine/ControlReporte.h"

using namespace quilmaro;
using namespace quilmaro::prueba;
using namespace quilmaro::reporte;

namespace {

int vistasAbiertas() {
    const QWidgetList v = QApplication::topLevelWidgets();
    return static_cast<int>(std::count_if(v.begin(), v.end(), [](QWidget* w) {
        return qobject_cast<VistaPrevia*>(w) && w->isVisible();
    }));
}

void cierraVistas() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<VistaPrevia*>(w))
            w->close();
    }
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class Control : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        auxiliar_ = dir_.filePath("TEMPORAL0000.MDB");
        creaSqlite(auxiliar_, "Generales", generalesDemo());
        facturas_ = dir_.filePath("facturas.db");
        creaSqlite(facturas_, "facturas", facturasDemo(75));
        // The guide of docs/layouts.md, reading its invoices from a local file.
        guia_ = ejemplosDocumentados().value(0);
        guia_.replace(R"(nombre="facturas" tipo="servidor")",
                      R"(nombre="facturas" tipo="local" tabla="facturas")");
        diseno_ = dir_.filePath("guia.rpt");
        ASSERT_TRUE(escribeBytes(diseno_, guia_));
        crp_.fijaDestino(ControlReporte::Pantalla);
        crp_.fijaArchivoReporte(diseno_);
        crp_.fijaFuenteDatos(0, auxiliar_);
        crp_.fijaFuenteDatos(1, facturas_);
    }
    void TearDown() override { cierraVistas(); }

    // Runs the report, which must fail with one message (an error, with only Accept) and leave
    // no preview and no busy pointer; returns the message's text.
    QString falla() {
        PlataformaPrueba plataforma;
        EXPECT_FALSE(crp_.ejecuta());
        EXPECT_EQ(plataforma.mensajes().size(), 1);
        const Mensaje m = plataforma.mensajes().value(0);
        EXPECT_EQ(m.titulo, "Error");
        EXPECT_EQ(m.icono, Icono::Critico);
        EXPECT_EQ(m.botones, Botones::Aceptar);
        EXPECT_EQ(crp_.ultimoError(), m.texto);
        EXPECT_EQ(vistasAbiertas(), 0);
        EXPECT_EQ(crp_.ultimaVista(), nullptr);
        EXPECT_FALSE(plataforma.ocupado());
        return m.texto;
    }
    // The same, with a layout written here.
    QString fallaCon(const QByteArray& diseno) {
        EXPECT_TRUE(escribeBytes(diseno_, diseno));
        return falla();
    }

    QTemporaryDir dir_;
    QString auxiliar_, facturas_, diseno_;
    QByteArray guia_;
    ControlReporte crp_;
};

}  // namespace

// Each run opens a preview of its own, non-modal, that keeps its pages when the sources go.
TEST_F(Control, PantallaAbreUnaVistaNoModalQueSigueSinLasFuentes) {
    PlataformaPrueba plataforma;
    ASSERT_TRUE(crp_.ejecuta());
    QPointer<VistaPrevia> primera = vistaDe(crp_);
    ASSERT_TRUE(crp_.ejecuta());
    // The run has returned while the preview is open: the caller's code goes on.
    VistaPrevia* vista = vistaDe(crp_);
    ASSERT_TRUE(vista && primera && vista != primera);
    primera->close();
    EXPECT_EQ(vistasAbiertas(), 1);
    EXPECT_EQ(vista->windowTitle(), "Guía de reparto");
    EXPECT_GE(plataforma.vecesOcupado(), 1);
    EXPECT_FALSE(plataforma.ocupado());
    EXPECT_EQ(vista->cuentaPaginas(), 3);  // 75 invoices of 8 mm
    // What the report commands do right after the run: the local files go away.
    ASSERT_TRUE(QFile::remove(auxiliar_));
    ASSERT_TRUE(QFile::remove(facturas_));
    ASSERT_TRUE(vista->exportaPdf(dir_.filePath("exportada.pdf")));
    EXPECT_TRUE(textoPdf(dir_.filePath("exportada.pdf")).contains("1075"));
    EXPECT_TRUE(plataforma.mensajes().isEmpty());
}

// Every page and zoom action from the keyboard wherever the focus is, even on the page number,
// which keeps PgUp and PgDown for itself otherwise; pages and zoom stay in their range; Esc
// closes the preview.
TEST_F(Control, NavegacionZoomYEsc) {
    ASSERT_TRUE(crp_.ejecuta());
    QPointer<VistaPrevia> vista = vistaDe(crp_);
    ASSERT_NE(vista, nullptr);
    QApplication::setActiveWindow(vista);
    vista->findChild<QSpinBox*>()->setFocus();
    // The preview opens on the first page; the others come between events.
    EXPECT_EQ(vista->textoPaginas(), "de 1…");
    for (int i = 0; i < 200 && vista->textoPaginas() != "de 3"; ++i)
        QTest::qWait(5);
    EXPECT_EQ(vista->textoPaginas(), "de 3");
    vista->fijaZoom(2.0);
    // Each key with the page and the zoom after it (0: fitted to the width).
    for (const auto& [teclas, pagina, zoom] :
         std::initializer_list<std::tuple<QKeySequence, int, double>>{
             {Qt::Key_PageDown, 2, 2.0},
             {Qt::CTRL | Qt::Key_End, 3, 2.0},
             {Qt::Key_PageDown, 3, 2.0},
             {Qt::Key_PageUp, 2, 2.0},
             {Qt::CTRL | Qt::Key_Home, 1, 2.0},
             {Qt::Key_PageUp, 1, 2.0},
             {Qt::CTRL | Qt::Key_Plus, 1, 2.5},
             {Qt::CTRL | Qt::Key_Minus, 1, 2.0},
             {Qt::CTRL | Qt::Key_0, 1, 0}}) {
        SCOPED_TRACE(qPrintable(teclas.toString()));
        QTest::keySequence(vista, teclas);
        EXPECT_EQ(vista->paginaActual(), pagina);
        EXPECT_EQ(vista->ajustadoAlAncho(), zoom == 0);
        if (zoom > 0) {
            EXPECT_NEAR(vista->zoom(), zoom, 1e-9);
        }
    }
    vista->irAPagina(-4);
    EXPECT_EQ(vista->paginaActual(), 1);
    vista->fijaZoom(50);
    EXPECT_DOUBLE_EQ(vista->zoom(), 4.0);
    QTest::keyClick(vista, Qt::Key_Escape);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(vista.isNull()) << "Esc closes the preview, which goes away";
    EXPECT_EQ(crp_.ultimaVista(), nullptr);
}

// The messages themselves are checked in prueba_diseno and prueba_expresiones; here, that they
// reach the user with the file's own path, line and column.
TEST_F(Control, DisenoQueFaltaOConUnCampoOUnaFuenteDesconocidos) {
    // The invoice's name misspelt in the detail band.
    const int linea =
        static_cast<int>(guia_.left(guia_.indexOf(">Nombre</campo>")).count('\n')) + 1;
    const QString campo = fallaCon(QByteArray(guia_).replace(">Nombre</campo>", ">Nombr</campo>"));
    EXPECT_TRUE(campo.startsWith(QStringLiteral("Error en el diseño «%1», línea %2, columna 5: el "
                                                "campo «Nombr» no existe")
                                     .arg(diseno_)
                                     .arg(linea)))
        << qPrintable(campo);
    // A source the layout uses and the program did not set.
    ASSERT_TRUE(escribeBytes(diseno_, guia_));
    crp_.limpiaFuentes();
    crp_.fijaFuenteDatos(0, auxiliar_);
    EXPECT_EQ(falla(),
              QStringLiteral("Error en el diseño «%1», línea %2, columna 3: el diseño usa "
                             "la fuente de datos 1 («facturas») y el programa no la indicó.")
                  .arg(diseno_)
                  .arg(guia_.left(guia_.indexOf("<fuente numero=\"1\"")).count('\n') + 1));
    ASSERT_TRUE(QFile::remove(diseno_));
    EXPECT_EQ(falla(), "No se encontró el archivo de diseño del reporte «" + diseno_ + "».");
}

TEST_F(Control, FuenteInalcanzableNoDejaNada) {
    const QString falta = dir_.filePath("TEMPORAL0001.MDB");
    crp_.fijaFuenteDatos(0, falta);
    EXPECT_EQ(falla(),
              "No se pudieron leer los datos del reporte: la fuente de datos 0 («empresa», " +
                  falta + ") no se pudo abrir: el archivo no existe.");
    EXPECT_FALSE(QFile::exists(falta)) << "a wrong path never creates a file";
    // A file that is not a database, and a database without the table.
    ASSERT_TRUE(escribeBytes(falta, "esto no es una base de datos, es texto suelto"));
    const QString basura = falla();
    EXPECT_TRUE(basura.endsWith("no se pudo abrir: el archivo no es una base de datos SQLite."))
        << qPrintable(basura);
    crp_.fijaFuenteDatos(0, facturas_);
    const QString tabla = falla();
    EXPECT_TRUE(tabla.endsWith("no se pudo abrir: la tabla «Generales» no existe en el archivo."))
        << qPrintable(tabla);
    // A server source written without its database.
    ASSERT_TRUE(escribeBytes(diseno_, ejemplosDocumentados().value(0)));
    crp_.fijaFuenteDatos(0, auxiliar_);
    crp_.fijaFuenteDatos(1, "tabla sin base");
    EXPECT_EQ(falla(),
              "No se pudieron leer los datos del reporte: la fuente de datos 1 («facturas», tabla "
              "sin base) no se pudo abrir: se esperaba «base.tabla» (por ejemplo "
              "«datos1.tbltemp1»).");
}

// A failure met on a later page, once the preview is open (here a damaged amount in the last
// invoice): the preview closes, one message says why, nothing is left to print or export.
TEST_F(Control, FallaEnUnaPaginaPosteriorCierraLaVistaConUnMensaje) {
    TablaPrueba facturas = facturasDemo(75);
    facturas.filas.back()[6] = Variante("1O5.00");
    creaSqlite(dir_.filePath("danada.db"), "facturas", facturas);
    crp_.fijaFuenteDatos(1, dir_.filePath("danada.db"));
    for (const bool exportando : {false, true}) {
        PlataformaPrueba plataforma;
        ASSERT_TRUE(crp_.ejecuta());
        QPointer<VistaPrevia> vista = vistaDe(crp_);
        ASSERT_TRUE(vista);
        const QString pdf = dir_.filePath("nunca.pdf");
        if (exportando) {
            EXPECT_FALSE(vista->exportaPdf(pdf));
        }
        for (int i = 0; i < 200 && vista; ++i)
            QTest::qWait(5);
        EXPECT_TRUE(vista.isNull());
        EXPECT_FALSE(QFile::exists(pdf));
        ASSERT_EQ(plataforma.mensajes().size(), 1);
        const Mensaje m = plataforma.mensajes().value(0);
        EXPECT_EQ(m.titulo, "Error");
        EXPECT_TRUE(m.texto.contains("no se puede sumar el valor «1O5.00")) << qPrintable(m.texto);
        EXPECT_EQ(crp_.ultimoError(), m.texto);
        EXPECT_FALSE(crp_.ultimoDocumento());
        EXPECT_FALSE(plataforma.ocupado());
    }
}

TEST_F(Control, ImpresoraQueNoHay) {
    // This test runs with a print server that does not exist, so there is no default printer.
    crp_.fijaDestino(ControlReporte::Impresora);
    EXPECT_EQ(falla(),
              "No hay una impresora predeterminada. Instale o elija una impresora en el sistema y "
              "vuelva a intentarlo; el reporte «Guía de reparto» no se imprimió.");
    crp_.fijaImpresora("Bodega");
    EXPECT_EQ(falla(),
              "No se encontró la impresora «Bodega». El reporte «Guía de reparto» no se imprimió.");
}

TEST_F(Control, UnaSegundaEjecucionDuranteLaPrimeraSeRechaza) {
    creaSqlite(dir_.filePath("muchas.db"), "facturas", facturasDemo(1200));
    crp_.fijaFuenteDatos(1, dir_.filePath("muchas.db"));
    PlataformaPrueba plataforma;
    int intentos = 0, aceptados = 0;
    plataforma.alProcesarEventos = [&] {
        // A click on the report button while the first run reads its rows.
        ++intentos;
        if (crp_.ejecuta())
            ++aceptados;
    };
    ASSERT_TRUE(crp_.ejecuta());
    EXPECT_GT(intentos, 0) << "long reads let pending events run";
    EXPECT_EQ(aceptados, 0);
    EXPECT_TRUE(plataforma.mensajes().isEmpty());
    EXPECT_EQ(vistasAbiertas(), 1);
}
