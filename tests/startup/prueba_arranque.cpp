// Start-up run as a process, in a folder of its own, as a clerk's first and later runs would.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
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

// What the probe printed: its "name=[value]" lines, its error stream and its exit code.
struct Salida {
    QMap<QString, QString> valores;
    QString errores;
    int codigo = -1;
    QString operator[](const char* nombre) const { return valores.value(nombre); }
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

    // Runs the probe, after `antes` (a program that runs it, and its arguments) when given.
    Salida corre(const QStringList& antes = {}) {
        QProcess p;
        p.setWorkingDirectory(dir.path());  // not the program folder: start-up moves there
        const QStringList orden = antes + QStringList{sonda};
        p.start(orden.first(), orden.mid(1));
        EXPECT_TRUE(p.waitForFinished(30000));
        Salida s;
        s.codigo = p.exitCode();
        s.errores = QString::fromUtf8(p.readAllStandardError());
        static const QRegularExpression linea(QStringLiteral("^(\\w+)=\\[(.*)\\]$"),
                                              QRegularExpression::MultilineOption);
        for (const auto& m : linea.globalMatch(QString::fromUtf8(p.readAllStandardOutput())))
            s.valores.insert(m.captured(1), m.captured(2));
        return s;
    }

    QTemporaryDir dir;
    QString carpeta, sonda;
};

}  // namespace

TEST_F(Arranque, PrimeraEjecucionEscribeLosSeisRenglones) {
    Salida s = corre();
    EXPECT_EQ(s.codigo, 0);
    EXPECT_EQ(leeBytes(ini()), kSeisLineas);
    EXPECT_EQ(s["stServidor"], "");
    EXPECT_EQ(s["stBaseDeDatos"], "datos1");
    EXPECT_EQ(s["stRutaPrograma"], carpeta + "/");
    EXPECT_EQ(QDir(s["actual"]).canonicalPath(), QDir(carpeta).canonicalPath());
    EXPECT_TRUE(s.errores.isEmpty()) << qPrintable(s.errores);
    // A second run changes nothing.
    s = corre();
    EXPECT_EQ(leeBytes(ini()), kSeisLineas);
}

TEST_F(Arranque, ValoresDelArchivo) {
    // The settings file, the server, database and wait taken, the key a message names (none:
    // no message), and what is added to the file. Keys are found in any case, values are
    // lower-cased and not trimmed ("localhost " is a host of its own); a missing or empty value
    // gets the default, written where the key stands. A name with ";" or braces would add options
    // to the connection string (another socket, another user): the message names it and the window
    // is not shown. The wait is optional and not written; a value that is not a number of seconds
    // is named and ignored.
    const QByteArray espera = kSeisLineas + "[Segundos de espera del servidor]\r\n";
    const QByteArray url = "[URL de los datos del sistema]\r\nc:\\mysql\\data\r\n";
    const QByteArray sinRuta = "[Ruta de los datos del sistema]\r\nlocalhost\r\n" + url;
    const QByteArray sinBase = "[Base de datos a usar]\r\ndatos1\r\n" + url;
    const char* kBase = "[Base de datos a usar]";
    const char* kRuta = "[Ruta de los datos del sistema]";
    const char* kEspera = "[Segundos de espera del servidor]";
    using C =
        std::tuple<QByteArray, const char*, const char*, const char*, const char*, QByteArray>;
    for (const auto& [contenido, servidor, base, segundos, aviso, agregado] :
         {C{"[URL de los datos del sistema]\r\nd:\\datos\r\n[RUTA DE LOS DATOS DEL SISTEMA]\r\n"
            "SERVIDOR1\r\n[BASE DE DATOS A USAR]\r\nDatos2\r\n",
            "servidor1", "datos2", "30", nullptr, ""},
          C{"[Ruta de los datos del sistema]\r\nLocalHost\r\n", "", "datos1", "30", nullptr,
            sinBase},
          C{"[Ruta de los datos del sistema]\r\nlocalhost \r\n", "localhost ", "datos1", "30",
            nullptr, sinBase},
          C{sinRuta + "[Base de datos a usar]\r\n", "", "datos1", "30", nullptr, "datos1\r\n"},
          C{"[Base de datos a usar]\r\ndatos1;SOCKET=/elsewhere\r\n", "", "", "", kBase, sinRuta},
          C{"[Base de datos a usar]\r\n{datos1\r\n", "", "", "", kBase, sinRuta},
          C{"[Ruta de los datos del sistema]\r\nsrv;UID=otro\r\n", "", "", "", kRuta, sinBase},
          C{"[Ruta de los datos del sistema]\r\nsrv}\r\n", "", "", "", kRuta, sinBase},
          C{espera + "2\r\n", "", "datos1", "2", nullptr, ""},
          C{espera + "3600\r\n", "", "datos1", "3600", nullptr, ""},
          C{espera + "0\r\n", "", "datos1", "30", kEspera, ""},
          C{espera + "-5\r\n", "", "datos1", "30", kEspera, ""},
          C{espera + "diez\r\n", "", "datos1", "30", kEspera, ""},
          C{espera + "3601\r\n", "", "datos1", "30", kEspera, ""}}) {
        SCOPED_TRACE(contenido.toStdString());
        ASSERT_TRUE(escribeBytes(ini(), contenido));
        const Salida s = corre();
        EXPECT_EQ(s.codigo, 0);
        EXPECT_EQ(s["stServidor"], servidor);
        EXPECT_EQ(s["stBaseDeDatos"], base);
        EXPECT_EQ(s["inEsperaServidor"], segundos);
        if (aviso)
            EXPECT_TRUE(s.errores.count(aviso) == 1 && s.errores.contains("QUILMARO.INI"))
                << qPrintable(s.errores);
        else
            EXPECT_TRUE(s.errores.isEmpty()) << qPrintable(s.errores);
        EXPECT_EQ(leeBytes(ini()), contenido + agregado);
    }
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
    EXPECT_EQ(s["stServidor"], "");
    EXPECT_EQ(s["stBaseDeDatos"], "datos1");
    EXPECT_EQ(s["stRutaPrograma"], carpeta + "/");
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
