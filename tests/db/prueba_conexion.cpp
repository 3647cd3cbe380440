// Connections and tables: AbreBdD's string, the retry question, failures at open, CierraBdD,
// escaping, AseguraConexion after a lost connection, AbreTabla, Reemplaza and CierraTabla.

#include <gtest/gtest.h>

#include <QDir>
#include <QThread>

#include "AyudaPruebas.h"
#include "PlataformaPrueba.h"
#include "ServidorPrueba.h"
#include "core/libTESK.h"
#include "db/TempDeODBC.h"

using namespace quilmaro;
using prueba::PlataformaPrueba;

namespace {

const QString kReintento =
    QStringLiteral("No hay conexión con el servidor. ¿Desea reintentar abrir la base de datos?");

}  // namespace

TEST(AbreBdD, CadenaYBaseSegunElServidorConfigurado) {
    PlataformaPrueba p;
    // The server setting (blanks only count as none; a named one is reached over TCP), the
    // database asked for and used, the connection string, how the server sees the connection.
    const QString d = "DRIVER={MySQL ODBC 3.51 Driver};";
    using C = std::tuple<QString, QString, QString, QString, QString>;
    for (const auto& [servidor, pedida, base, cadena, host] :
         {C{"", "Datos1", "datos1", d + "DATABASE=datos1;UID=root;PWD=;", "localhost"},
          C{"   ", "", "generalvelmorita", d + "DATABASE=generalvelmorita;UID=root;PWD=;",
            "localhost"},
          C{"127.0.0.1", "DATOS1", "datos1", d + "SERVER=127.0.0.1;DATABASE=datos1;UID=root;PWD=;",
            "127.0.0.1:"}}) {
        prueba::ServidorGlobal s(servidor);
        QString b = pedida;
        std::shared_ptr<Conexion> cnn;
        AbreBdD(cnn, b);
        EXPECT_EQ(b, base);
        ASSERT_TRUE(cnn && cnn->estaAbierta()) << qPrintable(cadena);
        EXPECT_EQ(cnn->cadenaConexion(), cadena);
        EXPECT_EQ(prueba::valorSQL(*cnn, QStringLiteral("SELECT DATABASE()")), base.toUtf8());
        // How the server sees the connection: "localhost" over the socket, "127.0.0.1:port" over
        // TCP.
        const auto visto = prueba::valorSQL(*cnn,
                                            "SELECT host FROM information_schema.processlist "
                                            "WHERE id = CONNECTION_ID()");
        EXPECT_TRUE(visto && visto->startsWith(host.toUtf8())) << visto.value_or("").constData();
    }
    EXPECT_TRUE(p.mensajes().isEmpty());
    // The server value goes in as it is, blanks and all.
    EXPECT_EQ(CadenaConexion(QStringLiteral(" servidor1"), QStringLiteral("datos1")),
              d + "SERVER= servidor1;DATABASE=datos1;UID=root;PWD=;");
}

TEST(AbreBdD, ServidorQueLlegaTrasDosReintentos) {
    // A second private server, started only when the question has come for the second time.
    QString dir = qEnvironmentVariable("QUILMARO_PRUEBA_DIR") + QStringLiteral("/reintento");
    if (dir.size() > 90)
        dir = QDir::tempPath() + QStringLiteral("/quilmaro-reintento");
    ASSERT_EQ(prueba::ejecutaScript(QStringLiteral("mariadb-stop.sh"), {dir}), 0);
    QDir().mkpath(dir);
    const QString socket = dir + QStringLiteral("/mariadb.sock");
    prueba::VariableDeEntorno entorno("MYSQL_UNIX_PORT", socket.toUtf8());
    prueba::ServidorGlobal s{QString()};
    // Next to the test server's port, so that no other test picks it.
    const QString puerto = QString::number(qEnvironmentVariableIntValue("MYSQL_TCP_PORT") + 1);

    PlataformaPrueba p;
    p.responde({Respuesta::Si, Respuesta::Si});
    int arranque = -1;
    p.alMostrarMensaje = [&](const Mensaje&) {
        if (p.mensajes().size() == 2)
            arranque = prueba::ejecutaScript(QStringLiteral("mariadb-start.sh"), {dir, puerto});
    };
    QString base = QStringLiteral("Mysql");
    std::shared_ptr<Conexion> cnn;
    AbreBdD(cnn, base);
    EXPECT_EQ(arranque, 0);
    ASSERT_EQ(p.mensajes().size(), 2);
    for (const Mensaje& m : p.mensajes())
        EXPECT_TRUE(m.texto == kReintento && m.titulo == "ERROR" && m.botones == Botones::SiNo &&
                    m.icono == Icono::Exclamacion);
    ASSERT_TRUE(cnn && cnn->estaAbierta());
    EXPECT_EQ(base, "mysql");
    EXPECT_EQ(prueba::valorSQL(*cnn, QStringLiteral("SELECT @@socket")), socket.toUtf8());
    tesk().CierraBdD(cnn);
    EXPECT_EQ(prueba::ejecutaScript(QStringLiteral("mariadb-stop.sh"), {dir}), 0);
}

