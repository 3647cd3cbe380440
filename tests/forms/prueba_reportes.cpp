// The two report commands end to end through the window, against the private server
// (NECESITA_SERVIDOR): working table, local letterhead file, layout, and what is left afterwards.

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSet>
#include <atomic>
#include <thread>

#include "AyudaVentana.h"
#include "CarpetaTemporal.h"
#include "forms/main/ArchivoLista.h"
#include "reportengine/ControlReporte.h"
#include "reportengine/Pintor.h"
#include "reports/Reportes.h"

using namespace quilmaro;
using namespace quilmaro::prueba;

namespace {

const QString kBase = QStringLiteral("reportes1");

class Reportes : public PruebaVentana {
  protected:
    void SetUp() override {
        PruebaVentana::SetUp();
        cnn = preparaBaseVentana(kBase);
        cnn->ejecuta("INSERT INTO sistema (Dato) VALUES ('FA-A'), ('FA-B')");
        cnn->ejecuta(
            "INSERT INTO clientes (Cliente, Nombre, Domicilio, Colonia, CP, Ciudad, Estado, "
            "Telefono) VALUES ('C001', 'PANADERÍA L''ESPIGA', 'CALLE ÑANDÚ 5', 'CENTRO', '58000', "
            "'MORELIA', 'MICHOACÁN', '443 111 2233'), ('C002', 'TALLER \"EL GÜERO\"', 'AV. "
            "MADERO 10', 'VENTURA PUENTE', '58020', 'MORELIA', 'MICHOACÁN', '443 444 5566')");
        // The program folder: the template database and the layouts, as the build puts them.
        for (const char* n : {"Auxiliar.MDB", "guia.rpt", "cobranza.rpt"})
            ASSERT_TRUE(QFile::copy(QStringLiteral(PROGRAMA_DIR "/") + n, carpeta.filePath(n)));
    }

    long long factura(const QString& serie, int numero, const QString& cliente,
                      const QString& nombre, const QString& total) {
        cnn->ejecuta(QString("INSERT INTO facturas (Serie, Factura, Fecha, Cliente, Nombre, "
                             "Subtotal, IVA, ImpuestoAd) VALUES ('%1', %2, '2015-06-0%3', '%4', "
                             "'%5', %6, 0, 0)")
                         .arg(serie)
                         .arg(numero)
                         .arg(numero % 9 + 1)
                         .arg(cliente, cnn->escapa(nombre), total));
        return cuentaSQL(*cnn, "SELECT LAST_INSERT_ID()");
    }
    void agrega(frmReporte& v, int numero, const QString& serie) {
        v.txtFactura->setText(QString::number(numero));
        v.cmbSerie->setCurrentIndex(v.cmbSerie->findText(serie));
        v.cmdAgregar_Click();
    }
    // Working tables and local files left behind.
    long long tablasDeTrabajo() {
        return cuentaSQL(*cnn,
                         "SELECT COUNT(*) FROM information_schema.tables WHERE "
                         "table_schema='" +
                             kBase + "' AND table_name LIKE 'tbltemp%'");
    }
    QStringList temporales() { return QDir(carpeta.path()).entryList({"TEMP*.MDB"}, QDir::Files); }
    // Every text of the report's pages, page after page, item after item.
    static QString textoDe(const reporte::Documento& doc) {
        QString t;
        for (const auto& p : doc.paginas)
            for (const auto& e : p.elementos)
                if (e.tipo == reporte::ElementoPagina::Tipo::Texto)
                    t += e.texto + "\n";
        return t;
    }

    std::shared_ptr<Conexion> cnn;
};

}  // namespace

