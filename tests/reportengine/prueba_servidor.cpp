// Server sources ("database.table") on the private test server: the server's column types, and
// the messages for tables and servers that cannot be reached. Both shipped layouts are run from
// working tables through the program's window in tests/forms.

#include "AyudaMotor.h"
#include "CarpetaTemporal.h"
#include "PlataformaPrueba.h"
#include "db/ErrorBdD.h"
#include "reportengine/ControlReporte.h"
#include "reportengine/Paginador.h"

using namespace quilmaro;
using namespace quilmaro::prueba;
using namespace quilmaro::reporte;

TEST(Servidor, TiposDeColumnaDelServidor) {
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

TEST(Servidor, TablaBaseOServidorQueNoEstan) {
    QTemporaryDir dir;
    const QString auxiliar = dir.filePath("TEMPORAL0000.MDB"), guia = dir.filePath("guia.rpt");
    creaSqlite(auxiliar, "Generales", generalesDemo());
    ASSERT_TRUE(escribeBytes(guia, ejemplosDocumentados().value(0)));
    ControlReporte crp;
    crp.fijaDestino(ControlReporte::Pantalla);
    crp.fijaArchivoReporte(guia);
    crp.fijaFuenteDatos(0, auxiliar);
    auto falla = [&](const QString& facturas) {
        PlataformaPrueba plataforma;
        crp.fijaFuenteDatos(1, facturas);
        EXPECT_FALSE(crp.ejecuta());
        EXPECT_EQ(plataforma.mensajes().size(), 1);
        EXPECT_EQ(crp.ultimaVista(), nullptr);
        return plataforma.textos().value(0);
    };
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
    qputenv("MYSQL_UNIX_PORT", QFile::encodeName(dir.filePath("sin-servidor.sock")));
    const QString servidor = falla("datos1.facturas");
    qputenv("MYSQL_UNIX_PORT", socket);
    EXPECT_TRUE(servidor.endsWith(QStringLiteral("(error %1).").arg(errores::ServidorInalcanzable)))
        << qPrintable(servidor);
}