TEST(AbreBdD, NoEnLaPreguntaTerminaElProceso) {
    prueba::VariableDeEntorno entorno(
        "MYSQL_UNIX_PORT", (QDir::tempPath() + QStringLiteral("/quilmaro-nadie.sock")).toUtf8());
    prueba::ServidorGlobal s{QString()};
    PlataformaPrueba p;
    p.responde(Respuesta::No);
    QString base = QStringLiteral("datos1");
    std::shared_ptr<Conexion> cnn;
    EXPECT_THROW(AbreBdD(cnn, base), ProcesoTerminado);
    EXPECT_TRUE(p.terminado());
    ASSERT_EQ(p.mensajes().size(), 1);
    EXPECT_EQ(p.mensajes()[0].texto, kReintento);
}

TEST(AbreBdD, BaseInexistenteSeAvisaYLaSiguienteConsultaTerminaElProceso) {
    prueba::ServidorGlobal s{QString()};
    PlataformaPrueba p;
    QString base = QStringLiteral("No_Existe_Q");
    std::shared_ptr<Conexion> cnn;
    AbreBdD(cnn, base);
    EXPECT_EQ(base, "no_existe_q");
    ASSERT_EQ(p.mensajes().size(), 1);
    EXPECT_EQ(p.mensajes()[0].texto,
              "Error al abrir la base de datos: 1049: Unknown database 'no_existe_q'");
    EXPECT_TRUE(p.mensajes()[0].titulo == "Error" && p.mensajes()[0].icono == Icono::Critico);
    ASSERT_TRUE(cnn && !cnn->estaAbierta());

    std::shared_ptr<Recordset> rst;
    QString tabla = QStringLiteral("facturas");
    QString campos;
    EXPECT_THROW(AbreTabla(rst, cnn, tabla, campos), ProcesoTerminado);
    ASSERT_EQ(p.mensajes().size(), 2);
    EXPECT_EQ(p.mensajes()[1].texto,
              "No se puede abrir la base de datos, porque no hay conexión con el servidor");
    EXPECT_TRUE(p.mensajes()[1].titulo == "ERROR" && p.mensajes()[1].icono == Icono::Critico);
    std::shared_ptr<Conexion> ninguna;
    EXPECT_THROW(AbreTabla(rst, ninguna, tabla, campos), ProcesoTerminado);
}

TEST(Conexion, ErroresAlAbrirYAlUsar) {
    const auto abre = [](const char* cadena) {
        auto c = Conexion::crea();
        c->setCadenaConexion(QString::fromLatin1(cadena));
        c->abre();
    };
    auto cnn = prueba::conecta(QStringLiteral("datos1"));
    std::shared_ptr<Conexion> cerrada = prueba::conecta(QStringLiteral("datos1")), copia = cerrada;
    tesk().CierraBdD(cerrada);
    EXPECT_FALSE(cerrada);
    // The server's own refusals and the client library's failures that are no lost link (2014:
    // the result of a procedure's CALL still pending) keep their own number.
    using C = std::pair<std::function<void()>, int>;
    for (const auto& [falla, numero] :
         {C{[&] { abre("DRIVER={x};DATABASE=datos1;UID=nadie;PWD=mala;"); }, 1045},
          C{[&] { abre("SERVER=127.0.0.1;PORT=1;DATABASE=datos1;UID=root;PWD=;"); },
            errores::ServidorInalcanzable},
          C{[&] { cnn->abre(); }, errores::ObjetoAbierto},
          C{[&] { cnn->ejecuta(QStringLiteral("Select * from no_hay_tal")); },
            errores::SentenciaRechazada},
          C{[&] {
                cnn->ejecuta(QStringLiteral("DROP PROCEDURE IF EXISTS quilmaro_uno"));
                cnn->ejecuta(QStringLiteral("CREATE PROCEDURE quilmaro_uno() SELECT 1"));
                cnn->ejecuta(QStringLiteral("CALL quilmaro_uno()"));
                cnn->ejecuta(QStringLiteral("DO 2"));
            },
            2014},
          C{[&] { copia->ejecuta(QStringLiteral("Select 1")); }, errores::ConexionCerrada},
          C{[&] { tesk().CierraBdD(cerrada); }, errores::SinObjeto}})
        EXPECT_EQ(prueba::numeroDeError(falla), numero);
}

