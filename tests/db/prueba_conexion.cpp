// Connections: AbreBdD's string, the retry question, failures at open, CierraBdD, escaping.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QThread>

#include "CarpetaTemporal.h"
#include "PlataformaPrueba.h"
#include "ServidorPrueba.h"
#include "core/libTESK.h"
#include "db/TempDeODBC.h"

using namespace quilmaro;
using prueba::PlataformaPrueba;

namespace {

const QString kReintento =
    QStringLiteral("No hay conexión con el servidor. ¿Desea reintentar abrir la base de datos?");

// How the server sees this connection: "localhost" over the socket, "127.0.0.1:port" over TCP.
QString hostVisto(Conexion& cnn) {
    return QString::fromUtf8(
        prueba::valorSQL(cnn, QStringLiteral("SELECT host FROM information_schema."
                                             "processlist WHERE id = CONNECTION_ID()"))
            .value_or(QByteArray()));
}

int numeroDe(const std::function<void()>& f) {
    try {
        f();
    } catch (const ErrorTESK& e) {
        return e.numero();
    }
    return 0;
}

}  // namespace

TEST(AbreBdD, CadenaYBaseSegunElServidorConfigurado) {
    PlataformaPrueba p;
    {
        // The server on this computer: no SERVER part, reached through the socket.
        prueba::ServidorGlobal s{QString()};
        QString base = QStringLiteral("Datos1");
        std::shared_ptr<Conexion> cnn;
        AbreBdD(cnn, base);
        EXPECT_EQ(base, "datos1");
        ASSERT_TRUE(cnn);
        EXPECT_EQ(cnn->cadenaConexion(),
                  "DRIVER={MySQL ODBC 3.51 Driver};DATABASE=datos1;UID=root;PWD=;");
        ASSERT_TRUE(cnn->estaAbierta());
        EXPECT_EQ(hostVisto(*cnn), "localhost");
        EXPECT_EQ(prueba::valorSQL(*cnn, QStringLiteral("SELECT DATABASE()")), "datos1");
    }
    {
        // Blanks only count as no server.
        prueba::ServidorGlobal s(QStringLiteral("   "));
        QString base;
        std::shared_ptr<Conexion> cnn;
        AbreBdD(cnn, base);
        EXPECT_EQ(base, "generalvelmorita");
        ASSERT_TRUE(cnn && cnn->estaAbierta());
        EXPECT_EQ(cnn->cadenaConexion(),
                  "DRIVER={MySQL ODBC 3.51 Driver};DATABASE=generalvelmorita;UID=root;PWD=;");
        // Other test programs add letterheads of their own databases; the fixture holds two.
        EXPECT_EQ(prueba::cuentaSQL(*cnn, QStringLiteral("SELECT COUNT(*) FROM empresas WHERE "
                                                         "BaseDeDatos IN ('datos1', 'datos2')")),
                  2);
    }
    {
        // A named server over TCP (the port from MYSQL_TCP_PORT), root without a password.
        prueba::ServidorGlobal s(QStringLiteral("127.0.0.1"));
        QString base = QStringLiteral("DATOS1");
        std::shared_ptr<Conexion> cnn;
        AbreBdD(cnn, base);
        ASSERT_TRUE(cnn && cnn->estaAbierta());
        EXPECT_EQ(
            cnn->cadenaConexion(),
            "DRIVER={MySQL ODBC 3.51 Driver};SERVER=127.0.0.1;DATABASE=datos1;UID=root;PWD=;");
        EXPECT_TRUE(hostVisto(*cnn).startsWith("127.0.0.1:")) << qPrintable(hostVisto(*cnn));
    }
    EXPECT_TRUE(p.mensajes().isEmpty());
    // The server value goes in as it is, blanks and all.
    EXPECT_EQ(CadenaConexion(QStringLiteral(" servidor1"), QStringLiteral("datos1")),
              "DRIVER={MySQL ODBC 3.51 Driver};SERVER= servidor1;DATABASE=datos1;UID=root;PWD=;");
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
    for (const Mensaje& m : p.mensajes()) {
        EXPECT_EQ(m.texto, kReintento);
        EXPECT_EQ(m.titulo, "ERROR");
        EXPECT_EQ(m.botones, Botones::SiNo);
        EXPECT_EQ(m.icono, Icono::Exclamacion);
    }
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
    EXPECT_EQ(p.mensajes()[0].titulo, "Error");
    EXPECT_EQ(p.mensajes()[0].icono, Icono::Critico);
    ASSERT_TRUE(cnn);
    EXPECT_FALSE(cnn->estaAbierta());

    std::shared_ptr<Recordset> rst;
    QString tabla = QStringLiteral("facturas");
    QString campos;
    EXPECT_THROW(AbreTabla(rst, cnn, tabla, campos), ProcesoTerminado);
    ASSERT_EQ(p.mensajes().size(), 2);
    EXPECT_EQ(p.mensajes()[1].texto,
              "No se puede abrir la base de datos, porque no hay conexión con el servidor");
    EXPECT_EQ(p.mensajes()[1].titulo, "ERROR");
    EXPECT_EQ(p.mensajes()[1].icono, Icono::Critico);

    // Closing a connection that never opened fails in the caller and keeps the variable.
    EXPECT_EQ(numeroDe([&] { tesk().CierraBdD(cnn); }), errores::ConexionCerrada);
    EXPECT_TRUE(cnn);
}

