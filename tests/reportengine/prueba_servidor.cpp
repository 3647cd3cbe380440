// Server sources ("database.table") on the private test server: the delivery guide of 1,000
// invoices from a working table, the server's column types, and the messages for tables and
// servers that cannot be reached. The collection format joined to `clientes` is run from the
// program's window in tests/forms/prueba_reportes.cpp.

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "AyudaMotor.h"
#include "CarpetaTemporal.h"
#include "PlataformaPrueba.h"
#include "db/Conexion.h"
#include "db/ErrorBdD.h"
#include "gui/SalidaVentanas.h"
#include "gui/VistaPrevia.h"
#include "reportengine/ControlReporte.h"
#include "reportengine/Paginador.h"

using namespace quilmaro;
using namespace quilmaro::prueba;
using namespace quilmaro::reporte;

namespace {

class Servidor : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        cnn_ = Conexion::crea();
        cnn_->setCadenaConexion("DATABASE=datos1;UID=root;PWD=;");
        cnn_->abre();
    }
    static void TearDownTestSuite() {
        cnn_->cierra();
        cnn_.reset();
    }

    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        auxiliar_ = dir_.filePath("TEMPORAL0000.MDB");
        creaSqlite(auxiliar_, "Generales", columnasGenerales(), generalesDemo());
        guia_ = dir_.filePath("guia.rpt");
        ASSERT_TRUE(escribeBytes(guia_, ejemplosDocumentados().value(0)));
    }

    // A working table shaped like `facturas` with n invoices in list order (ID ascending); one in
    // ten has no discount.
    QString tablaDeTrabajo(const QString& nombre, int n) {
        cnn_->ejecuta("DROP TABLE IF EXISTS " + nombre);
        cnn_->ejecuta("CREATE TABLE " + nombre + " LIKE facturas");
        cnn_->ejecuta(
            "INSERT INTO " + nombre +
            " (ID, Serie, Factura, Fecha, Cliente, Nombre, Subtotal, IVA, ImpuestoAd, Descuento)"
            " SELECT seq, IF(MOD(seq, 2), 'A', 'B'), 5000 + seq,"
            " '2024-03-01' + INTERVAL MOD(seq, 28) DAY,"
            " ELT(MOD(seq, 4) + 1, 'C0001', 'C0002', 'C0003', 'C0004'),"
            " CONCAT('Cliente número ', seq, ' de Peñón'), 100 + seq, ROUND(16 + seq * 0.16, 2),"
            " MOD(seq, 3), IF(MOD(seq, 10) = 0, NULL, 1.25) FROM seq_1_to_" +
            QString::number(n));
        return "datos1." + nombre;
    }

    // The control for a layout, with the local file and the invoices given.
    void prepara(ControlReporte& crp, const QString& diseno, const QString& facturas) {
        crp.fijaDestino(ControlReporte::Pantalla);
        crp.fijaArchivoReporte(diseno);
        crp.fijaFuenteDatos(0, auxiliar_);
        crp.fijaFuenteDatos(1, facturas);
    }

    static std::shared_ptr<Conexion> cnn_;
    QTemporaryDir dir_;
    QString auxiliar_, guia_;
};

std::shared_ptr<Conexion> Servidor::cnn_;

}  // namespace

TEST_F(Servidor, GuiaDeMilFacturasDelServidor) {
    const QString fuente = tablaDeTrabajo("tblmotor1", 1000);
    PlataformaPrueba plataforma;
    ControlReporte crp;
    prepara(crp, guia_, fuente);
    ASSERT_TRUE(crp.ejecuta()) << qPrintable(crp.ultimoError());
    // What the report command does next: the working table and the local file go away.
    cnn_->ejecuta("DROP TABLE tblmotor1");
    ASSERT_TRUE(QFile::remove(auxiliar_));
    VistaPrevia* vista = vistaDe(crp);
    ASSERT_NE(vista, nullptr);
    const int paginas = vista->cuentaPaginas();
    EXPECT_GE(paginas, 30);
    const QString pdf = dir_.filePath("guia.pdf");
    ASSERT_TRUE(vista->exportaPdf(pdf));
    const QString texto = textoPdf(pdf);
    qsizetype desde = 0;
    for (int i = 1; i <= 1000 && desde >= 0; ++i)
        desde = texto.indexOf(QRegularExpression(QStringLiteral("\\b%1\\b").arg(5000 + i)), desde);
    EXPECT_GE(desde, 0) << "an invoice missing or out of order";
    for (const QString& t : {QStringLiteral("Página %1 de %1").arg(paginas),
                             QStringLiteral("Cliente número 1000 de Peñón"),
                             QStringLiteral("Facturas en la guía: 1000")})
        EXPECT_TRUE(texto.contains(t)) << qPrintable(t);
    EXPECT_TRUE(plataforma.mensajes().isEmpty());
}