TEST(Conexion, ElEscapadoLlegaIntactoConCualquierModoSQL) {
    auto cnn = prueba::conecta(QStringLiteral("datos1"));
    const QString dificil = QStringLiteral("O'Higgins \"Güero\" \\ norte") + QChar(0) +
                            QStringLiteral("\n\r\x1a; -- 🌹 '' \\'");
    const QString hex = QString::fromLatin1(dificil.toUtf8().toHex());
    const auto compara = [&] {
        return prueba::valorSQL(
            *cnn,
            QStringLiteral("SELECT CAST('%1' AS BINARY) = X'%2'").arg(cnn->escapa(dificil), hex));
    };
    EXPECT_EQ(compara(), "1");
    cnn->ejecuta(
        QStringLiteral("SET SESSION sql_mode = CONCAT(@@sql_mode, ',NO_BACKSLASH_ESCAPES')"));
    EXPECT_EQ(compara(), "1");
    // Reemplaza with the connection fills a template safely.
    EXPECT_EQ(
        prueba::valorSQL(*cnn, Reemplaza("SELECT Cliente FROM clientes WHERE Nombre='XXX'",
                                         "REFACCIONARIA O'HIGGINS \"EL GÜERO\" \\ NORTE", *cnn)),
        "C0003");
}

TEST(AseguraConexion, LaQueElServidorCortoSeReemplazaYUnNoNoTerminaElProceso) {
    prueba::ServidorGlobal s{QString()};
    PlataformaPrueba p;
    QString base = QStringLiteral("Datos1");
    std::shared_ptr<Conexion> cnn;
    AbreBdD(cnn, base);
    ASSERT_TRUE(cnn && cnn->estaAbierta());
    const Conexion* original = cnn.get();
    // A live connection stays as it is.
    EXPECT_TRUE(AseguraConexion(cnn, base));
    EXPECT_EQ(cnn.get(), original);

    // The server cuts it (as a restart or a timeout would): seen without a statement (a short
    // wait covers a slow scheduler), and a new one, without a question.
    EXPECT_TRUE(cnn->enCalma());
    const long long id = prueba::cuentaSQL(*cnn, QStringLiteral("SELECT CONNECTION_ID()"));
    prueba::conecta(QStringLiteral("mysql"))->ejecuta(QStringLiteral("KILL %1").arg(id));
    for (int i = 0; i < 100 && cnn->enCalma(); ++i)
        QThread::msleep(10);
    EXPECT_FALSE(cnn->enCalma());
    EXPECT_TRUE(AseguraConexion(cnn, base));
    EXPECT_NE(cnn.get(), original);
    EXPECT_EQ(prueba::valorSQL(*cnn, QStringLiteral("SELECT DATABASE()")), "datos1");
    EXPECT_TRUE(p.mensajes().isEmpty()) << qPrintable(p.textos().join("|"));

    // The server out of reach: the question; No keeps the old connection and the program.
    const long long otro = prueba::cuentaSQL(*cnn, QStringLiteral("SELECT CONNECTION_ID()"));
    prueba::conecta(QStringLiteral("mysql"))->ejecuta(QStringLiteral("KILL %1").arg(otro));
    const Conexion* cortada = cnn.get();
    {
        prueba::VariableDeEntorno entorno(
            "MYSQL_UNIX_PORT",
            (QDir::tempPath() + QStringLiteral("/quilmaro-nadie.sock")).toUtf8());
        p.responde({Respuesta::Si, Respuesta::No});
        EXPECT_FALSE(AseguraConexion(cnn, base));
    }
    EXPECT_FALSE(p.terminado());
    ASSERT_EQ(p.mensajes().size(), 2);
    EXPECT_EQ(p.mensajes()[1].texto, kReintento);
    EXPECT_EQ(cnn.get(), cortada);
    // Back within reach, the next call mends it.
    EXPECT_TRUE(AseguraConexion(cnn, base));
    EXPECT_EQ(prueba::cuentaSQL(*cnn, QStringLiteral("SELECT 41 + 1")), 42);
    tesk().CierraBdD(cnn);
}

