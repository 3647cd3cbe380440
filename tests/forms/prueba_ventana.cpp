// The invoice-list window against the private server (NECESITA_SERVIDOR): composition, series
// list, lookup and list, keyboard, saved list, closing.

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "AyudaVentana.h"
#include "CarpetaTemporal.h"
#include "forms/main/ArchivoLista.h"

using namespace quilmaro;
using namespace quilmaro::prueba;

namespace {

const QString kBase = QStringLiteral("ventana1");
const QStringList kFilaVacia = {"1", "", "", "", "", "", "", ""};

// Types text into a widget as key presses, one character at a time (any letter, "ñ" included).
void teclea(QWidget* w, const QString& texto) {
    for (QChar c : texto) {
        const int tecla = c.isLetter() ? Qt::Key_A : Qt::Key_unknown;
        QKeyEvent abajo(QEvent::KeyPress, tecla, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &abajo);
        QKeyEvent arriba(QEvent::KeyRelease, tecla, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &arriba);
    }
}

// A key pressed on a widget, and what it leads to run; answers the widget with the focus then.
QWidget* pulsa(QWidget* w, Qt::Key tecla) {
    QTest::keyClick(w, tecla);
    QApplication::processEvents();
    return QApplication::focusWidget();
}

class Ventana : public PruebaVentana {
  protected:
    void SetUp() override {
        PruebaVentana::SetUp();
        cnn = preparaBaseVentana(kBase);
        cnn->ejecuta("INSERT INTO sistema (Dato) VALUES ('FA-A'), ('FA-B'), ('FA-'), ('FB-X')");
    }
    long long factura(const QString& serie, int numero, const QString& fecha, const QString& nombre,
                      const QString& sub = "1000", const QString& iva = "160") {
        cnn->ejecuta(QString("INSERT INTO facturas (Serie, Factura, Fecha, Cliente, Nombre, "
                             "Subtotal, IVA, ImpuestoAd) VALUES ('%1', %2, %3, 'C001', '%4', %5, "
                             "%6, 0)")
                         .arg(cnn->escapa(serie))
                         .arg(numero)
                         .arg(fecha.isEmpty() ? "NULL" : "'" + fecha + "'")
                         .arg(cnn->escapa(nombre), sub, iva));
        return cuentaSQL(*cnn, "SELECT LAST_INSERT_ID()");
    }
    // The window after its first activation; shown (and active) when asked.
    std::unique_ptr<frmReporte> ventana(bool mostrada = false) {
        auto v = abreVentana(kBase);
        if (mostrada)
            muestra(*v);
        else
            v->Form_Activate();
        return v;
    }
    // Types the number, picks the series and presses Agregar.
    void agrega(frmReporte& v, const QString& numero, const QString& serie) {
        v.txtFactura->setText(numero);
        v.cmbSerie->setCurrentIndex(v.cmbSerie->findText(serie));
        v.cmdAgregar_Click();
    }
    QStringList fila(frmReporte& v, int r) {
        QStringList celdas;
        for (int c = 0; c < 8; ++c)
            celdas << v.mhgReja->texto(r, c);
        return celdas;
    }
    // SELECTs the window's own connection has sent so far.
    long long consultasDeLaVentana(frmReporte& v) {
        auto rs = v.cnnDatos()->ejecuta("SHOW SESSION STATUS LIKE 'Com_select'");
        return rs && !rs->eof() ? QString::fromUtf8(*rs->campo(1).textoServidor()).toLongLong()
                                : -1;
    }

    std::shared_ptr<Conexion> cnn;
};

}  // namespace