TEST_F(Reportes, GuiaEnPantallaEnElOrdenDeLaLista) {
    const long long a = factura("A", 30, "C001", "PANADERÍA L'ESPIGA", "1160");
    const long long b = factura("A", 10, "C002", "TALLER \"EL GÜERO\"", "99.5");
    const long long c = factura("B", 20, "C001", "PANADERÍA L'ESPIGA", "0.5");
    auto v = abreVentana(kBase);
    muestra(*v);
    // The clerk's order (by route): B-20, A-30, A-10; not the order of the identifiers.
    agrega(*v, 20, "B");
    agrega(*v, 30, "A");
    agrega(*v, 10, "A");
    v->txtReferencia->setText("RUTA NORTE DEL 1 AL 5 DE JUNIO");
    v->cmdLeer->setFocus();  // the preview opens: the focus is not moved back
    v->txtFactura->setText("10");
    plataforma.limpia();

    v->cmdReporte_Click();
    EXPECT_TRUE(plataforma.mensajes().isEmpty()) << qPrintable(plataforma.textos().join("|"));
    reporte::ControlReporte& crp = *v->crpReport();
    EXPECT_EQ(crp.destino(), 0);
    EXPECT_EQ(crp.archivoReporte(), carpeta.filePath("guia.rpt"));
    EXPECT_TRUE(crp.fuenteDatos(0).contains("TEMPORAL0000.MDB"));
    EXPECT_TRUE(crp.fuenteDatos(1).startsWith(kBase + ".tbltemp"));
    EXPECT_TRUE(crp.fuenteDatos(2).isEmpty());
    ASSERT_TRUE(crp.ultimaVista());
    EXPECT_TRUE(crp.ultimaVista()->isVisible());  // non-modal: we are here while it is open
    ASSERT_TRUE(crp.ultimoDocumento());

    const QString texto = textoDe(*crp.ultimoDocumento());
    EXPECT_TRUE(texto.contains("ABARROTES LA ESPERANZA, S.A. DE C.V."));
    EXPECT_TRUE(texto.contains("RUTA NORTE DEL 1 AL 5 DE JUNIO"));
    EXPECT_TRUE(texto.contains("GUÍA DE REPARTO"));
    EXPECT_TRUE(texto.contains("Página 1 de 1"));
    const qsizetype p20 = texto.indexOf("\n20\n"), p30 = texto.indexOf("\n30\n"),
                    p10 = texto.indexOf("\n10\n");
    ASSERT_GE(p20, 0);
    EXPECT_LT(p20, p30);
    EXPECT_LT(p30, p10);
    EXPECT_TRUE(texto.contains("1,260.00"));  // 1160 + 99.5 + 0.5
    EXPECT_TRUE(texto.contains("TALLER \"EL GÜERO\""));

    // Nothing left behind; the list as it was; the focus where it was, the number selected.
    EXPECT_EQ(tablasDeTrabajo(), 0);
    EXPECT_TRUE(temporales().isEmpty());
    EXPECT_EQ(v->mhgReja->filas(), 4);
    EXPECT_EQ(v->mhgReja->texto(1, 2), "20");
    EXPECT_EQ(QApplication::focusWidget(), v->cmdLeer);
    EXPECT_EQ(v->txtFactura->selectedText(), "10");
    Q_UNUSED(a);
    Q_UNUSED(b);
    Q_UNUSED(c);

    // The same pages to a real PDF: every invoice once, in the clerk's order, accents intact.
    const QString pdf = carpeta.filePath("guia.pdf");
    reporte::exportaPdf(*crp.ultimoDocumento(), pdf);
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString textoPdf = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(textoPdf.contains("GUÍA DE REPARTO"));
    EXPECT_TRUE(textoPdf.contains("PANADERÍA L'ESPIGA"));
    const QRegularExpression filas("^\\s*(\\d+)\\s+([AB])\\s+(\\d+)\\s",
                                   QRegularExpression::MultilineOption);
    QStringList orden;
    for (auto it = filas.globalMatch(textoPdf); it.hasNext();) {
        const auto m = it.next();
        orden << m.captured(2) + "-" + m.captured(3);
    }
    EXPECT_EQ(orden, QStringList({"B-20", "A-30", "A-10"}));
}