TEST(AbreTabla, ElNombreDeLaTablaVaEnMinusculasYElRestoIntacto) {
    auto cnn = prueba::conecta(QStringLiteral("datos1"));
    PlataformaPrueba p;
    // The table as asked for and written back, the fields likewise, the statement, the rows.
    using C = std::tuple<QString, QString, QString, QString, QString, int>;
    for (const auto& [pedida, tabla, pedidos, campos, sentencia, filas] :
         {C{"Facturas where Serie='A' ORDER BY Factura",
            "facturas where Serie='A' ORDER BY Factura", "", "*",
            "Select * from facturas where Serie='A' ORDER BY Factura", 2},
          C{"SISTEMA where 1=0", "sistema where 1=0", "Dato", "Dato",
            "Select Dato from sistema where 1=0", 0}}) {
        std::shared_ptr<Recordset> rst;
        QString t = pedida, c = pedidos;
        EXPECT_EQ(AbreTabla(rst, cnn, t, c), filas > 0);
        EXPECT_TRUE(t == tabla && c == campos) << qPrintable(t + "|" + c);
        ASSERT_TRUE(rst && rst->estaAbierto());
        EXPECT_EQ(rst->sentencia(), sentencia);
        EXPECT_EQ(rst->cuentaRegistros(), filas);
        // CierraTabla closes the set (whoever else holds it) and lets it go.
        std::shared_ptr<Recordset> otra = rst;
        tesk().CierraTabla(rst);
        EXPECT_TRUE(!rst && !otra->estaAbierto());
    }
    EXPECT_TRUE(p.mensajes().isEmpty());
}

TEST(AbreTabla, UnaConsultaRechazadaSeAvisaUnaSolaVez) {
    auto cnn = prueba::conecta(QStringLiteral("datos1"));
    PlataformaPrueba p;
    std::shared_ptr<Recordset> rst;
    QString tabla = QStringLiteral("facturas where NoExiste=1");
    QString campos;
    EXPECT_FALSE(AbreTabla(rst, cnn, tabla, campos));
    EXPECT_EQ(p.textos(), QStringList({"Error al intentar abrir la tabla:-2147217900: Unknown "
                                       "column 'NoExiste' in 'WHERE'\r(Select * from facturas "
                                       "where NoExiste=1)"}));
    EXPECT_TRUE(p.mensajes()[0].titulo == "Error" && p.mensajes()[0].icono == Icono::Critico);
    // The record set that did not open closes quietly, as does none at all.
    std::shared_ptr<Recordset> nada;
    for (auto* r : {&rst, &nada}) {
        tesk().CierraTabla(*r);
        EXPECT_FALSE(*r);
    }
}

TEST(Reemplaza, CadaMarcaEnCualquierCaso) {
    // The template, the value, the text. The replacement is not searched again.
    using C = std::tuple<QString, QString, QString>;
    for (const auto& [plantilla, valor, texto] :
         {C{"empresas where BaseDeDatos='XXX'", "datos1", "empresas where BaseDeDatos='datos1'"},
          C{"empresas where BaseDeDatos='xxx'", "datos1", "empresas where BaseDeDatos='datos1'"},
          C{"XxX-xXx", "ab", "ab-ab"}, C{"[XXX]", "XXXX", "[XXXX]"}, C{"XXXXXX", "y", "yy"},
          C{"XX sin marca", "y", "XX sin marca"}})
        EXPECT_EQ(Reemplaza(plantilla, valor), texto) << qPrintable(plantilla);
}
