// Start-up run as a process, in a folder of its own, as a clerk's first and later runs would.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "CarpetaTemporal.h"

using quilmaro::prueba::escribeBytes;
using quilmaro::prueba::leeBytes;

namespace {

const QByteArray kSeisLineas =
    "[Ruta de los datos del sistema]\r\nlocalhost\r\n"
    "[Base de datos a usar]\r\ndatos1\r\n"
    "[URL de los datos del sistema]\r\nc:\\mysql\\data\r\n";

struct Salida {
    QString servidor, base, ruta, actual, espera, errores;
    int codigo = -1;
};

class Arranque : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        carpeta = QDir(dir.path()).filePath("programa");
        ASSERT_TRUE(QDir().mkpath(carpeta));
        sonda = QDir(carpeta).filePath("sonda_arranque");
        ASSERT_TRUE(QFile::copy(SONDA_ARRANQUE, sonda));
    }

    QString ini() const { return QDir(carpeta).filePath("QUILMARO.INI"); }

    Salida corre(const QStringList& antes = {}) {
        QProcess p;
        p.setWorkingDirectory(dir.path());  // not the program folder: start-up moves there
        QString programa = sonda;
        QStringList argumentos;
        if (!antes.isEmpty()) {
            programa = antes.first();
            argumentos = antes.mid(1);
            argumentos << sonda;
        }
        p.start(programa, argumentos);
        EXPECT_TRUE(p.waitForFinished(30000));
        Salida s;
        s.codigo = p.exitCode();
        s.errores = QString::fromUtf8(p.readAllStandardError());
        for (const QString& l : QString::fromUtf8(p.readAllStandardOutput()).split('\n')) {
            auto valor = [&](const char* clave) {
                return l.mid(QString(clave).size() + 2).chopped(1);
            };
            if (l.startsWith("stServidor="))
                s.servidor = valor("stServidor");
            if (l.startsWith("stBaseDeDatos="))
                s.base = valor("stBaseDeDatos");
            if (l.startsWith("stRutaPrograma="))
                s.ruta = valor("stRutaPrograma");
            if (l.startsWith("actual="))
                s.actual = valor("actual");
            if (l.startsWith("inEsperaServidor="))
                s.espera = valor("inEsperaServidor");
        }
        return s;
    }

    QTemporaryDir dir;
    QString carpeta, sonda;
};

}  // namespace

TEST_F(Arranque, PrimeraEjecucionEscribeLosSeisRenglones) {
    const Salida s = corre();
    EXPECT_EQ(s.codigo, 0);
    EXPECT_EQ(leeBytes(ini()), kSeisLineas);
    EXPECT_EQ(s.servidor, "");
    EXPECT_EQ(s.base, "datos1");
    EXPECT_EQ(s.ruta, carpeta + "/");
    EXPECT_EQ(QDir(s.actual).canonicalPath(), QDir(carpeta).canonicalPath());
    EXPECT_TRUE(s.errores.isEmpty()) << qPrintable(s.errores);

    // A second run changes nothing.
    corre();
    EXPECT_EQ(leeBytes(ini()), kSeisLineas);
}

TEST_F(Arranque, ValoresEnMayusculasYClavesExistentes) {
    const QByteArray propio =
        "[URL de los datos del sistema]\r\nd:\\datos\r\n"
        "[RUTA DE LOS DATOS DEL SISTEMA]\r\nSERVIDOR1\r\n"
        "[BASE DE DATOS A USAR]\r\nDatos2\r\n";
    ASSERT_TRUE(escribeBytes(ini(), propio));
    Salida s = corre();
    EXPECT_EQ(s.servidor, "servidor1");
    EXPECT_EQ(s.base, "datos2");
    EXPECT_EQ(leeBytes(ini()), propio);  // found in any case, written as they were, not added

    ASSERT_TRUE(escribeBytes(ini(), "[Ruta de los datos del sistema]\r\nLocalHost\r\n"));
    s = corre();
    EXPECT_EQ(s.servidor, "");
    EXPECT_EQ(s.base, "datos1");

    // "localhost " with a blank is a host name of its own: nothing is trimmed.
    ASSERT_TRUE(escribeBytes(ini(), "[Ruta de los datos del sistema]\r\nlocalhost \r\n"));
    s = corre();
    EXPECT_EQ(s.servidor, "localhost ");
}

