// File and system helpers: drive serials, the computer's name, attributes, disk space, the pause
// and opening documents, checked against the system's own tools where there is one.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include "CarpetaTemporal.h"
#include "PlataformaPrueba.h"
#include "lib/Biblioteca.h"
#include "lib/libTESK.h"
#include "platform/Sistema.h"

#ifdef Q_OS_LINUX
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

using namespace quilmaro;

namespace {

// Standard output of a program, trimmed; empty when it cannot run.
QString salidaDe(const QString& programa, const QStringList& argumentos) {
    QProcess p;
    p.start(programa, argumentos);
    if (!p.waitForFinished(10000) || p.exitCode() != 0)
        return QString();
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

// Receives the addresses the desktop would open.
class Abridor : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> abiertas;
  public slots:
    void abre(const QUrl& u) { abiertas.append(u); }
};

}  // namespace

TEST(Volumen, TextoYUnidadesQueNoExisten) {
    // A label ends at its first NUL; a blank one is no label.
    using C = std::tuple<std::uint32_t, QString, QString>;
    for (const auto& [serie, etiqueta, texto] :
         {C{0x12AB3, "DATOS", "00012AB3DATOS"}, C{0xFFFFFFFF, "   ", "FFFFFFFF(no label)"},
          C{0xABC, QStringLiteral("AB") + QChar(0) + "CD", "00000ABCAB"},
          C{0xABC, QChar(0) + QStringLiteral("CD"), "00000ABC(no label)"}})
        EXPECT_EQ(textoDeVolumen(serie, etiqueta), texto);
    QString ruta = "d:\\datos";
    EXPECT_EQ(tesk().LeeSerie(ruta), QString(23, QLatin1Char(' ')));
    EXPECT_EQ(ruta, "D");
}

#ifdef Q_OS_LINUX
TEST(Volumen, IdentificadoresDeSistemasDeArchivos) {
    // FAT, NTFS, and the first digits of a UUID.
    using P = std::pair<const char*, std::uint32_t>;
    for (auto [id, serie] : {P{"ABCD-1234", 0xABCD1234u}, P{"0123456789ABCDEF", 0x89ABCDEFu},
                             P{"1b4e28ba-2fa1-11d2-883f-0016d3cca427", 0x1B4E28BAu}})
        EXPECT_EQ(sistema::serieDeIdentificador(id), serie) << id;
    for (const char* sinSerie : {"00000000-0000-0000-0000-000000000000", "raiz"})
        EXPECT_FALSE(sistema::serieDeIdentificador(sinSerie)) << sinSerie;
}

TEST(Volumen, RaizContraElSistema) {
    // Drive C (and the blank name that stands for it) is the root file system.
    QString ruta = "  ";
    const QString texto = tesk().LeeSerie(ruta);
    EXPECT_EQ(ruta, "C");
    ASSERT_GE(texto.size(), 9);
    const QString serie = texto.left(8);
    EXPECT_TRUE(QRegularExpression("^[0-9A-F]{8}$").match(serie).hasMatch()) << serie.toStdString();
    QString raiz = "/";
    EXPECT_EQ(tesk().LeeSerie(raiz), texto);

    // Without the system's list of disks, the serial is the kernel's id of the file system, the
    // first eight digits that "stat -f" shows.
    if (!QFileInfo::exists("/dev/disk/by-uuid")) {
        const QString id = salidaDe("stat", {"-f", "-c", "%i", "/"});
        ASSERT_EQ(id.size(), 16) << id.toStdString();
        EXPECT_EQ(serie, id.left(8).toUpper());
    }
    const QString etiqueta = salidaDe("findmnt", {"-n", "-o", "LABEL", "-T", "/"});
    EXPECT_EQ(texto.mid(8), etiqueta.isEmpty() ? QStringLiteral("(no label)") : etiqueta);
}

TEST(Volumen, ListaDeDiscosDelSistema) {
    // The system lists file systems by identifier and by label as links to their devices.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(dir.path()).constData(), &st), 0);
    const QString discos = dir.filePath("disk");
    ASSERT_TRUE(QDir().mkpath(discos + "/by-uuid") && QDir().mkpath(discos + "/by-label"));
    const QByteArray nodo = QFile::encodeName(discos + "/vda1");
    if (::mknod(nodo.constData(), S_IFBLK | 0600, st.st_dev) != 0)
        GTEST_SKIP() << "cannot make a device node here";
    ASSERT_TRUE(QFile::link("../vda1", discos + "/by-uuid/ABCD-1234"));
    ASSERT_TRUE(QFile::link("../vda1", discos + "/by-label/MIS\\x20DATOS"));
    // Entries for other devices are passed over.
    ASSERT_TRUE(QFile::link("/dev/null", discos + "/by-uuid/1111-2222"));
    const auto v = sistema::leeVolumenDeRuta(dir.path(), discos);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->serie, 0xABCD1234u);
    EXPECT_EQ(v->etiqueta, "MIS DATOS");
    EXPECT_FALSE(sistema::leeVolumenDeRuta(dir.filePath("no-existe"), discos));
}
#endif