TEST_F(Reportes, CobranzaConClientesYPalabras) {
    factura("A", 1, "C001", "PANADERÍA L'ESPIGA", "1234.56");
    factura("A", 2, "C002", "TALLER \"EL GÜERO\"", "100");
    auto v = abreVentana(kBase);
    muestra(*v);
    agrega(*v, 1, "A");
    agrega(*v, 2, "A");
    v->optDispos[0]->setChecked(true);
    v->Command1_Click();
    EXPECT_TRUE(plataforma.mensajes().isEmpty()) << qPrintable(plataforma.textos().join("|"));
    reporte::ControlReporte& crp = *v->crpReport2();
    EXPECT_EQ(crp.archivoReporte(), carpeta.filePath("cobranza.rpt"));
    EXPECT_EQ(crp.fuenteDatos(2), kBase + ".clientes");
    ASSERT_TRUE(crp.ultimoDocumento());
    const QString texto = textoDe(*crp.ultimoDocumento());
    EXPECT_TRUE(texto.contains("FORMATO DE COBRANZA"));
    EXPECT_TRUE(texto.contains("CALLE ÑANDÚ 5")) << qPrintable(texto);
    EXPECT_TRUE(texto.contains("443 444 5566"));
    EXPECT_TRUE(texto.contains("UN MIL DOSCIENTOS TREINTA Y CUATRO PESOS 56/100 M. N."));
    EXPECT_TRUE(texto.contains("UN MIL TRESCIENTOS TREINTA Y CUATRO PESOS 56/100 M. N."));
    EXPECT_TRUE(texto.contains("1,334.56"));
    EXPECT_EQ(tablasDeTrabajo(), 0);
    EXPECT_TRUE(temporales().isEmpty());
    // The previous run's guide control was not touched.
    EXPECT_FALSE(v->crpReport()->ultimoDocumento());
}

TEST_F(Reportes, ListaVaciaSoloAvisa) {
    auto v = abreVentana(kBase);
    muestra(*v);
    v->optDispos[1]->setChecked(true);
    v->cmdReporte_Click();
    ASSERT_EQ(plataforma.mensajes().size(), 1);
    EXPECT_EQ(plataforma.mensajes()[0].texto, "¡No hay facturas en la lista!");
    EXPECT_EQ(plataforma.mensajes()[0].titulo, "Error");
    EXPECT_EQ(plataforma.mensajes()[0].icono, Icono::Critico);
    EXPECT_FALSE(v->crpReport()->ultimoDocumento());
    EXPECT_EQ(tablasDeTrabajo(), 0);
    EXPECT_TRUE(temporales().isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), v->txtFactura);  // printer chosen: focus comes back
}

TEST_F(Reportes, FacturaBorradaEnElServidorSeOmite) {
    factura("A", 1, "C001", "UNO", "1");
    const long long dos = factura("A", 2, "C001", "DOS", "2");
    factura("A", 3, "C001", "TRES", "3");
    auto v = abreVentana(kBase);
    muestra(*v);
    for (int n = 1; n <= 3; ++n)
        agrega(*v, n, "A");
    cnn->ejecuta(QString("DELETE FROM facturas WHERE ID=%1").arg(dos));
    v->cmdReporte_Click();
    EXPECT_TRUE(plataforma.mensajes().isEmpty()) << qPrintable(plataforma.textos().join("|"));
    ASSERT_TRUE(v->crpReport()->ultimoDocumento());
    const QString texto = textoDe(*v->crpReport()->ultimoDocumento());
    EXPECT_TRUE(texto.contains("UNO"));
    EXPECT_FALSE(texto.contains("DOS"));
    EXPECT_TRUE(texto.contains("TRES"));
    EXPECT_TRUE(texto.contains("Facturas en la guía: 2"));
    EXPECT_EQ(v->mhgReja->filas(), 4);  // the list keeps all three
}

TEST_F(Reportes, ListaEditadaAManoCadaFacturaUnaVezEnSuPrimerLugar) {
    const long long uno = factura("A", 1, "C001", "UNO", "1");
    const long long dos = factura("A", 2, "C001", "DOS", "2");
    auto v = abreVentana(kBase);
    muestra(*v);
    // The saved list edited by hand: the second invoice first, the first one twice, and an
    // identifier that is no record number.
    auto registro = [](const QString& numero, const QString& id) {
        return QStringList{"A", numero, "", "", "", "", id};
    };
    ASSERT_TRUE(escribeBytes(
        carpeta.filePath("LISTAFACTURAS.TXT"),
        lista::escribe({registro("2", QString::number(dos)), registro("1", QString::number(uno)),
                        registro("9", "1 OR 1=1"), registro("1", QString::number(uno))})));
    v->LeeLista();
    v->cmdReporte_Click();
    EXPECT_TRUE(plataforma.mensajes().isEmpty()) << qPrintable(plataforma.textos().join("|"));
    ASSERT_TRUE(v->crpReport()->ultimoDocumento());
    const QString texto = textoDe(*v->crpReport()->ultimoDocumento());
    EXPECT_TRUE(texto.contains("Facturas en la guía: 2")) << qPrintable(texto);
    EXPECT_EQ(texto.count("UNO"), 1);
    EXPECT_LT(texto.indexOf("DOS"), texto.indexOf("UNO"));
    EXPECT_EQ(tablasDeTrabajo(), 0);
}