TEST_F(Ventana, Composicion) {
    auto v = abreVentana(kBase);
    EXPECT_EQ(v->windowTitle(), "Quilmaro");
    const int dpi = v->logicalDpiX();
    auto px = [&](int t) { return qRound(t * dpi / 1440.0); };
    EXPECT_EQ(v->size(), QSize(px(10545), px(6375)));
    EXPECT_EQ(v->mhgReja->geometry(), QRect(px(0), px(600), px(10455), px(4815)));
    // A caption may take room up to its neighbour to show whole.
    EXPECT_GE(v->optDispos[1]->width(), px(1095));
    EXPECT_LT(v->optDispos[1]->geometry().right(), v->cmdBorrar->x());
    EXPECT_LT(v->Label1->geometry().right(), v->txtFactura->x());
    EXPECT_GE(v->Label1->width(), v->Label1->sizeHint().width());
    EXPECT_EQ(v->Label2->text(), "Pulse SUPR en la factura que desee quitar de la lista");
    EXPECT_EQ(v->cmdReporte->text(), "Guía de &reparto");
    EXPECT_EQ(v->Command1->text(), "&Formato de cobranza");
    EXPECT_EQ(v->cmdGuardar->text(), "&Guardar lista");

    // Tab order; Tab reaches only the chosen option.
    QList<QWidget*> orden = {v->txtFactura, v->cmbSerie,     v->cmdAgregar,   v->mhgReja,
                             v->cmdBorrar,  v->cmdGuardar,   v->cmdLeer,      v->cmdReporte,
                             v->Command1,   v->optDispos[0], v->optDispos[1], v->txtReferencia};
    for (int i = 0; i + 1 < orden.size(); ++i) {
        QWidget* siguiente = orden[i]->nextInFocusChain();
        while (siguiente->focusPolicy() == Qt::NoFocus)
            siguiente = siguiente->nextInFocusChain();
        EXPECT_EQ(siguiente, orden[i + 1]) << i;
    }
    EXPECT_TRUE(v->optDispos[0]->isChecked());
    EXPECT_EQ(v->optDispos[0]->focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(v->optDispos[1]->focusPolicy(), Qt::ClickFocus);
    v->optDispos[1]->setChecked(true);
    EXPECT_EQ(v->optDispos[0]->focusPolicy(), Qt::ClickFocus);

    // The grid: headers, hidden identifier, one empty data row.
    Reja& r = *v->mhgReja;
    EXPECT_EQ(r.columnas(), 8);
    EXPECT_EQ(r.filas(), 2);
    const QStringList titulos = {"Serie", "Factura", "Fecha", "Cliente", "Nombre", "Total", "Id"};
    for (int c = 0; c < 7; ++c)
        EXPECT_EQ(r.texto(0, c + 1), titulos[c]);
    EXPECT_TRUE(r.isColumnHidden(6));
    EXPECT_EQ(r.alineacion(6), Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(r.alineacion(5), Qt::AlignLeft | Qt::AlignTop);

    // Enlarged: the grid takes the space, the bottom row stays at the bottom, the top at the top.
    muestra(*v);
    const int abajo = v->cmdBorrar->y(), arriba = v->txtFactura->y();
    v->resize(v->width() + 200, v->height() + 150);
    EXPECT_EQ(r.size(), QSize(px(10455) + 200, px(4815) + 150));
    EXPECT_EQ(v->cmdBorrar->y(), abajo + 150);
    EXPECT_EQ(v->txtFactura->y(), arriba);
}

TEST_F(Ventana, SeriesYPrimeraActivacion) {
    cnn->ejecuta("INSERT INTO sistema (Dato) VALUES ('FA-10'), ('FA-9')");
    const QStringList guardada = {
        "A",
        "125",
        "05/mar/09",
        "C001",
        "PUBLICO EN GENERAL",
        "1,160.00",
        QString::number(factura("A", 125, "2009-03-05", "PUBLICO EN GENERAL"))};
    ASSERT_TRUE(escribeBytes(carpeta.filePath(kArchivoLista),
                             lista::escribe({guardada, {"B", "7", "", "", "OTRO", "", "999"}})));
    auto v = ventana(true);
    QStringList items;
    for (int i = 0; i < v->cmbSerie->count(); ++i)
        items << v->cmbSerie->itemText(i);
    EXPECT_EQ(items, QStringList({"10", "9", "A", "B", ""}));  // server order; "FA-" left out
    EXPECT_EQ(v->cmbSerie->currentIndex(), 0);
    EXPECT_EQ(fila(*v, 1), QStringList{"1"} + guardada);
    EXPECT_EQ(fila(*v, 2).value(0), "2");
    EXPECT_EQ(QApplication::focusWidget(), v->txtFactura);

    // A second activation adds nothing and reads nothing.
    v->mhgReja->fijaTexto(1, 5, "CAMBIADO");
    v->Form_Activate();
    EXPECT_EQ(v->cmbSerie->count(), 5);
    EXPECT_EQ(v->mhgReja->texto(1, 5), "CAMBIADO");
}

TEST_F(Ventana, SinSeriesSoloElVacio) {
    cnn->ejecuta("DELETE FROM sistema");
    auto v = ventana();
    EXPECT_EQ(v->cmbSerie->count(), 1);
    EXPECT_EQ(v->cmbSerie->currentText(), "");
    EXPECT_EQ(fila(*v, 1), kFilaVacia);  // the empty row, numbered
}

TEST_F(Ventana, BusquedaYAgregado) {
    // Amounts that may be NULL, as in older installations; a series with an apostrophe.
    cnn->ejecuta("ALTER TABLE facturas MODIFY IVA double NULL");
    cnn->ejecuta("INSERT INTO sistema (Dato) VALUES ('FA-O''X')");
    const long long apostrofo = factura("O'X", 9, "2012-05-01", "X");
    const long long a125 = factura("A", 125, "2009-03-05", "PANADERÍA L'ESPIGA");
    factura("A", 125, "2010-01-02", "TALLER \"EL GÜERO\"", "0.5", "0");
    const long long sinSerie = factura("", 77, "", "SIN SERIE", "10", "NULL");
    auto v = ventana();

    // Zero or nothing typed: a beep and no query.
    const long long antes = consultasDeLaVentana(*v);
    for (const char* n : {"", "0", "abc"})
        agrega(*v, n, "A");
    EXPECT_EQ(plataforma.pitidos(), 3);
    EXPECT_EQ(consultasDeLaVentana(*v), antes);
    EXPECT_TRUE(plataforma.mensajes().isEmpty());

    // Missing invoice.
    agrega(*v, "126", "A");
    ASSERT_EQ(plataforma.mensajes().size(), 1);
    EXPECT_EQ(plataforma.mensajes()[0].texto, "Esa factura no está registrada");
    EXPECT_EQ(plataforma.mensajes()[0].titulo, "ERROR");
    EXPECT_EQ(plataforma.mensajes()[0].icono, Icono::Critico);
    EXPECT_EQ(v->mhgReja->filas(), 2);

    // "0125" is invoice 125; the empty row goes. Of two rows for A-125 the first is taken.
    agrega(*v, "0125", "A");
    EXPECT_EQ(v->mhgReja->filas(), 2);
    EXPECT_EQ(fila(*v, 1), QStringList({"1", "A", "125", "05/mar/09", "C001", "PANADERÍA L'ESPIGA",
                                        "1,160.00", QString::number(a125)}));
    EXPECT_EQ(v->txtFactura->selectedText(), "0125");
    EXPECT_TRUE(v->cmdAgregar->isEnabled());
    EXPECT_FALSE(plataforma.ocupado());
    EXPECT_EQ(plataforma.vecesOcupado(), 1);

    // The same invoice again: refused, list unchanged.
    plataforma.limpia();
    agrega(*v, "125", "A");
    ASSERT_EQ(plataforma.mensajes().size(), 1);
    EXPECT_EQ(plataforma.mensajes()[0].texto, "Esa factura ya está en la lista");
    EXPECT_EQ(plataforma.mensajes()[0].titulo, "Atención");
    EXPECT_EQ(v->mhgReja->filas(), 2);

    // The empty series finds the invoice stored without one; a NULL amount leaves Total empty.
    agrega(*v, "77", "");
    EXPECT_EQ(fila(*v, 2),
              QStringList({"2", "", "77", "", "C001", "SIN SERIE", "", QString::number(sinSerie)}));
    plataforma.limpia();
    agrega(*v, "9", "O'X");
    EXPECT_TRUE(plataforma.mensajes().isEmpty()) << qPrintable(plataforma.textos().join("|"));
    EXPECT_EQ(v->mhgReja->texto(3, 7), QString::number(apostrofo));
}

TEST_F(Ventana, DosFacturasConElMismoNumero) {
    const long long uno = factura("B", 5, "2011-11-11", "UNO");
    auto v = ventana();
    agrega(*v, "5", "B");
    const long long dos = factura("B", 5, "2011-11-12", "DOS", "0.5", "0");
    // The lookup finds the first row for B-5 again (same identifier): refused as a duplicate.
    agrega(*v, "5", "B");
    EXPECT_EQ(plataforma.textos(), QStringList({"Esa factura ya está en la lista"}));
    // Once the first is gone from the server, the lookup finds the second, a different
    // identifier, which is accepted.
    cnn->ejecuta(QString("DELETE FROM facturas WHERE ID=%1").arg(uno));
    agrega(*v, "5", "B");
    ASSERT_EQ(v->mhgReja->filas(), 3);
    EXPECT_EQ(fila(*v, 2), QStringList({"2", "B", "5", "12/nov/11", "C001", "DOS", "0.50",
                                        QString::number(dos)}));
}

TEST_F(Ventana, QuitarFacturas) {
    for (int n = 1; n <= 3; ++n)
        factura("A", n, "2013-01-0" + QString::number(n), "F" + QString::number(n));
    auto v = ventana(true);
    for (const char* n : {"1", "2", "3"})
        agrega(*v, n, "A");
    Reja& r = *v->mhgReja;
    auto primeras = [&](int f) { return fila(*v, f).mid(0, 3).join('-'); };
    r.setFocus();

    // Shift+Delete does nothing; Delete on row 2, answered No, then Yes.
    r.setCurrentCell(1, 1);
    QTest::keyClick(&r, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_TRUE(plataforma.mensajes().isEmpty());
    plataforma.responde({Respuesta::No, Respuesta::Si});
    QTest::keyClick(&r, Qt::Key_Delete);
    EXPECT_EQ(r.filas(), 4);
    QTest::keyClick(&r, Qt::Key_Delete);
    ASSERT_EQ(plataforma.mensajes().size(), 2);
    const Mensaje& m = plataforma.mensajes()[1];
    EXPECT_EQ(m.texto, "¿Está seguro de quitar de la lista la factura 2?");
    EXPECT_EQ(m.titulo, "Quitar factura");
    EXPECT_EQ(m.botones, Botones::SiNo);
    EXPECT_EQ(m.predeterminado, Respuesta::No);
    EXPECT_EQ(m.icono, Icono::Pregunta);
    ASSERT_EQ(r.filas(), 3);
    EXPECT_EQ(primeras(1) + " " + primeras(2), "1-A-1 2-A-3");

    // The duplicate check follows the removal: 2 is taken again, 3 is still refused.
    plataforma.limpia();
    agrega(*v, "3", "A");
    EXPECT_EQ(plataforma.textos(), QStringList({"Esa factura ya está en la lista"}));
    plataforma.limpia();
    agrega(*v, "2", "A");
    EXPECT_TRUE(plataforma.mensajes().isEmpty()) << qPrintable(plataforma.textos().join("|"));
    EXPECT_EQ(primeras(3), "3-A-2");

    // Borrar todas: No keeps the list, Yes empties it; the focus returns to the number.
    plataforma.limpia();
    v->txtFactura->setText("55");
    plataforma.responde({Respuesta::No});
    v->cmdBorrar_Click();
    EXPECT_EQ(r.filas(), 4);
    EXPECT_EQ(plataforma.mensajes()[0].texto, "¿Desea quitar todas las facturas de la lista?");
    EXPECT_EQ(plataforma.mensajes()[0].titulo, "Quitar todo");
    EXPECT_EQ(v->txtFactura->selectedText(), "55");
    plataforma.responde({Respuesta::Si});
    v->cmdBorrar_Click();
    EXPECT_EQ(fila(*v, 1), kFilaVacia);
    EXPECT_EQ(r.filas(), 2);

    // Delete on the only invoice leaves the empty row numbered 1; on the empty row, nothing.
    agrega(*v, "3", "A");
    EXPECT_EQ(primeras(1), "1-A-3");  // no longer listed
    plataforma.limpia();
    plataforma.responde({Respuesta::Si});
    r.setCurrentCell(0, 1);
    QTest::keyClick(&r, Qt::Key_Delete);
    EXPECT_EQ(fila(*v, 1), kFilaVacia);
    QTest::keyClick(&r, Qt::Key_Delete);
    EXPECT_EQ(plataforma.mensajes().size(), 1);
}

TEST_F(Ventana, Teclado) {
    auto v = ventana(true);
    v->txtFactura->setFocus();
    QApplication::processEvents();
    teclea(v->txtFactura, "12a.5");
    EXPECT_EQ(v->txtFactura->text(), "12.5");
    EXPECT_EQ(plataforma.pitidos(), 1);
    EXPECT_EQ(pulsa(v->txtFactura, Qt::Key_Return), v->cmbSerie);
    EXPECT_EQ(v->txtFactura->text(), "12.5");  // Enter adds nothing
    EXPECT_EQ(pulsa(v->cmbSerie, Qt::Key_Return), v->cmdAgregar);

    v->txtReferencia->setFocus();
    QApplication::processEvents();
    teclea(v->txtReferencia, "ruta ñ'1");
    EXPECT_EQ(v->txtReferencia->text(), "RUTA Ñ\"1");
    EXPECT_EQ(pulsa(v->txtReferencia, Qt::Key_Up), v->optDispos[0]);

    // Entering a field selects its whole text.
    v->txtFactura->setFocus();
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(v->txtFactura->selectedText(), "12.5");
    EXPECT_EQ(pulsa(v->txtFactura, Qt::Key_Down), v->cmbSerie);
}

TEST_F(Ventana, ListaGuardada) {
    const QList<QStringList> guardada = {
        {"A", "1", "03/feb/14", "C001", "TALLER \"EL GÜERO\", S.A.", "12,345.60",
         QString::number(
             factura("A", 1, "2014-02-03", "TALLER \"EL GÜERO\", S.A.", "12345.6", "0"))},
        {"B", "2", "04/feb/14", "C001", "PANADERÍA L'ESPIGA", "1,160.00",
         QString::number(factura("B", 2, "2014-02-04", "PANADERÍA L'ESPIGA"))}};
    auto v = ventana();
    const QString archivo = carpeta.filePath(kArchivoLista);
    const QByteArray vacia = "\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n";

    // Closing with an empty list still asks; Yes writes one line of seven empty fields.
    plataforma.responde({Respuesta::Si});
    v->Form_QueryUnload();
    EXPECT_EQ(plataforma.mensajes()[0].texto, "¿Desea grabar la lista de facturas?");
    EXPECT_EQ(plataforma.mensajes()[0].titulo, "Grabar");
    EXPECT_EQ(plataforma.mensajes()[0].predeterminado, Respuesta::No);
    EXPECT_EQ(leeBytes(archivo), vacia);

    agrega(*v, "1", "A");
    agrega(*v, "2", "B");
    plataforma.responde({Respuesta::No, Respuesta::Si});
    v->cmdGuardar_Click();
    EXPECT_EQ(leeBytes(archivo), vacia);  // No: untouched
    v->cmdGuardar_Click();
    EXPECT_EQ(leeBytes(archivo), lista::escribe(guardada));

    // Read on request with invoices listed: a warning first; No leaves the list.
    plataforma.limpia();
    v->mhgReja->fijaTexto(1, 5, "EDITADO");
    plataforma.responde({Respuesta::No, Respuesta::Si});
    v->cmdLeer_Click();
    EXPECT_EQ(plataforma.mensajes()[0].texto,
              "Al leer las facturas desde la lista grabada serán eliminadas las que están "
              "actualmente en la ventana. ¿Desea proceder, de cualquier manera?");
    EXPECT_EQ(v->mhgReja->texto(1, 5), "EDITADO");
    v->cmdLeer_Click();
    EXPECT_EQ(v->mhgReja->filas(), 3);
    EXPECT_EQ(fila(*v, 1), QStringList{""} + guardada[0]);  // not renumbered
    // What was read is what the duplicate check knows.
    plataforma.limpia();
    agrega(*v, "2", "B");
    EXPECT_EQ(plataforma.textos(), QStringList({"Esa factura ya está en la lista"}));

    // With an empty list it reads without asking; a zero-byte file is the empty list.
    plataforma.responde({Respuesta::Si});
    v->cmdBorrar_Click();
    plataforma.limpia();
    ASSERT_TRUE(escribeBytes(archivo, ""));
    v->cmdLeer_Click();
    EXPECT_TRUE(plataforma.mensajes().isEmpty());
    EXPECT_EQ(v->mhgReja->filas(), 2);
    EXPECT_EQ(v->mhgReja->texto(1, 2), "");

    // No file: nothing happens.
    QFile::remove(archivo);
    agrega(*v, "1", "A");
    v->cmdLeer_Click();
    EXPECT_EQ(v->mhgReja->texto(1, 2), "1");
}

TEST_F(Ventana, CierreBorraTemporalesYTermina) {
    auto v = ventana();
    for (const char* n : {"TEMPORAL0000.MDB", "TEMPORAL0001.MDB", "temp9.mdb", "Auxiliar.MDB",
                          "TEMPORAL.TXT", "OTRO.MDB", "TEMPFIJO.MDB"})
        ASSERT_TRUE(escribeBytes(carpeta.filePath(n), "x"));
    // One that cannot be deleted must not stop the closing.
    const QString fija = carpeta.filePath("TEMPFIJO.MDB");
    const bool inmutable = QProcess::execute("chattr", {"+i", fija}) == 0;

    EXPECT_THROW(v->Form_Unload(), ProcesoTerminado);
    EXPECT_TRUE(plataforma.terminado());
    if (inmutable)
        QProcess::execute("chattr", {"-i", fija});
    QStringList quedan = QDir(carpeta.path()).entryList(QDir::Files, QDir::Name);
    quedan.removeAll("TEMPFIJO.MDB");  // there or not, as chattr allowed
    EXPECT_EQ(quedan, QStringList({"Auxiliar.MDB", "OTRO.MDB", "TEMPORAL.TXT"}));
    EXPECT_FALSE(v->cnnDatos());  // closed and emptied
}
