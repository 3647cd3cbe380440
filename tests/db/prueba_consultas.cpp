// AbreTabla, Reemplaza and CierraTabla on the test database datos1.

#include <gtest/gtest.h>

#include "PlataformaPrueba.h"
#include "ServidorPrueba.h"
#include "core/libTESK.h"
#include "db/TempDeODBC.h"

using namespace quilmaro;
using prueba::PlataformaPrueba;

namespace {

class Consultas : public ::testing::Test {
  protected:
    void SetUp() override { cnn_ = prueba::conecta(QStringLiteral("datos1")); }
    std::shared_ptr<Conexion> cnn_;
    PlataformaPrueba plataforma_;
};

}  // namespace

TEST_F(Consultas, ElNombreDeLaTablaVaEnMinusculasYElRestoIntacto) {
    std::shared_ptr<Recordset> rst;
    QString tabla = QStringLiteral("Facturas where Serie='A' ORDER BY Factura");
    QString campos;
    EXPECT_TRUE(AbreTabla(rst, cnn_, tabla, campos));
    EXPECT_EQ(tabla, "facturas where Serie='A' ORDER BY Factura");
    EXPECT_EQ(campos, "*");
    ASSERT_TRUE(rst);
    EXPECT_EQ(rst->sentencia(), "Select * from facturas where Serie='A' ORDER BY Factura");
    EXPECT_EQ(rst->cuentaRegistros(), 2);
    EXPECT_EQ(rst->campo(QStringLiteral("Factura")).valor(), Variante(std::int32_t{125}));

    QString sistema = QStringLiteral("SISTEMA");
    QString dato = QStringLiteral("Dato");
    EXPECT_TRUE(AbreTabla(rst, cnn_, sistema, dato));
    EXPECT_EQ(sistema, "sistema");
    EXPECT_EQ(dato, "Dato");
    EXPECT_EQ(rst->sentencia(), "Select Dato from sistema");
    EXPECT_EQ(rst->cuentaCampos(), 1);

    // The main window's series query.
    QString series = QStringLiteral("sistema where Dato like 'FA-%' and Dato<>'FA-' order by Dato");
    QString todos;
    ASSERT_TRUE(AbreTabla(rst, cnn_, series, todos));
    QStringList datos;
    for (; !rst->eof(); rst->siguiente())
        datos.append(rst->campo(QStringLiteral("Dato")).valor().texto());
    EXPECT_EQ(datos, QStringList({"FA-A", "FA-B", "FA-C"}));
    EXPECT_TRUE(plataforma_.mensajes().isEmpty());
}

TEST_F(Consultas, SinFilasElConjuntoQuedaAbiertoHastaCerrarlo) {
    std::shared_ptr<Recordset> rst;
    QString tabla = QStringLiteral("facturas where Serie='Z' and Factura=1");
    QString campos;
    EXPECT_FALSE(AbreTabla(rst, cnn_, tabla, campos));
    ASSERT_TRUE(rst);
    EXPECT_TRUE(rst->estaAbierto());
    EXPECT_TRUE(rst->eof());
    std::shared_ptr<Recordset> otra = rst;
    tesk().CierraTabla(rst);
    EXPECT_FALSE(rst);
    EXPECT_FALSE(otra->estaAbierto());
    EXPECT_TRUE(plataforma_.mensajes().isEmpty());
}

TEST_F(Consultas, UnaConsultaRechazadaSeAvisaUnaSolaVez) {
    std::shared_ptr<Recordset> rst;
    QString tabla = QStringLiteral("facturas where NoExiste=1");
    QString campos;
    EXPECT_FALSE(AbreTabla(rst, cnn_, tabla, campos));
    ASSERT_EQ(plataforma_.mensajes().size(), 1);
    const Mensaje& m = plataforma_.mensajes()[0];
    EXPECT_EQ(m.texto,
              "Error al intentar abrir la tabla:-2147217900: Unknown column 'NoExiste' in "
              "'WHERE'\r(Select * from facturas where NoExiste=1)");
    EXPECT_EQ(m.titulo, "Error");
    EXPECT_EQ(m.icono, Icono::Critico);
    EXPECT_EQ(m.botones, Botones::Aceptar);
    EXPECT_FALSE(plataforma_.terminado());
    // The record set that did not open closes quietly.
    ASSERT_TRUE(rst);
    tesk().CierraTabla(rst);
    EXPECT_FALSE(rst);
}

TEST_F(Consultas, ConexionCerradaTerminaElProceso) {
    std::shared_ptr<Conexion> cerrada = cnn_;
    tesk().CierraBdD(cnn_);
    std::shared_ptr<Recordset> rst;
    QString tabla = QStringLiteral("facturas");
    QString campos;
    EXPECT_THROW(AbreTabla(rst, cerrada, tabla, campos), ProcesoTerminado);
    ASSERT_EQ(plataforma_.mensajes().size(), 1);
    EXPECT_EQ(plataforma_.mensajes()[0].texto,
              "No se puede abrir la base de datos, porque no hay conexión con el servidor");
    std::shared_ptr<Conexion> ninguna;
    EXPECT_THROW(AbreTabla(rst, ninguna, tabla, campos), ProcesoTerminado);
}

TEST(Reemplaza, CadaMarcaEnCualquierCaso) {
    EXPECT_EQ(
        Reemplaza(QStringLiteral("empresas where BaseDeDatos='XXX'"), QStringLiteral("datos1")),
        "empresas where BaseDeDatos='datos1'");
    EXPECT_EQ(
        Reemplaza(QStringLiteral("empresas where BaseDeDatos='xxx'"), QStringLiteral("datos1")),
        "empresas where BaseDeDatos='datos1'");
    EXPECT_EQ(Reemplaza(QStringLiteral("XxX-xXx"), QStringLiteral("ab")), "ab-ab");
    // The replacement is not searched again.
    EXPECT_EQ(Reemplaza(QStringLiteral("[XXX]"), QStringLiteral("XXXX")), "[XXXX]");
    EXPECT_EQ(Reemplaza(QStringLiteral("XXXXXX"), QStringLiteral("y")), "yy");
    EXPECT_EQ(Reemplaza(QStringLiteral("XX sin marca"), QStringLiteral("y")), "XX sin marca");
}

TEST(CierraTabla, NuncaFalla) {
    std::shared_ptr<Recordset> nada;
    tesk().CierraTabla(nada);
    EXPECT_FALSE(nada);
    std::shared_ptr<Recordset> sinAbrir = Recordset::crea();
    tesk().CierraTabla(sinAbrir);
    EXPECT_FALSE(sinAbrir);
}