TEST_F(Reportes, DisenoFaltanteAvisaYNoDejaNada) {
    factura("A", 1, "C001", "UNO", "1");
    auto v = abreVentana(kBase);
    muestra(*v);
    agrega(*v, 1, "A");
    QFile::remove(carpeta.filePath("guia.rpt"));
    v->cmdReporte_Click();
    ASSERT_EQ(plataforma.mensajes().size(), 1);
    EXPECT_TRUE(plataforma.mensajes()[0].texto.contains("guia.rpt"));
    EXPECT_EQ(tablasDeTrabajo(), 0);
    EXPECT_TRUE(temporales().isEmpty());
    EXPECT_EQ(v->mhgReja->filas(), 2);

    // Broken: a misspelt field names the file and the line.
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(PROGRAMA_DIR "/guia.rpt"), carpeta.filePath("guia.rpt")));
    QFile f(carpeta.filePath("guia.rpt"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray contenido = f.readAll();
    f.close();
    contenido.replace(">Nombre</campo>", ">Nombr</campo>");
    ASSERT_TRUE(escribeBytes(carpeta.filePath("guia.rpt"), contenido));
    plataforma.limpia();
    v->cmdReporte_Click();
    ASSERT_EQ(plataforma.mensajes().size(), 1);
    EXPECT_TRUE(plataforma.mensajes()[0].texto.contains("línea"))
        << qPrintable(plataforma.mensajes()[0].texto);
    EXPECT_TRUE(plataforma.mensajes()[0].texto.contains("Nombr"));
    EXPECT_EQ(tablasDeTrabajo(), 0);
    EXPECT_TRUE(temporales().isEmpty());
}

TEST_F(Reportes, DosTablasDeTrabajoYLaSiguienteLibre) {
    cnn->ejecuta("CREATE TABLE tbltemp1 (x int)");
    cnn->ejecuta("CREATE TABLE TBLTEMP3 (x int)");
    QString base = kBase, plantilla = "facturas";
    Error e;
    EXPECT_EQ(CreaTablaTrabajo(base, plantilla, &e), "tbltemp2");
    EXPECT_EQ(CreaTablaTrabajo(base, plantilla, &e), "tbltemp4");  // TBLTEMP3 is taken too
    // Same columns, keys and options as the invoice table.
    auto crea = [&](const QString& t) {
        auto rs = cnn->ejecuta("SHOW CREATE TABLE " + t);
        QString s = rs->campo(1).valor().aTexto();
        s.replace("`" + t + "`", "`X`");
        s.remove(QRegularExpression("AUTO_INCREMENT=\\d+ "));
        return s;
    };
    EXPECT_EQ(crea("tbltemp2"), crea("facturas"));
    EXPECT_EQ(cuentaSQL(*cnn, "SELECT COUNT(*) FROM tbltemp2"), 0);
    // A template that does not exist: a failure with its description, no table.
    plantilla = "noexiste";
    EXPECT_EQ(CreaTablaTrabajo(base, plantilla, &e), "");
    EXPECT_EQ(e.numero, errores::SentenciaRechazada);
    EXPECT_FALSE(e.descripcion.isEmpty());
    for (const char* t : {"tbltemp1", "tbltemp2", "TBLTEMP3", "tbltemp4"})
        cnn->ejecuta(QString("DROP TABLE ") + t);
}

TEST_F(Reportes, ListaLargaMuestraSuAvance) {
    // More invoices than the window copies without showing how it goes, in three statements.
    const int n = std::max(frmReporte::kFilasConAvance, 2 * kFacturasPorSentencia) + 5;
    cnn->ejecuta(QString("INSERT INTO facturas (Serie, Factura, Fecha, Cliente, Nombre, Subtotal, "
                         "IVA, ImpuestoAd) SELECT 'A', seq, '2018-01-01', 'C001', 'CLIENTE', seq, "
                         "0, 0 FROM seq_1_to_%1")
                     .arg(n));
    auto v = abreVentana(kBase);
    muestra(*v);
    // The list as a saved file brings it back (faster than adding one by one).
    QList<QStringList> registros;
    auto rs = cnn->ejecuta("SELECT Serie, Factura, ID FROM facturas ORDER BY Factura DESC");
    for (; !rs->eof(); rs->siguiente())
        registros.append({rs->campo(0).valor().aTexto(), rs->campo(1).valor().aTexto(), "", "", "",
                          "", rs->campo(2).valor().aTexto()});
    ASSERT_TRUE(escribeBytes(carpeta.filePath("LISTAFACTURAS.TXT"), lista::escribe(registros)));
    v->LeeLista();
    ASSERT_EQ(v->mhgReja->filas(), n + 1);

    // While the invoices are copied a progress dialog is up and the window gets its events.
    int pasesConAvance = 0, maximo = 0;
    plataforma.alProcesarEventos = [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QProgressDialog*>(w); d && d->isVisible()) {
                ++pasesConAvance;
                maximo = d->maximum();
            }
    };
    v->cmdReporte_Click();
    plataforma.alProcesarEventos = nullptr;
    EXPECT_TRUE(plataforma.mensajes().isEmpty()) << qPrintable(plataforma.textos().join("|"));
    EXPECT_GE(pasesConAvance, 3);
    EXPECT_EQ(maximo, n);
    ASSERT_TRUE(v->crpReport()->ultimoDocumento());
    EXPECT_TRUE(textoDe(*v->crpReport()->ultimoDocumento())
                    .contains(QString("Facturas en la guía: %1").arg(n)));
    // Gone when the report is up; nothing left behind.
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<QProgressDialog*>(w) && w->isVisible());
    EXPECT_EQ(tablasDeTrabajo(), 0);
}

