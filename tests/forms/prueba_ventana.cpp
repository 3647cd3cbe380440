// The invoice-list window against the private server (NECESITA_SERVIDOR): composition, series
// list, lookup and list, keyboard, saved list (unreadable and damaged ones too), cancelled
// invoices, closing.

#include <QClipboard>
#include <QStyle>
#include <QStyleOptionViewItem>

#include "AyudaVentana.h"

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
        cnn = preparaBaseVentana(kBase, {"A", "B", ""});
        cnn->ejecuta("INSERT INTO sistema (Dato) VALUES ('FB-X')");
    }
    long long factura(const QString& serie, int numero, const QString& fecha, const QString& nombre,
                      const QString& sub = "1000", const QString& iva = "160") {
        insertaFacturas(*cnn, QString("VALUES ('%1', %2, %3, 'C001', '%4', %5, %6, 0)")
                                  .arg(cnn->escapa(serie))
                                  .arg(numero)
                                  .arg(fecha.isEmpty() ? "NULL" : "'" + fecha + "'")
                                  .arg(cnn->escapa(nombre), sub, iva));
        return cuentaSQL(*cnn, "SELECT LAST_INSERT_ID()");
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
    // No caption cut or overlapping its neighbour at the design size, nor in a wider face.
    const QFont antes = QApplication::font();
    QApplication::setFont(QFont("DejaVu Sans"));
    auto ancha = abreVentana(kBase);
    QApplication::setFont(antes);
    for (frmReporte* w : {v.get(), ancha.get()}) {
        EXPECT_TRUE(textosCortados(*w).isEmpty()) << qPrintable(textosCortados(*w).join(" | "));
        EXPECT_LT(w->Label3->geometry().right(), w->txtReferencia->x());
    }

    // Tab order; Tab reaches only the chosen option.
    EXPECT_EQ(ordenDeTab(v->txtFactura, 12),
              QWidgetList({v->txtFactura, v->cmbSerie, v->cmdAgregar, v->mhgReja, v->cmdBorrar,
                           v->cmdGuardar, v->cmdLeer, v->cmdReporte, v->Command1, v->optDispos[0],
                           v->optDispos[1], v->txtReferencia}));

    // The largest amount shows whole in Total (cells keep a margin each side), and a name with a
    // line break needs no more height than one on one line: it stays on its row.
    Reja& r = *v->mhgReja;
    r.fijaTexto(1, 6, "999,999,999.99");
    const int margen = r.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &r) + 1;
    EXPECT_GE(r.visualRect(r.model()->index(0, 5)).width() - 2 * margen,
              r.fontMetrics().horizontalAdvance("999,999,999.99"));
    QStyleOptionViewItem opcion;
    opcion.initFrom(&r);
    opcion.widget = &r;
    auto alto = [&](const QString& nombre) {
        r.fijaTexto(1, 5, nombre);
        return r.itemDelegate()->sizeHint(opcion, r.model()->index(0, 4)).height();
    };
    const int unaLinea = alto("PANADERÍA");
    for (const char* nombre : {"PANADERÍA\nL'ESPIGA", "PANADERÍA\r\nL'ESPIGA\n", "A\u2028B"})
        EXPECT_EQ(alto(QString::fromUtf8(nombre)), unaLinea) << nombre;

    // Enlarged: the grid takes the space, the bottom row stays at the bottom, the top at the top.
    muestra(*v);
    const int abajo = v->cmdBorrar->y(), arriba = v->txtFactura->y();
    const QSize reja = r.size();
    v->resize(v->width() + 200, v->height() + 150);
    EXPECT_EQ(r.size(), reja + QSize(200, 150));
    EXPECT_EQ(v->cmdBorrar->y(), abajo + 150);
    EXPECT_EQ(v->txtFactura->y(), arriba);
}

