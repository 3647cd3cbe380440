// The two report commands end to end through the window, against the private server
// (NECESITA_SERVIDOR): working table, local letterhead file, layout, and what is left afterwards.

#include <QCoreApplication>
#include <QSysInfo>

#include "AyudaVentana.h"
#include "gui/SalidaVentanas.h"
#include "gui/VistaPrevia.h"

using namespace quilmaro;
using namespace quilmaro::prueba;

namespace {

const QString kBase = QStringLiteral("reportes1");

class Reportes : public PruebaVentana {
  protected:
    void SetUp() override {
        PruebaVentana::SetUp();
        cnn = preparaBaseVentana(kBase, {"A", "B"});
        cnn->ejecuta(
            "INSERT INTO clientes (Cliente, Nombre, Domicilio, Colonia, CP, Ciudad, Estado, "
            "Telefono) VALUES ('C001', 'PANADERÍA L''ESPIGA', 'CALLE ÑANDÚ 5', 'CENTRO', '58000', "
            "'MORELIA', 'MICHOACÁN', '443 111 2233'), ('C002', 'TALLER \"EL GÜERO\"', 'AV. "
            "MADERO 10', 'VENTURA PUENTE', '58020', 'MORELIA', 'MICHOACÁN', '443 444 5566')");
        copiaPrograma(carpeta);
    }

    long long factura(const QString& serie, int numero, const QString& cliente,
                      const QString& nombre, const QString& total) {
        insertaFacturas(*cnn, QString("VALUES ('%1', %2, '2015-06-0%3', '%4', '%5', %6, 0, 0)")
                                  .arg(serie)
                                  .arg(numero)
                                  .arg(numero % 9 + 1)
                                  .arg(cliente, cnn->escapa(nombre), total));
        return cuentaSQL(*cnn, "SELECT LAST_INSERT_ID()");
    }
    // No working table on the server and no local file in the program folder left behind.
    void sinRestos() {
        EXPECT_EQ(tablasDeTrabajo(*cnn, kBase), 0);
        EXPECT_EQ(temporalesEn(carpeta.path()), QStringList());
    }

    std::shared_ptr<Conexion> cnn;
};

}  // namespace

TEST_F(Reportes, GuiaEnPantallaEnElOrdenDeLaLista) {
    factura("A", 30, "C001", "PANADERÍA L'ESPIGA", "1160");
    factura("A", 10, "C002", "TALLER \"EL GÜERO\"", "99.5");
    factura("B", 20, "C001", "PANADERÍA L'ESPIGA", "0.5");
    // The clerk's order (by route): B-20, A-30, A-10; not the order of the identifiers.
    auto v = ventanaCon(kBase, {20, 30, 10}, {"B", "A", "A"});
    v->txtReferencia->setText("RUTA NORTE DEL 1 AL 5 DE JUNIO");
    v->cmdLeer->setFocus();  // the preview opens: the focus is not moved back
    v->txtFactura->setText("10");
    plataforma.limpia();

    v->cmdReporte_Click();
    SIN_MENSAJES();
    reporte::ControlReporte& crp = *v->crpReport();
    ASSERT_TRUE(reporte::vistaDe(crp));
    EXPECT_TRUE(reporte::vistaDe(crp)->isVisible());  // non-modal: we are here while it is open

    const QString texto = textoDe(crp);
    for (const char* t : {"ABARROTES LA ESPERANZA, S.A. DE C.V.", "RUTA NORTE DEL 1 AL 5 DE JUNIO",
                          "GUÍA DE REPARTO", "Página 1 de 1", "TALLER \"EL GÜERO\"",
                          "1,260.00"})  // 1160 + 99.5 + 0.5
        EXPECT_TRUE(texto.contains(t)) << t;
    EXPECT_TRUE(QRegularExpression("\n20\n(.|\n)*\n30\n(.|\n)*\n10\n").match(texto).hasMatch());

    // The list as it was; the focus where it was, the number selected; nothing left behind.
    EXPECT_EQ(v->mhgReja->filas(), 4);
    EXPECT_EQ(v->mhgReja->texto(1, 2), "20");
    EXPECT_EQ(QApplication::focusWidget(), v->cmdLeer);
    EXPECT_EQ(v->txtFactura->selectedText(), "10");
    sinRestos();
}