TEST_F(Reportes, DosEstacionesAlMismoTiempo) {
    // Two workstations start a report at the same moment, again and again: each gets a table of
    // its own, and no name is handed out twice.
    QStringList todas;
    for (int ronda = 0; ronda < 15; ++ronda) {
        std::atomic<int> listos{0};
        QString nombres[2];
        Error errores[2];
        auto estacion = [&](int i) {
            QString base = kBase, plantilla = "facturas";
            ++listos;
            while (listos < 2)
                std::this_thread::yield();
            nombres[i] = CreaTablaTrabajo(base, plantilla, &errores[i]);
        };
        std::thread a(estacion, 0), b(estacion, 1);
        a.join();
        b.join();
        ASSERT_FALSE(nombres[0].isEmpty()) << qPrintable(errores[0].descripcion);
        ASSERT_FALSE(nombres[1].isEmpty()) << qPrintable(errores[1].descripcion);
        EXPECT_NE(nombres[0], nombres[1]);
        todas << nombres[0] << nombres[1];
    }
    EXPECT_EQ(QSet<QString>(todas.begin(), todas.end()).size(), todas.size());
    EXPECT_EQ(tablasDeTrabajo(), 30);
    for (const QString& t : todas)
        cnn->ejecuta("DROP TABLE " + t);
    EXPECT_TRUE(plataforma.mensajes().isEmpty());
}

TEST_F(Reportes, BaseLocalConMembrete) {
    stBaseDeDatos = kBase;
    QString archivo = NombreTemporal();
    EXPECT_EQ(archivo, carpeta.filePath("TEMPORAL0000.MDB"));
    ASSERT_TRUE(escribeBytes(archivo, "sobrante"));
    EXPECT_EQ(NombreTemporal(), carpeta.filePath("TEMPORAL0001.MDB"));
    // A name that exists is replaced by a fresh copy of the template.
    PreparaAuxiliar(archivo, "");
    EXPECT_TRUE(plataforma.mensajes().isEmpty()) << qPrintable(plataforma.textos().join("|"));
    QProcess p;
    p.start("sqlite3",
            {archivo, "SELECT Empresa||'|'||RFC||'|'||quote(ParaLasFechas) FROM Generales"});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()).trimmed(),
              "ABARROTES LA ESPERANZA, S.A. DE C.V.|AES9001011A0|''");

    // A company without a letterhead row: the copy is made, Generales stays empty.
    stBaseDeDatos = "sinmembrete";
    QString otro = carpeta.filePath("TEMPORAL0005.MDB");
    PreparaAuxiliar(otro, "X");
    p.start("sqlite3", {otro, "SELECT COUNT(*) FROM Generales"});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()).trimmed(), "0");
}