TEST_F(Ventana, SeriesYPrimeraActivacion) {
    cnn->ejecuta("INSERT INTO sistema (Dato) VALUES ('FA-10'), ('FA-9')");
    const QString id = QString::number(factura("A", 125, "2009-03-05", "PUBLICO EN GENERAL"));
    const QStringList guardada = {"A",        "125", "05/mar/09", "C001", "PUBLICO EN GENERAL",
                                  "1,160.00", id};
    ASSERT_TRUE(escribeBytes(carpeta.filePath(kArchivoLista),
                             lista::escribe({guardada, {"B", "7", "", "", "OTRO", "", "999"}})));
    auto v = ventanaCon(kBase);
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

    // No series and no list: the empty series alone, and the empty row, numbered.
    cnn->ejecuta("DELETE FROM sistema");
    QFile::remove(carpeta.filePath(kArchivoLista));
    auto vacia = ventanaCon(kBase);
    EXPECT_EQ(vacia->cmbSerie->count(), 1);
    EXPECT_EQ(vacia->cmbSerie->currentText(), "");
    EXPECT_EQ(fila(*vacia, 1), kFilaVacia);
}

TEST_F(Ventana, BusquedaYAgregado) {
    // Amounts that may be NULL, as in older installations; a series with an apostrophe.
    cnn->ejecuta("ALTER TABLE facturas MODIFY IVA double NULL");
    cnn->ejecuta("INSERT INTO sistema (Dato) VALUES ('FA-O''X')");
    const long long apostrofo = factura("O'X", 9, "2012-05-01", "X");
    const long long a125 = factura("A", 125, "2009-03-05", "PANADERÍA L'ESPIGA");
    factura("A", 125, "2010-01-02", "TALLER \"EL GÜERO\"", "0.5", "0");
    const long long sinSerie = factura("", 77, "", "SIN SERIE", "10", "NULL");
    auto v = ventanaCon(kBase);

    // Zero or nothing typed: a beep and no query.
    const long long antes = consultasDeLaVentana(*v);
    for (const char* n : {"", "0", "abc"})
        agrega(*v, n, "A");
    EXPECT_EQ(plataforma.pitidos(), 3);
    EXPECT_EQ(consultasDeLaVentana(*v), antes);
    EXPECT_TRUE(plataforma.mensajes().isEmpty());

    // Missing invoice.
    agrega(*v, "126", "A");
    EXPECT_EQ(plataforma.textos(), QStringList({"Esa factura no está registrada"}));
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
    EXPECT_EQ(plataforma.textos(), QStringList({"Esa factura ya está en la lista"}));
    EXPECT_EQ(v->mhgReja->filas(), 2);

    // The empty series finds the invoice stored without one; a NULL amount leaves Total empty.
    agrega(*v, "77", "");
    EXPECT_EQ(fila(*v, 2),
              QStringList({"2", "", "77", "", "C001", "SIN SERIE", "", QString::number(sinSerie)}));
    plataforma.limpia();
    agrega(*v, "9", "O'X");
    SIN_MENSAJES();
    EXPECT_EQ(v->mhgReja->texto(3, 7), QString::number(apostrofo));

    // Once the first A-125 is gone from the server, the lookup finds the second, a different
    // identifier, which is accepted.
    cnn->ejecuta(QString("DELETE FROM facturas WHERE ID=%1").arg(a125));
    agrega(*v, "125", "A");
    ASSERT_EQ(v->mhgReja->filas(), 5);
    EXPECT_EQ(fila(*v, 4).mid(1, 6),
              QStringList({"A", "125", "02/ene/10", "C001", "TALLER \"EL GÜERO\"", "0.50"}));
}