TEST_F(Reportes, ListaVaciaSoloAvisa) {
    auto v = ventanaCon(kBase);
    v->optDispos[1]->setChecked(true);
    v->cmdReporte_Click();
    UN_MENSAJE(m);
    EXPECT_EQ(m.texto, "¡No hay facturas en la lista!");
    EXPECT_EQ(m.titulo, "Error");
    EXPECT_EQ(m.icono, Icono::Critico);
    EXPECT_FALSE(v->crpReport()->ultimoDocumento());
    sinRestos();
    EXPECT_EQ(QApplication::focusWidget(), v->txtFactura);  // printer chosen: focus comes back
}

TEST_F(Reportes, CadaFacturaUnaVezEnSuPrimerLugarYLasBorradasSeOmiten) {
    const long long uno = factura("A", 1, "C001", "UNO", "1");
    const long long dos = factura("A", 2, "C001", "DOS", "2");
    const long long tres = factura("A", 3, "C001", "TRES", "3");
    auto v = ventanaCon(kBase);
    // The saved list edited by hand: the second invoice first, the first one twice, and an
    // identifier that is no record number. The third is then deleted on the server.
    auto registro = [](const QString& numero, long long id) {
        return QStringList{"A", numero, "", "", "", "", QString::number(id)};
    };
    ASSERT_TRUE(escribeBytes(carpeta.filePath(kArchivoLista),
                             lista::escribe({registro("2", dos),
                                             registro("1", uno),
                                             {"A", "9", "", "", "", "", "1 OR 1=1"},
                                             registro("3", tres),
                                             registro("1", uno)})));
    v->LeeLista();
    // Reading leaves out, in one message, the identifier that is no record number and the
    // invoice listed again: the grid shows what the report prints.
    EXPECT_EQ(plataforma.mensajes().size(), 1);
    EXPECT_TRUE(plataforma.textos().join("|").contains("1 OR 1=1"));
    cnn->ejecuta(QString("DELETE FROM facturas WHERE ID=%1").arg(tres));
    plataforma.limpia();
    v->cmdReporte_Click();
    // The clerk is told which one is gone, once, before the report; the others keep the
    // numbers of the list (DOS 1, UNO 2).
    UN_MENSAJE(m);
    EXPECT_TRUE(m.texto.contains(": A-3 (renglón 3).")) << qPrintable(m.texto);
    EXPECT_EQ(m.icono, Icono::Exclamacion);
    const QString texto = textoDe(*v->crpReport());
    EXPECT_TRUE(texto.contains("Facturas en la guía: 2")) << qPrintable(texto);
    EXPECT_EQ(texto.count("UNO"), 1);
    EXPECT_TRUE(texto.contains("\n1\nA\n2\n")) << qPrintable(texto);
    EXPECT_TRUE(texto.contains("\n2\nA\n1\n")) << qPrintable(texto);
    EXPECT_FALSE(texto.contains("TRES"));
    EXPECT_EQ(v->mhgReja->filas(), 4);  // the list keeps the deleted one (and the empty row)
    sinRestos();
}