TEST(Sistema, NombreDelEquipo) {
    const QString esperado = salidaDe("hostname", {});
    if (esperado.isEmpty())
        GTEST_SKIP() << "no hostname program";
    EXPECT_EQ(tesk().NetName(), esperado);
}

TEST(Sistema, Pausa) {
    QElapsedTimer reloj;
    reloj.start();
    tesk().Segundos(120);
    EXPECT_GE(reloj.elapsed(), 120);
    reloj.restart();
    tesk().Segundos(0);
    tesk().Segundos(-1);  // never a pause of 49 days
    EXPECT_LT(reloj.elapsed(), 100);
}

class Atributos : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        archivo = dir.filePath("factura.txt");
        ASSERT_TRUE(prueba::escribeBytes(archivo, "x"));
    }
    // Whether this file system keeps the attributes that do not live in the permissions.
    bool guardaAtributos() {
#ifdef Q_OS_LINUX
        const QByteArray r = QFile::encodeName(archivo);
        if (::setxattr(r.constData(), "user.prueba", "1", 1, 0) != 0)
            return false;
        ::removexattr(r.constData(), "user.prueba");
        return true;
#else
        return true;
#endif
    }
    QTemporaryDir dir;
    QString archivo;
    libTESK& t = tesk();
};

TEST_F(Atributos, SoloLecturaOcultoCarpetasYFallas) {
    EXPECT_EQ(t.Atributo(archivo), "");
    EXPECT_EQ(t.Atributo(archivo, "   "), "");  // blank letters only read
    EXPECT_EQ(t.Atributo(dir.path()), "D");
    const QString oculto = dir.filePath(".oculto");
    ASSERT_TRUE(prueba::escribeBytes(oculto, "x"));
    EXPECT_EQ(t.Atributo(oculto), "H");
    EXPECT_EQ(t.Atributo(dir.filePath("no-existe.txt"), "R"), "");
    if (!guardaAtributos())
        GTEST_SKIP() << "no extended attributes here";
    EXPECT_EQ(t.Atributo(oculto, "X"), "H");  // the leading dot keeps it hidden
    EXPECT_EQ(t.Atributo(dir.path(), "H"), "DH");
    EXPECT_EQ(t.Atributo(archivo, "rh"), "HR");
    EXPECT_FALSE(QFileInfo(archivo).permissions() &
                 (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));
    EXPECT_EQ(t.Atributo(archivo), "HR");
    // Letters that are not attributes are ignored; none of the four clears them all.
    EXPECT_EQ(t.Atributo(archivo, "X"), "");
    EXPECT_TRUE(QFileInfo(archivo).permissions() & QFile::WriteOwner);
    EXPECT_EQ(t.Atributo(archivo, "RSHAZ"), "ASHR");
    // Read-only also when the permissions are changed from outside.
    t.Atributo(archivo, "X");
    QFile::setPermissions(archivo, QFile::ReadOwner | QFile::ReadGroup);
    EXPECT_EQ(t.Atributo(archivo), "R");
}

#ifdef Q_OS_LINUX
TEST_F(Atributos, AtributosGuardadosPorOtros) {
    if (!guardaAtributos())
        GTEST_SKIP() << "no extended attributes here";
    const QByteArray r = QFile::encodeName(archivo);
    auto guarda = [&](const QByteArray& v) {
        ASSERT_EQ(::setxattr(r.constData(), "user.DOSATTRIB", v.constData(),
                             static_cast<size_t>(v.size()), 0),
                  0);
    };
    // As a file server keeps them: the word in hexadecimal, then a NUL and more data.
    guarda(QByteArray("0x22\0\x03\x00\x11", 8));
    EXPECT_EQ(t.Atributo(archivo), "AH");
    // A stored read-only or directory bit does not count: those come from the file itself.
    // Temporary (256) or normal (128) make the word unreadable as letters.
    for (const char* palabra : {"0x11", "0x120", "basura"}) {
        guarda(palabra);
        EXPECT_EQ(t.Atributo(archivo), "") << palabra;
    }
    // Setting replaces the stored word whole.
    guarda("0x120");
    EXPECT_EQ(t.Atributo(archivo, "H"), "H");
}
#endif