TEST(Conexion, ErroresAlAbrirYAlUsar) {
    // The server's own refusal keeps its number.
    auto ajena = Conexion::crea();
    ajena->setCadenaConexion(QStringLiteral("DRIVER={x};DATABASE=datos1;UID=nadie;PWD=mala;"));
    EXPECT_EQ(numeroDe([&] { ajena->abre(); }), 1045);

    // Unreachable TCP port.
    auto lejana = Conexion::crea();
    lejana->setCadenaConexion(
        QStringLiteral("SERVER=127.0.0.1;PORT=1;DATABASE=datos1;UID=root;PWD=;"));
    EXPECT_EQ(numeroDe([&] { lejana->abre(); }), errores::ServidorInalcanzable);

    auto cnn = prueba::conecta(QStringLiteral("datos1"));
    EXPECT_EQ(numeroDe([&] { cnn->abre(); }), errores::ObjetoAbierto);
    try {
        cnn->ejecuta(QStringLiteral("Select * from no_hay_tal"));
        ADD_FAILURE() << "a rejected statement must fail";
    } catch (const ErrorBdD& e) {
        EXPECT_EQ(e.numero(), errores::SentenciaRechazada);
        EXPECT_EQ(e.descripcion(), "Table 'datos1.no_hay_tal' doesn't exist");
    }
    EXPECT_EQ(cnn->ejecuta(QStringLiteral("DO 1")), nullptr);
    // A client-library failure that is no lost link keeps its own number (2014: the result of a
    // procedure's CALL still pending).
    cnn->ejecuta(QStringLiteral("DROP PROCEDURE IF EXISTS quilmaro_uno"));
    cnn->ejecuta(QStringLiteral("CREATE PROCEDURE quilmaro_uno() SELECT 1"));
    EXPECT_TRUE(cnn->ejecuta(QStringLiteral("CALL quilmaro_uno()")));
    EXPECT_EQ(numeroDe([&] { cnn->ejecuta(QStringLiteral("DO 2")); }), 2014);

    std::shared_ptr<Conexion> copia = cnn;
    tesk().CierraBdD(cnn);
    EXPECT_FALSE(cnn);
    EXPECT_FALSE(copia->estaAbierta());
    EXPECT_EQ(numeroDe([&] { copia->ejecuta(QStringLiteral("Select 1")); }),
              errores::ConexionCerrada);
    std::shared_ptr<Conexion> vacia;
    EXPECT_EQ(numeroDe([&] { tesk().CierraBdD(vacia); }), errores::SinObjeto);
}