TEST_F(Reportes, ContenidoDeLasPaginas) {
    // Invoices, ... with these totals (odd ones of C001, even ones of C002), what is
    // changed on the server before they are listed (a cancelled one is listed all the same),
    // the collection format, and what its pages must show and must not.
    const struct {
        const char* nombre;
        QStringList totales, sentencias;
        QStringList muestra, noMuestra;
    } casos[] = {
        {"cobranza con clientes y palabras",
         {"1234.56", "100"},
         {},
         {"FORMATO DE COBRANZA", "CALLE ÑANDÚ 5", "443 444 5566", "1,334.56",
          "UN MIL DOSCIENTOS TREINTA Y CUATRO PESOS 56/100 M. N.",
          "UN MIL TRESCIENTOS TREINTA Y CUATRO PESOS 56/100 M. N."},
         {}},
        {"cancelada y dólares aparte",
         {"100", "50.5", "1000"},
         {"UPDATE facturas SET Moneda='USD', TipoCambio=17.25 WHERE Factura=2",
          "UPDATE facturas SET Cancelada=1 WHERE Factura=3"},
         {"50.50\nUSD", "(CINCUENTA DÓLARES 50/100 USD)", "CANCELADA",
          "Total a cobrar:\n100.00\n(CIEN PESOS 00/100 M. N.)",
          "Total a cobrar:\n50.50\nUSD\n(CINCUENTA DÓLARES 50/100 USD)"},
         {"1,150.50"}},
        // A partitioned invoice table, an invoice without date (nor due date nor capture time):
        // the date blank, never the zero date.
        {"cobranza sin fecha",
         {"10", "20"},
         {"ALTER TABLE facturas PARTITION BY HASH (ID) PARTITIONS 3",
          "UPDATE facturas SET Fecha = NULL, Vencimiento = NULL, Captura = NULL WHERE Factura = 2"},
         {"02/jun/", "TALLER \"EL GÜERO\""},
         {"0000-00-00", "00/00"}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        cnn->ejecuta("DELETE FROM facturas");
        QList<int> numeros;
        for (int i = 1; i <= c.totales.size(); ++i) {
            factura("A", i, i % 2 ? "C001" : "C002",
                    i % 2 ? "PANADERÍA L'ESPIGA" : "TALLER \"EL GÜERO\"", c.totales[i - 1]);
            numeros << i;
        }
        for (const QString& sentencia : c.sentencias)
            cnn->ejecuta(sentencia);
        plataforma.responde(Respuesta::Si);
        auto v = ventanaCon(kBase, numeros);
        ASSERT_EQ(v->mhgReja->filas(), numeros.size() + 1);
        plataforma.limpia();
        v->Command1_Click();
        SIN_MENSAJES();
        const QString texto = textoDe(*v->crpReport2());
        for (const QString& t : c.muestra)
            EXPECT_TRUE(texto.contains(t)) << qPrintable(t) << "\n" << qPrintable(texto);
        for (const QString& t : c.noMuestra)
            EXPECT_FALSE(texto.contains(t)) << qPrintable(t) << "\n" << qPrintable(texto);
        sinRestos();
    }
}

TEST_F(Reportes, LaTablaDeTrabajoEsLaPlantillaConLaColumnaYLaMarcaDeLaCorrida) {
    // Made in one statement where the template allows it, in two where it has a comment of its
    // own or a foreign key (named as the template's): the columns LIKE and ALTER make.
    const auto forma = [&](const QString& t) {
        const QString donde = "WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = '" + t + "'";
        return valorSQL(*cnn,
                        "SELECT CONCAT_WS(' | ', (SELECT GROUP_CONCAT(COLUMN_NAME, ' ', "
                        "COLUMN_TYPE, ' ', IS_NULLABLE, ' ', IFNULL(COLUMN_DEFAULT, '-'), "
                        "' ', EXTRA ORDER BY ORDINAL_POSITION) FROM information_schema."
                        "COLUMNS " +
                            donde +
                            "), (SELECT GROUP_CONCAT(INDEX_NAME, ' ', "
                            "COLUMN_NAME, ' ', NON_UNIQUE ORDER BY INDEX_NAME, SEQ_IN_INDEX) "
                            "FROM information_schema.STATISTICS " +
                            donde +
                            "), (SELECT "
                            "TABLE_COMMENT FROM information_schema.TABLES " +
                            donde + "))")
            .value_or("");
    };
    // The template's change, and what LIKE and ALTER would then make differently: in one
    // statement the primary key is the only key.
    for (const auto& [cambio, ajuste] : std::initializer_list<std::pair<const char*, const char*>>{
             {"", ", DROP INDEX Cliente"},
             {"ALTER TABLE plantilla COMMENT = 'Facturas'", ""},
             {"ALTER TABLE plantilla ADD FOREIGN KEY (Cliente) REFERENCES clientes (Cliente)",
              ""}}) {
        cnn->ejecuta("CREATE TABLE plantilla LIKE facturas");
        if (*cambio)
            cnn->ejecuta(cambio);
        cnn->ejecuta("CREATE TABLE referencia LIKE plantilla");
        cnn->ejecuta(QString("ALTER TABLE referencia ADD COLUMN (`RenglonLista` int NULL), "
                             "COMMENT = 'Q'") +
                     ajuste);
        QString base = kBase, plantilla = "plantilla";
        Error error;
        const QString t = CreaTablaTrabajo(base, plantilla, &error, "`RenglonLista` int NULL", "Q");
        EXPECT_EQ(t, "tbltemp1") << cambio << qPrintable(error.descripcion);
        EXPECT_EQ(forma(t), forma("referencia")) << cambio;
        EXPECT_TRUE(forma(t).contains("RenglonLista int(11) YES NULL  | ")) << cambio;
        cnn->ejecuta("DROP TABLE IF EXISTS tbltemp1, referencia, plantilla");
    }
}

TEST_F(Reportes, TablasDeCopiasQueYaNoCorrenSeDescartan) {
    // Working tables left by copies killed during a report, told apart by their marks: this
    // workstation and a process that ended or runs another program, or any workstation a day
    // ago, go at the next run; those of a running copy (here this one), of another workstation
    // today, or without a mark of the program stay. The run takes the first name free in either
    // letter case.
    QProcess termino, otroPrograma;
    termino.start("sleep", {"0"});
    ASSERT_TRUE(termino.waitForStarted());
    const qint64 muerto = termino.processId();
    ASSERT_TRUE(termino.waitForFinished());
    otroPrograma.start("sleep", {"60"});
    ASSERT_TRUE(otroPrograma.waitForStarted());
    const QString equipo = QSysInfo::machineHostName();
    const QDateTime ahora = QDateTime::currentDateTimeUtc();
    const auto marca = [](const QString& eq, qint64 pid, const QDateTime& cuando) {
        return QString("Quilmaro equipo=%1 proceso=%2 creada=%3 id=x")
            .arg(eq)
            .arg(pid)
            .arg(cuando.toString(Qt::ISODate));
    };
    const QList<std::pair<QString, QString>> tablas{
        {"TBLTEMP1", marca(equipo, QCoreApplication::applicationPid(), ahora)},
        {"tbltemp2", marca(equipo, muerto, ahora)},
        {"tbltemp3", marca(equipo, otroPrograma.processId(), ahora)},
        {"tbltemp4", marca("otra-estacion", 4242, ahora.addSecs(-3600))},
        {"tbltemp5", marca("otra-estacion", 4242, ahora.addSecs(-25 * 3600))},
        {"tbltemp6", "Copia de seguridad"},
        {"tbltemp7", marca(equipo, QCoreApplication::applicationPid(), ahora.addDays(-2))}};
    for (const auto& [t, m] : tablas)
        cnn->ejecuta(QString("CREATE TABLE %1 (x int) COMMENT = '%2'").arg(t, m));
    factura("A", 1, "C001", "UNO", "1");
    auto v = ventanaCon(kBase, {1});
    // The run's own table carries its own mark.
    QString propia;
    plataforma.alProcesarEventos = [&] {
        if (const auto m = valorSQL(*cnn,
                                    "SELECT TABLE_COMMENT FROM information_schema.TABLES "
                                    "WHERE TABLE_SCHEMA = '" +
                                        kBase + "' AND TABLE_NAME = 'tbltemp2'"))
            propia = QString::fromUtf8(*m);
    };
    v->cmdReporte_Click();
    plataforma.alProcesarEventos = nullptr;
    otroPrograma.kill();
    otroPrograma.waitForFinished();
    SIN_MENSAJES();
    pintaVistas();
    EXPECT_TRUE(QRegularExpression(
                    QString("^Quilmaro equipo=%1 proceso=%2 creada=\\d{4}-\\d\\d-\\d\\dT[0-9:]{8}Z "
                            "id=[-0-9a-f]{36}$")
                        .arg(QRegularExpression::escape(equipo))
                        .arg(QCoreApplication::applicationPid()))
                    .match(propia)
                    .hasMatch())
        << qPrintable(propia);
    EXPECT_EQ(valorSQL(*cnn,
                       "SELECT GROUP_CONCAT(TABLE_NAME ORDER BY TABLE_NAME) FROM "
                       "information_schema.TABLES WHERE TABLE_SCHEMA = '" +
                           kBase + "' AND TABLE_NAME LIKE 'tbltemp%'")
                  .value_or(""),
              "TBLTEMP1,tbltemp4,tbltemp6");
    for (const char* t : {"TBLTEMP1", "tbltemp4", "tbltemp6"})
        cnn->ejecuta(QString("DROP TABLE ") + t);
}