TEST(Espacio, ContraDf) {
    libTESK& t = tesk();
    const QString carpeta = QCoreApplication::applicationDirPath();
    // Size and used bytes by df's second line; 0 without df.
    auto df = [&](const QString& ruta) {
        const QStringList campos = salidaDe("df", {"-B1", "--output=size,used", ruta})
                                       .split('\n')
                                       .value(1)
                                       .simplified()
                                       .split(' ');
        return std::pair(campos.value(0).toLongLong(), campos.value(1).toLongLong());
    };
    const auto antes = df(carpeta);
    if (antes.first <= 0)
        GTEST_SKIP() << "no df";
    const Moneda64 total = t.EspacioTotal(carpeta);
    const Moneda64 libre = t.EspacioLibre(carpeta);
    const auto despues = df(carpeta);
    EXPECT_EQ(total.entero(), antes.first);
    // Free is the whole file system's (df's size less its used), not just what a user may take.
    // Others write to the disk meanwhile: the value lies between the two readings, give or take.
    const qint64 holgura = 256ll * 1024 * 1024;
    const qint64 libreAntes = antes.first - antes.second,
                 libreDespues = despues.first - despues.second;
    EXPECT_GE(libre.entero(), std::min(libreAntes, libreDespues) - holgura);
    EXPECT_LE(libre.entero(), std::max(libreAntes, libreDespues) + holgura);
    EXPECT_LE(libre, total);

    // No name: the current folder's file system.
    const QString anterior = QDir::currentPath();
    QDir::setCurrent(carpeta);
    EXPECT_EQ(t.EspacioTotal(), total);
    QDir::setCurrent(anterior);
#ifdef Q_OS_LINUX
    // Drive C is the root file system; other drives do not exist.
    const auto raiz = df("/");
    for (const char* c : {"C", "c:", "C:\\", "c:\\datos"})
        EXPECT_EQ(t.EspacioTotal(c).entero(), raiz.first) << c;
    for (const char* d : {"D", "D\\", "/no/existe"})
        EXPECT_EQ(t.EspacioLibre(d), Moneda64()) << d;
#endif
}

TEST(Espacio, ValorMoneda) {
    EXPECT_EQ(Moneda64::deEntero(1234).escalado(), 12340000);
    EXPECT_EQ(Moneda64::deEscalado(-5000).aTexto(), "-0.5");
    EXPECT_EQ(Moneda64::deEscalado(std::numeric_limits<std::int64_t>::min()).aTexto(),
              "-922337203685477.5808");
    // Byte counts beyond about 922 million millions do not fit.
    EXPECT_EQ(Moneda64::deSinSigno(922337203685477ull).entero(), 922337203685477);
    EXPECT_THROW(Moneda64::deSinSigno(922337203685478ull), ErrorTESK);
}

class Documentos : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        anterior = QDir::currentPath();
        QDir::setCurrent(dir.path());
        for (const char* esquema : {"file", "https"})
            QDesktopServices::setUrlHandler(esquema, &abridor, "abre");
    }
    void TearDown() override {
        for (const char* esquema : {"file", "https"})
            QDesktopServices::unsetUrlHandler(esquema);
        QDir::setCurrent(anterior);
    }
    QTemporaryDir dir;
    QString anterior;
    Abridor abridor;
    libTESK& t = tesk();
};

TEST_F(Documentos, AbreConElProgramaDelEscritorio) {
    ASSERT_TRUE(prueba::escribeBytes(dir.filePath("Reporte de ventas.pdf"), "%PDF"));
    // A relative name is taken from the current folder.
    EXPECT_GT(t.AbreDocumento("Reporte de ventas.pdf", 0), 32);
    EXPECT_GT(t.AbreDocumento("https://example.com/ayuda", 0), 32);
    EXPECT_EQ(abridor.abiertas,
              QList<QUrl>({QUrl::fromLocalFile(dir.filePath("Reporte de ventas.pdf")),
                           QUrl("https://example.com/ayuda")}));
    abridor.abiertas.clear();
    EXPECT_EQ(t.AbreDocumento("no-existe.pdf", 0), 2);
    EXPECT_EQ(t.AbreDocumento(dir.filePath("no/existe.pdf"), 0), 3);
    EXPECT_EQ(t.AbreDocumento("   ", 0), 2);
    EXPECT_TRUE(abridor.abiertas.isEmpty());
    // An address nothing can open.
    if (QStandardPaths::findExecutable("xdg-open").isEmpty()) {
        EXPECT_EQ(t.AbreDocumento("quilmaro-prueba:nada", 0), 31);
    }
}

#include "prueba_sistema.moc"