TEST_F(Ventana, QuitarFacturas) {
    for (int n = 1; n <= 3; ++n)
        factura("A", n, "2013-01-0" + QString::number(n), "F" + QString::number(n));
    auto v = ventanaCon(kBase);
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
    EXPECT_EQ(plataforma.mensajes()[1].texto, "¿Está seguro de quitar de la lista la factura 2?");
    EXPECT_EQ(plataforma.mensajes()[1].predeterminado, Respuesta::No);
    ASSERT_EQ(r.filas(), 3);
    EXPECT_EQ(primeras(1) + " " + primeras(2), "1-A-1 2-A-3");

    // The duplicate check follows the removal: 2 is taken again, 3 is still refused.
    plataforma.limpia();
    agrega(*v, "3", "A");
    EXPECT_EQ(plataforma.textos(), QStringList({"Esa factura ya está en la lista"}));
    plataforma.limpia();
    agrega(*v, "2", "A");
    SIN_MENSAJES();
    EXPECT_EQ(primeras(3), "3-A-2");

    // Borrar todas: No keeps the list, Yes empties it; the focus returns to the number.
    plataforma.limpia();
    v->txtFactura->setText("55");
    plataforma.responde({Respuesta::No});
    v->cmdBorrar_Click();
    EXPECT_EQ(r.filas(), 4);
    EXPECT_EQ(plataforma.mensajes()[0].texto, "¿Desea quitar todas las facturas de la lista?");
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

TEST_F(Ventana, ListaGuardada) {
    const QList<QStringList> guardada = {
        {"A", "1", "03/feb/14", "C001", "TALLER \"EL GÜERO\", S.A.", "12,345.60",
         QString::number(
             factura("A", 1, "2014-02-03", "TALLER \"EL GÜERO\", S.A.", "12345.6", "0"))},
        {"B", "2", "04/feb/14", "C001", "PANADERÍA L'ESPIGA", "1,160.00",
         QString::number(factura("B", 2, "2014-02-04", "PANADERÍA L'ESPIGA"))}};
    auto v = ventanaCon(kBase);
    const QString archivo = carpeta.filePath(kArchivoLista);
    const QByteArray vacia = "\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n";

    // Closing with an empty list still asks; Yes writes one line of seven empty fields.
    plataforma.responde({Respuesta::Si});
    v->Form_QueryUnload();
    EXPECT_EQ(plataforma.mensajes()[0].texto, "¿Desea grabar la lista de facturas?");
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

TEST_F(Ventana, TeclasQueNoPierdenLaLista) {
    const long long id = factura("A", 41, "2015-06-01", "UNO");
    auto v = ventanaCon(kBase);
    // Number, Enter, series, Enter, Enter: the invoice is listed.
    v->txtFactura->setFocus();
    QApplication::processEvents();
    teclea(v->txtFactura, "4a1");  // a letter beeps and is dropped
    EXPECT_EQ(plataforma.pitidos(), 1);
    EXPECT_EQ(pulsa(v->txtFactura, Qt::Key_Return), v->cmbSerie);
    EXPECT_EQ(v->mhgReja->filas(), 2);  // Enter in a field adds nothing
    EXPECT_EQ(pulsa(v->cmbSerie, Qt::Key_Return), v->cmdAgregar);
    pulsa(v->cmdAgregar, Qt::Key_Return);
    EXPECT_EQ(v->mhgReja->texto(1, 7), QString::number(id));

    // The reference in capitals, a single quote as a double one; arrows move between fields,
    // and entering a field selects its whole text.
    v->txtReferencia->setFocus();
    QApplication::processEvents();
    teclea(v->txtReferencia, "ruta ñ'1");
    EXPECT_EQ(v->txtReferencia->text(), "RUTA Ñ\"1");
    EXPECT_EQ(pulsa(v->txtReferencia, Qt::Key_Up), v->optDispos[0]);
    v->txtFactura->setFocus();
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(v->txtFactura->selectedText(), "41");
    EXPECT_EQ(pulsa(v->txtFactura, Qt::Key_Down), v->cmbSerie);

    // Esc, wherever the focus is, neither closes the window nor asks anything.
    for (QWidget* w : {static_cast<QWidget*>(v->txtFactura), static_cast<QWidget*>(v->mhgReja),
                       static_cast<QWidget*>(v->cmdGuardar), static_cast<QWidget*>(v.get())}) {
        w->setFocus();
        pulsa(w, Qt::Key_Escape);
        EXPECT_TRUE(v->isVisible()) << qPrintable(w->objectName());
    }
    SIN_MENSAJES();
    EXPECT_FALSE(plataforma.terminado());
    EXPECT_EQ(v->mhgReja->filas(), 2);

    // Pasted into the number, only what typing would take; anything else beeps and is dropped.
    const struct {
        const char* pegado;
        const char* queda;
    } pegados[] = {{"12abc", "41"}, {"1; DROP TABLE x", "41"}, {" 7", "41"}, {"٣", "41"},
                   {"7\n8", "41"},  {"0125", "0125"}};
    for (const auto& p : pegados) {
        plataforma.limpia();
        v->txtFactura->setText("41");
        v->txtFactura->selectAll();
        QApplication::clipboard()->setText(QString::fromUtf8(p.pegado));
        v->txtFactura->paste();
        EXPECT_EQ(v->txtFactura->text(), p.queda) << p.pegado;
        EXPECT_EQ(plataforma.pitidos(), QString(p.queda) == "41" ? 1 : 0) << p.pegado;
    }
}

TEST_F(Ventana, ListaGuardadaIlegible) {
    const QString archivo = carpeta.filePath(kArchivoLista);
    const QString nativo = QDir::toNativeSeparators(archivo);
    const long long id = factura("A", 3, "2016-01-01", "TRES");
    const struct {
        const char* nombre;
        std::function<bool()> prepara;
        const char* motivo;
        bool reemplazable;  // a folder cannot be replaced by a file
    } casos[] = {
        {"carpeta", [&] { return QDir().mkpath(archivo + "/dentro"); }, "es una carpeta", false},
        {"enlace a un archivo que ya no está",
         [&] { return QFile::link(carpeta.filePath("PERDIDA.TXT"), archivo); },
         "No se encontró el archivo", true},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        ASSERT_TRUE(c.prepara());
        auto sigueIgual = [&] {
            return QFileInfo(archivo).isDir() || QFileInfo(archivo).isSymLink();
        };
        plataforma.limpia();
        auto v = ventanaCon(kBase);
        // One message naming the file and the reason; the window starts empty.
        UN_MENSAJE(m);
        EXPECT_TRUE(m.texto.contains(nativo) && m.texto.contains(c.motivo)) << qPrintable(m.texto);
        EXPECT_EQ(fila(*v, 1), kFilaVacia);
        agrega(*v, "3", "A");

        // Closing, Sí to saving and No to replacing that very file: it stays, and so does the
        // window with its list. "Guardar lista" with the default answer keeps it as well.
        plataforma.limpia();
        plataforma.responde({Respuesta::Si, Respuesta::No, Respuesta::Si});
        EXPECT_FALSE(v->Form_QueryUnload());
        EXPECT_FALSE(v->cmdGuardar_Click());
        EXPECT_EQ(fila(*v, 1).value(2), "3");
        ASSERT_EQ(plataforma.mensajes().size(), 4);
        for (int i : {1, 3}) {
            const Mensaje& q = plataforma.mensajes()[i];
            EXPECT_TRUE(q.texto.contains(nativo) && q.texto.contains(c.motivo))
                << qPrintable(q.texto);
            EXPECT_EQ(q.botones, Botones::SiNo);
            EXPECT_EQ(q.predeterminado, Respuesta::No);
        }
        EXPECT_TRUE(sigueIgual());

        // Sí to both replaces it with the window's list (or says why it cannot).
        plataforma.limpia();
        plataforma.responde({Respuesta::Si, Respuesta::Si});
        EXPECT_EQ(v->cmdGuardar_Click(), c.reemplazable);
        if (c.reemplazable) {
            EXPECT_EQ(plataforma.mensajes().size(), 2);
            EXPECT_EQ(lista::lee(texto::decodifica(leeBytes(archivo))).value(0).value(6),
                      QString::number(id));
            QFile::remove(archivo);
        } else {
            ASSERT_EQ(plataforma.mensajes().size(), 3);
            EXPECT_TRUE(plataforma.mensajes()[2].texto.startsWith("No se pudo grabar"));
            EXPECT_TRUE(sigueIgual());
            QDir(archivo).removeRecursively();
        }
    }
}

TEST_F(Ventana, RenglonesQueNoNombranFacturaYEnlacePlantado) {
    const QString uno = QString::number(factura("A", 1, "2017-01-01", "UNO"));
    const QString dos = QString::number(factura("A", 2, "2017-01-02", "DOS"));
    const QString archivo = carpeta.filePath(kArchivoLista);
    auto renglon = [](const QString& n, const QString& id) {
        return QStringList{"A", n, "", "", "", "", id};
    };
    ASSERT_TRUE(escribeBytes(
        archivo, lista::escribe({renglon("1", uno), renglon("9", "1; DROP TABLE x"),
                                 renglon("9", "&H10"), renglon("2", dos), renglon("9", "12abc"),
                                 renglon("1", uno), QStringList()})));
    // A link planted where a temporary of a fixed name would go, towards another file.
    const QString otro = carpeta.filePath("OTRO.TXT");
    ASSERT_TRUE(escribeBytes(otro, "no tocar"));
    ASSERT_TRUE(QFile::link(otro, archivo + ".nuevo"));

    auto v = ventanaCon(kBase);
    UN_MENSAJE(aviso);
    for (const char* dejado : {"renglón 2 ", "renglón 3 ", "renglón 5 ", "renglón 6 "})
        EXPECT_TRUE(aviso.texto.contains(dejado)) << dejado << " " << qPrintable(aviso.texto);
    for (const char* tomado : {"renglón 1 ", "renglón 4 ", "renglón 7"})
        EXPECT_FALSE(aviso.texto.contains(tomado)) << tomado;
    ASSERT_EQ(v->mhgReja->filas(), 3);
    EXPECT_EQ(v->mhgReja->texto(1, 7), uno);
    EXPECT_EQ(v->mhgReja->texto(2, 7), dos);

    // Saving does not write through the link.
    plataforma.responde(Respuesta::Si);
    EXPECT_TRUE(v->cmdGuardar_Click());
    EXPECT_EQ(leeBytes(otro), "no tocar");
    EXPECT_FALSE(QFileInfo(archivo).isSymLink());
    EXPECT_EQ(leeBytes(archivo), lista::escribe({renglon("1", uno), renglon("2", dos)}));
}

TEST_F(Ventana, FacturaCancelada) {
    const long long cancelada = factura("A", 50, "2018-01-01", "CANCELADA");
    cnn->ejecuta(QString("UPDATE facturas SET Cancelada=1 WHERE ID=%1").arg(cancelada));
    auto v = ventanaCon(kBase);
    // Warned and asked; No (the default) leaves it out, Sí lists it.
    for (Respuesta r : {Respuesta::No, Respuesta::Si}) {
        plataforma.limpia();
        plataforma.responde(r);
        agrega(*v, "50", "A");
        UN_MENSAJE(m);
        EXPECT_TRUE(m.texto.startsWith("La factura A-50 está cancelada")) << qPrintable(m.texto);
        EXPECT_EQ(m.botones, Botones::SiNo);
        EXPECT_EQ(m.predeterminado, Respuesta::No);
        EXPECT_EQ(v->mhgReja->texto(1, 7), r == Respuesta::Si ? QString::number(cancelada) : "");
    }
    // An invoice not cancelled, and a server without the column: listed as always.
    factura("A", 51, "2018-01-02", "VIGENTE");
    cnn->ejecuta("ALTER TABLE facturas DROP COLUMN Cancelada");
    factura("A", 52, "2018-01-03", "OTRA");
    plataforma.limpia();
    agrega(*v, "51", "A");
    agrega(*v, "52", "A");
    SIN_MENSAJES();
    EXPECT_EQ(v->mhgReja->filas(), 4);
}