TEST_F(Arranque, NombreQueAgregaOpcionesALaConexionSeRechaza) {
    // A name with ";" or braces would add options to the connection string (another socket,
    // another user): one message naming the key, and the window is not shown.
    struct Caso {
        const char *clave, *valor;
    };
    const Caso casos[] = {
        {"[Base de datos a usar]", "datos1;SOCKET=/elsewhere"},
        {"[Base de datos a usar]", "{datos1"},
        {"[Ruta de los datos del sistema]", "srv;UID=otro"},
        {"[Ruta de los datos del sistema]", "srv}"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.valor);
        const QByteArray contenido = QByteArray(c.clave) + "\r\n" + c.valor + "\r\n";
        ASSERT_TRUE(escribeBytes(ini(), contenido));
        const Salida s = corre();
        EXPECT_EQ(s.codigo, 0);
        EXPECT_TRUE(s.base.isEmpty() && s.ruta.isEmpty()) << qPrintable(s.base);  // no window
        EXPECT_EQ(s.errores.count("no puede usarse"), 1) << qPrintable(s.errores);
        EXPECT_TRUE(s.errores.contains(c.clave)) << qPrintable(s.errores);
        EXPECT_TRUE(s.errores.contains("QUILMARO.INI"));
    }
}

TEST_F(Arranque, EsperaDelServidor) {
    // Optional and not written; a value that is not a number of seconds is named and ignored.
    struct Caso {
        const char* valor;
        QString espera;
        bool aviso;
    };
    const Caso casos[] = {{nullptr, "30", false}, {"2", "2", false},  {"3600", "3600", false},
                          {"0", "30", true},      {"-5", "30", true}, {"diez", "30", true},
                          {"3601", "30", true}};
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.valor ? c.valor : "(sin clave)");
        QByteArray contenido = kSeisLineas;
        if (c.valor)
            contenido += QByteArray("[Segundos de espera del servidor]\r\n") + c.valor + "\r\n";
        ASSERT_TRUE(escribeBytes(ini(), contenido));
        const Salida s = corre();
        EXPECT_EQ(s.espera, c.espera);
        EXPECT_EQ(s.errores.contains("[Segundos de espera del servidor]"), c.aviso)
            << qPrintable(s.errores);
        EXPECT_EQ(leeBytes(ini()), contenido);
    }
}

TEST_F(Arranque, ValorVacioSeReemplazaPorElPredeterminado) {
    ASSERT_TRUE(escribeBytes(ini(),
                             "[Base de datos a usar]\r\n\r\n[Otra cosa]\r\nvalor\r\n"
                             "[Ruta de los datos del sistema]\r\nsrv\r\n"
                             "[URL de los datos del sistema]\r\nu\r\n"));
    const Salida s = corre();
    EXPECT_EQ(s.base, "datos1");
    EXPECT_EQ(leeBytes(ini()),
              "[Base de datos a usar]\r\ndatos1\r\n[Otra cosa]\r\nvalor\r\n"
              "[Ruta de los datos del sistema]\r\nsrv\r\n"
              "[URL de los datos del sistema]\r\nu\r\n");
}

TEST_F(Arranque, CarpetaSinPermisoDeEscrituraSigueConLosPredeterminados) {
    QStringList como;
    if (::geteuid() == 0) {
        // root writes anywhere: run the probe as an ordinary user that cannot.
        como = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                              QFileDevice::ExeOther);
    }
    QFile::setPermissions(carpeta, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                       QFileDevice::ReadOther | QFileDevice::ExeOther);
    const Salida s = corre(como);
    QFile::setPermissions(carpeta,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(s.codigo, 0);
    EXPECT_EQ(s.servidor, "");
    EXPECT_EQ(s.base, "datos1");
    EXPECT_EQ(s.ruta, carpeta + "/");
    EXPECT_TRUE(s.errores.contains("No se pudo leer o escribir el archivo de configuración"))
        << qPrintable(s.errores);
    EXPECT_TRUE(s.errores.contains("QUILMARO.INI"));
    EXPECT_FALSE(QFile::exists(ini()));
}

TEST_F(Arranque, ElProgramaEscribeLaConfiguracionAlEmpezar) {
    // The real program in an empty folder: the settings file appears before the window does.
    const QString programa = QDir(carpeta).filePath("quilmaro");
    ASSERT_TRUE(QFile::copy(PROGRAMA_QUILMARO, programa));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(programa, {});
    ASSERT_TRUE(p.waitForStarted(10000));
    QElapsedTimer reloj;
    reloj.start();
    while (leeBytes(ini()) != kSeisLineas && reloj.elapsed() < 20000)
        QThread::msleep(50);
    EXPECT_EQ(leeBytes(ini()), kSeisLineas);
    // The window is modal and waits for the clerk.
    EXPECT_FALSE(p.waitForFinished(500));
    p.kill();
    p.waitForFinished(5000);
}
