// File and system helpers: drive serials, the computer's name, attributes, disk space, the pause
// and opening documents, checked against the system's own tools where there is one; and raw
// printer output: the port-name rule, the status messages and the exact bytes written.

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include "AyudaPruebas.h"
#include "CarpetaTemporal.h"
#include "PlataformaPrueba.h"
#include "core/ArchivosTexto.h"
#include "core/Biblioteca.h"
#include "core/libTESK.h"
#include "platform/Sistema.h"

#ifdef Q_OS_LINUX
#include <sys/xattr.h>
#endif

using namespace quilmaro;
using prueba::escribeBytes;
using prueba::leeBytes;
using prueba::numeroDeError;

namespace {

// Receives the addresses the desktop would open.
class Abridor : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> abiertas;
  public slots:
    void abre(const QUrl& u) { abiertas.append(u); }
};

QString codigos(std::initializer_list<char> cs) {
    return texto::deWindows1252(QByteArray(cs.begin(), static_cast<qsizetype>(cs.size())));
}

}  // namespace

TEST(Sistema, VolumenNombrePausaYEspacio) {
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
#ifdef Q_OS_LINUX
    // FAT, NTFS, and the first digits of a UUID; 0: no serial.
    using P = std::pair<const char*, std::uint32_t>;
    for (auto [id, serie] : {P{"ABCD-1234", 0xABCD1234u}, P{"0123456789ABCDEF", 0x89ABCDEFu},
                             P{"1b4e28ba-2fa1-11d2-883f-0016d3cca427", 0x1B4E28BAu},
                             P{"00000000-0000-0000-0000-000000000000", 0}, P{"raiz", 0}})
        EXPECT_EQ(sistema::serieDeIdentificador(id).value_or(0), serie) << id;
#endif
    QProcess hostname;
    hostname.start("hostname", {});
    if (hostname.waitForFinished(10000) && hostname.exitCode() == 0) {
        EXPECT_EQ(tesk().NetName(),
                  QString::fromLocal8Bit(hostname.readAllStandardOutput()).trimmed());
    }
    QElapsedTimer reloj;
    reloj.start();
    tesk().Segundos(120);
    EXPECT_GE(reloj.elapsed(), 120);
    reloj.restart();
    tesk().Segundos(-1);  // never a pause of 49 days
    EXPECT_LT(reloj.elapsed(), 100);
    // Byte counts beyond about 922 million millions do not fit the currency value.
    EXPECT_EQ(Moneda64::deEscalado(std::numeric_limits<std::int64_t>::min()).aTexto(),
              "-922337203685477.5808");
    EXPECT_EQ(Moneda64::deSinSigno(922337203685477ull).entero(), 922337203685477);
    EXPECT_THROW(Moneda64::deSinSigno(922337203685478ull), ErrorTESK);
}

