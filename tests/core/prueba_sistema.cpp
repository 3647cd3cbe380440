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
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include "CarpetaTemporal.h"
#include "PlataformaPrueba.h"
#include "core/Biblioteca.h"
#include "core/libTESK.h"
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