TEST(Conexion, CadenaConLlavesYClavesEnCualquierCaso) {
    const DatosConexion d = DatosConexion::interpreta(
        QStringLiteral("driver={MySQL ODBC 3.51 Driver};Server= servidor1 ;database=Datos1;uid=ana;"
                       "pwd={a;b=c};Port=3307;OPTION=3;"));
    EXPECT_EQ(d.servidor, "servidor1");
    EXPECT_EQ(d.baseDeDatos, "Datos1");
    EXPECT_EQ(d.usuario, "ana");
    EXPECT_EQ(d.clave, "a;b=c");
    EXPECT_EQ(d.puerto, 3307);
    const DatosConexion sinServidor = DatosConexion::interpreta(
        QStringLiteral("DRIVER={MySQL ODBC 3.51 Driver};DATABASE=datos1;UID=root;PWD=;"));
    EXPECT_TRUE(sinServidor.servidor.isEmpty());
    EXPECT_TRUE(sinServidor.clave.isEmpty());
    EXPECT_FALSE(sinServidor.puerto.has_value());
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
    std::shared_ptr<Recordset> rst;
    QString tabla =
        Reemplaza(QStringLiteral("clientes where Nombre='XXX'"),
                  QStringLiteral("REFACCIONARIA O'HIGGINS \"EL GÜERO\" \\ NORTE"), *cnn);
    QString campos = QStringLiteral("Cliente");
    PlataformaPrueba p;
    EXPECT_TRUE(AbreTabla(rst, cnn, tabla, campos));
    EXPECT_TRUE(p.mensajes().isEmpty());
    EXPECT_EQ(rst->campo(0).valor().texto(), "C0003");
}

TEST(Conexion, ArchivosDeOpcionesDelClienteYEntorno) {
    // The [client] group of the option files (here the user's ~/.my.cnf) names the socket;
    // MYSQL_UNIX_PORT, when set, wins.
    const QByteArray socket = qgetenv("MYSQL_UNIX_PORT");
    ASSERT_FALSE(socket.isEmpty());
    QTemporaryDir casa;
    ASSERT_TRUE(casa.isValid());
    const auto escribe = [&](const QByteArray& s) {
        ASSERT_TRUE(prueba::escribeBytes(casa.filePath(QStringLiteral(".my.cnf")),
                                         "[client]\nsocket=" + s + "\n"));
    };
    prueba::VariableDeEntorno hogar("HOME", casa.path().toUtf8());
    const auto abre = [] {
        auto cnn = Conexion::crea();
        cnn->setCadenaConexion(QStringLiteral("DATABASE=datos1;UID=root;PWD=;"));
        cnn->abre();
        return cnn;
    };
    {
        escribe(socket);
        qunsetenv("MYSQL_UNIX_PORT");
        EXPECT_EQ(numeroDe([&] { abre(); }), 0);
        qputenv("MYSQL_UNIX_PORT", socket);
    }
    escribe(QDir::tempPath().toUtf8() + "/quilmaro-nadie.sock");
    EXPECT_EQ(numeroDe([&] { abre(); }), 0);
    qunsetenv("MYSQL_UNIX_PORT");
    EXPECT_EQ(numeroDe([&] { abre(); }), errores::ServidorInalcanzable);
    qputenv("MYSQL_UNIX_PORT", socket);
}

TEST(Conexion, EnCalmaHastaQueElServidorLaCierra) {
    auto cnn = prueba::conecta(QStringLiteral("datos1"));
    ASSERT_TRUE(cnn->estaAbierta());
    EXPECT_TRUE(cnn->enCalma());
    // Answers read to the end leave nothing behind.
    auto rs = cnn->ejecuta(QStringLiteral("SELECT seq FROM seq_1_to_5000"));
    ASSERT_TRUE(rs);
    rs.reset();
    cnn->ejecuta(QStringLiteral("DO 0"));
    EXPECT_TRUE(cnn->enCalma());

    // The server closes it: seen without a statement (the end reaches the socket at once over
    // this computer's connections; a short wait covers a slow scheduler).
    const long long id = prueba::cuentaSQL(*cnn, QStringLiteral("SELECT CONNECTION_ID()"));
    prueba::conecta(QStringLiteral("mysql"))->ejecuta(QStringLiteral("KILL %1").arg(id));
    for (int i = 0; i < 100 && cnn->enCalma(); ++i)
        QThread::msleep(10);
    EXPECT_FALSE(cnn->enCalma());
    cnn->cierra();
    EXPECT_FALSE(cnn->enCalma());
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

    // The server cuts it (as a restart or a timeout would): a new one, without a question.
    const long long id = prueba::cuentaSQL(*cnn, QStringLiteral("SELECT CONNECTION_ID()"));
    prueba::conecta(QStringLiteral("mysql"))->ejecuta(QStringLiteral("KILL %1").arg(id));
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