TEST(Sistema, Atributos) {
    QTemporaryDir dir;
    const QString archivo = dir.filePath("factura.txt"), oculto = dir.filePath(".oculto");
    ASSERT_TRUE(escribeBytes(archivo, "x") && escribeBytes(oculto, "x"));
    // File, letters to set (none: only read), attributes afterwards. The leading dot keeps a file
    // hidden; letters that are not attributes are ignored; none of the four clears them all.
    using C = std::tuple<QString, const char*, const char*>;
    const C lecturas[] = {C{archivo, nullptr, ""}, C{archivo, "   ", ""},
                          C{dir.path(), nullptr, "D"}, C{oculto, nullptr, "H"},
                          C{dir.filePath("no-existe"), "R", ""}};
    const C escrituras[] = {C{oculto, "X", "H"},    C{dir.path(), "H", "DH"},
                            C{archivo, "rh", "HR"}, C{archivo, nullptr, "HR"},
                            C{archivo, "X", ""},    C{archivo, "RSHAZ", "ASHR"},
                            C{archivo, "X", ""}};
#ifdef Q_OS_LINUX
    const QByteArray r = QFile::encodeName(archivo);
    const bool guarda = ::setxattr(r.constData(), "user.prueba", "1", 1, 0) == 0;
#else
    const bool guarda = true;
#endif
    for (const auto& [ruta, letras, atributos] : lecturas)
        EXPECT_EQ(tesk().Atributo(ruta, letras), atributos) << qPrintable(ruta);
    if (!guarda)
        GTEST_SKIP() << "no extended attributes here";
    for (const auto& [ruta, letras, atributos] : escrituras)
        EXPECT_EQ(tesk().Atributo(ruta, letras), atributos) << qPrintable(ruta) << letras;
#ifdef Q_OS_LINUX
    // As a file server keeps them: the word in hexadecimal, then a NUL and more data. A stored
    // read-only or directory bit does not count; temporary (256) or normal (128) make the word
    // unreadable as letters.
    using P = std::pair<QByteArray, const char*>;
    for (const auto& [palabra, atributos] : {P{QByteArray("0x22\0\x03\x00\x11", 8), "AH"},
                                             P{"0x11", ""}, P{"0x120", ""}, P{"basura", ""}}) {
        ASSERT_EQ(::setxattr(r.constData(), "user.DOSATTRIB", palabra.constData(),
                             static_cast<size_t>(palabra.size()), 0),
                  0);
        EXPECT_EQ(tesk().Atributo(archivo), atributos) << palabra.constData();
    }
#endif
}

TEST(Sistema, AbreConElProgramaDelEscritorio) {
    QTemporaryDir dir;
    const QString anterior = QDir::currentPath();
    QDir::setCurrent(dir.path());
    Abridor abridor;
    for (const char* esquema : {"file", "https"})
        QDesktopServices::setUrlHandler(esquema, &abridor, "abre");
    ASSERT_TRUE(escribeBytes(dir.filePath("Reporte de ventas.pdf"), "%PDF"));
    // A relative name is taken from the current folder; 2: no such file, 3: no such folder, 31:
    // nothing can open the address.
    using P = std::pair<QString, std::int32_t>;
    for (const auto& [documento, codigo] :
         {P{"Reporte de ventas.pdf", 33}, P{"https://example.com/ayuda", 33}, P{"no-existe.pdf", 2},
          P{dir.filePath("no/existe.pdf"), 3}, P{"   ", 2}}) {
        const std::int32_t r = tesk().AbreDocumento(documento, 0);
        EXPECT_EQ(r > 32 ? 33 : r, codigo) << qPrintable(documento);
    }
    EXPECT_EQ(abridor.abiertas,
              QList<QUrl>({QUrl::fromLocalFile(dir.filePath("Reporte de ventas.pdf")),
                           QUrl("https://example.com/ayuda")}));
    if (QStandardPaths::findExecutable("xdg-open").isEmpty()) {
        EXPECT_EQ(tesk().AbreDocumento("quilmaro-prueba:nada", 0), 31);
    }
    for (const char* esquema : {"file", "https"})
        QDesktopServices::unsetUrlHandler(esquema);
    QDir::setCurrent(anterior);
}