TEST_F(Servidor, TiposDeColumnaDelServidor) {
    const QByteArray xml = R"(<reporte ancho="200" alto="100">
      <fuente numero="1" nombre="facturas" detalle="si" orden="ID"/>
      <detalle alto="5">
        <campo x="0" y="0" ancho="18" alto="5" formato="dd/mmm/yy">Fecha</campo>
        <campo x="18" y="0" ancho="18" alto="5" formato="#,##0.00">Descuento</campo>
        <campo x="36" y="0" ancho="22" alto="5" formato="dd/mmm/yyyy">Captura</campo>
        <campo x="58" y="0" ancho="22" alto="5" formato="#,##0.00">Subtotal + IVA + ImpuestoAd</campo>
        <campo x="80" y="0" ancho="12" alto="5">Factura</campo>
        <campo x="92" y="0" ancho="88" alto="5">Nombre</campo>
      </detalle>
    </reporte>)";
    auto diseno = leeDisenoDeTexto(xml, "/prueba/tipos.rpt");
    auto datos = Datos::carga(*diseno, {{1, "datos1.facturas"}});
    const auto doc = paginaReporte(*diseno, *datos);
    const QStringList t = todosLosTextos(*doc);
    ASSERT_GE(t.size(), 6);
    EXPECT_EQ(t.mid(0, 6), (QStringList{"05/mar/24", "50.00", "05/mar/2024", "1,160.00", "125",
                                        "ABARROTES LA ESPERANZA"}));
    // Invoice 2 has no discount and invoice 3 neither discount nor capture time: nothing is
    // printed for them (not 0, not a date of 1899).
    EXPECT_EQ(textosEnY(*doc, 0, 15),
              (QStringList{"05/mar/24", "05/mar/2024", "0.50", "126", "MISCELÁNEA DOÑA LUPE"}));
    EXPECT_EQ(textosEnY(*doc, 0, 20),
              (QStringList{"06/mar/24", "15,500.93", "7",
                           "REFACCIONARIA O'HIGGINS \"EL GÜERO\" \\ NORTE"}));
}

TEST_F(Servidor, TablaBaseOServidorQueNoEstan) {
    ControlReporte crp;
    auto falla = [&](const QString& facturas) {
        PlataformaPrueba plataforma;
        crp.fijaFuenteDatos(1, facturas);
        EXPECT_FALSE(crp.ejecuta());
        EXPECT_EQ(plataforma.mensajes().size(), 1);
        EXPECT_EQ(crp.ultimaVista(), nullptr);
        return plataforma.textos().value(0);
    };
    prepara(crp, guia_, {});
    const QString tabla = falla("datos1.tblnoexiste");
    EXPECT_TRUE(tabla.startsWith(
        "No se pudieron leer los datos del reporte: la fuente de datos 1 («facturas», "
        "datos1.tblnoexiste) no se pudo abrir: "))
        << qPrintable(tabla);
    EXPECT_TRUE(tabla.contains("tblnoexiste' doesn't exist")) << qPrintable(tabla);
    EXPECT_TRUE(tabla.endsWith(QStringLiteral("(error %1).").arg(errores::SentenciaRechazada)))
        << qPrintable(tabla);
    const QString base = falla("datosXYZ.facturas");
    EXPECT_TRUE(base.contains("Unknown database 'datosxyz'", Qt::CaseInsensitive))
        << qPrintable(base);

    const QByteArray socket = qgetenv("MYSQL_UNIX_PORT");
    qputenv("MYSQL_UNIX_PORT", QFile::encodeName(dir_.filePath("sin-servidor.sock")));
    const QString servidor = falla("datos1.facturas");
    qputenv("MYSQL_UNIX_PORT", socket);
    EXPECT_TRUE(servidor.endsWith(QStringLiteral("(error %1).").arg(errores::ServidorInalcanzable)))
        << qPrintable(servidor);
}