TEST(Puerto, NombresYEstados) {
    using P = std::pair<QString, QString>;
    // The blanks stay; paths are not upper-cased: on this file system that would be another file.
    for (auto [nombre, esperado] : {P{"   ", "LPT1"}, P{" lpt2 ", " LPT2 "}, P{"prn", "PRN"},
                                    P{"/tmp/Salida.txt", "/tmp/Salida.txt"}, P{"lpt10", "lpt10"}}) {
        puerto::aplicaReglaDeNombre(nombre);
        EXPECT_EQ(nombre, esperado);
    }
#ifdef Q_OS_LINUX
    for (auto [nombre, ruta] : {P{" LPT3 ", "/dev/lp2"}, P{"PRN", "/dev/lp0"}, P{"lpt0", "lpt0"}})
        EXPECT_EQ(sistema::rutaDePuerto(nombre), ruta);
#endif
    const QStringList todos = {
        "Error genérico en el puerto LPT1", "Tiempo de espera de impresora agotado, en LPT1",
        "Error de entrada/salida con el puerto LPT1",
        "Dispositivo no seleccionado, o no está listo, en LPT1", "Sin papel en la impresora LPT1"};
    // Only the bits that are set are shown, in their order, when asked; other bits of the error
    // word (receive overrun, framing) are not the printer's business.
    using C = std::tuple<std::uint32_t, bool, bool, QStringList>;  // flags, show, ready, texts
    for (const auto& [banderas, avisar, lista, textos] :
         {C{0xFFFFFFFF, true, false, todos},
          C{puerto::kSinPapel | puerto::kErrorES, true, false, {todos[2], todos[4]}},
          C{puerto::kTiempoAgotado, false, false, {}}, C{0, true, true, {}},
          C{0x0001 | 0x0008, true, true, {}}}) {
        prueba::PlataformaPrueba plataforma;
        EXPECT_EQ(puerto::avisaEstado(banderas, "LPT1", avisar), lista);
        EXPECT_EQ(plataforma.textos(), textos);
        for (const Mensaje& m : plataforma.mensajes())
            EXPECT_TRUE(m.titulo == "ERROR" && m.icono == Icono::Critico);
    }
}

TEST(Puerto, BytesDeUnaPagina) {
    QTemporaryDir dir;
    prueba::PlataformaPrueba plataforma;
    libTESK& t = tesk();
    QString archivo = dir.filePath("pagina.prn");
    ASSERT_TRUE(escribeBytes(archivo, "contenido anterior que se pierde"));
    ASSERT_TRUE(t.IniciaImpresora(archivo));
    EXPECT_EQ(leeBytes(archivo), "");  // emptied on opening

    t.Imprime(3, 5, "Hola");             // two line ends, then four blanks
    t.Imprime(3, 12, std::int32_t{42});  // same line: no line end
    t.Imprime(3, 2, "X");                // a column already passed: right where it stands
    t.Imprime(1, 1, "Segunda");          // a line above: new page
    EXPECT_EQ(t.lineaImpresora(), 1);
    std::int16_t columnas = 0;
    t.Centra("Centrado", 2, columnas);  // on 80 columns: column 36
    EXPECT_EQ(columnas, 80);
    t.CadenaImp(t.CadConfImp("27,64"));
    t.Imprime(2, 1, QStringLiteral("ñ€"));
    t.Imprime(0, 1, "Tercera");  // line 0 is above any line: new page too
    t.Eject();
    EXPECT_FALSE(t.impresoraAbierta());

    const QByteArray esperado = QByteArray("\r\n\r\n    Hola   42X") + "\f\r\nSegunda" + "\r\n" +
                                QByteArray(35, ' ') + "Centrado" + "\x1b@" + "\xF1\x80" +
                                "\f\r\nTercera" + "\f\r\n";
    EXPECT_EQ(leeBytes(archivo), esperado);
}

TEST(Puerto, CadenasDeControl) {
    libTESK& t = tesk();
    // Halves go to even; anything that is no number is 0.
    using P = std::pair<const char*, QString>;
    for (auto [texto, codigo] :
         {P{"27,64", codigos({27, 64})}, P{"27,69,", codigos({27, 69, 0})}, P{"", codigos({0})},
          P{" 27 , 1 5 ", codigos({27, 15})}, P{"2.5,3.5,x", codigos({2, 4, 0})}})
        EXPECT_EQ(t.CadConfImp(texto), codigo) << texto;
    for (const QString& fuera : {QString("27,256"), QString("-1")})
        EXPECT_EQ(numeroDeError([&] { t.CadConfImp(fuera); }), errores::ArgumentoNoValido);
    EXPECT_EQ(t.CadConfImp(QString(254, QLatin1Char(','))).size(), 255);
    EXPECT_EQ(numeroDeError([&] { t.CadConfImp(QString(255, QLatin1Char(','))); }),
              errores::Desbordamiento);
}

#include "prueba_sistema.moc"
