// Raw printer output: the port-name rule, the status messages and the exact bytes written.

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>

#include "AyudaPruebas.h"
#include "CarpetaTemporal.h"
#include "PlataformaPrueba.h"
#include "lib/ArchivosTexto.h"
#include "lib/Biblioteca.h"
#include "lib/libTESK.h"
#include "platform/Sistema.h"

using namespace quilmaro;
using prueba::escribeBytes;
using prueba::leeBytes;
using prueba::numeroDeError;
using prueba::RegionalFijo;

namespace {

QString codigos(std::initializer_list<int> cs) {
    QByteArray b;
    for (int c : cs)
        b.append(static_cast<char>(c));
    return texto::deWindows1252(b);
}

class Puerto : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override { t.CierraImpresora(); }
    QString ruta(const QString& nombre) const { return dir.filePath(nombre); }

    QTemporaryDir dir;
    prueba::PlataformaPrueba plataforma;
    libTESK& t = tesk();
};

}  // namespace

TEST(NombreDePuerto, ReglaYDispositivos) {
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
}

TEST(EstadoDePuerto, MensajesEnSuOrden) {
    EXPECT_EQ(puerto::mensajesDeEstado(0xFFFFFFFF, "LPT2"),
              QStringList({"Error genérico en el puerto LPT2",
                           "Tiempo de espera de impresora agotado, en LPT2",
                           "Error de entrada/salida con el puerto LPT2",
                           "Dispositivo no seleccionado, o no está listo, en LPT2",
                           "Sin papel en la impresora LPT2"}));
    // Other bits of the error word (receive overrun, framing) are not the printer's business.
    EXPECT_TRUE(puerto::mensajesDeEstado(0x0001 | 0x0008, "LPT1").isEmpty());

    // Only the bits that are set are shown.
    prueba::PlataformaPrueba plataforma;
    EXPECT_FALSE(puerto::avisaEstado(puerto::kSinPapel | puerto::kErrorES, "LPT1", true));
    EXPECT_EQ(plataforma.textos(), QStringList({"Error de entrada/salida con el puerto LPT1",
                                                "Sin papel en la impresora LPT1"}));
    for (const Mensaje& m : plataforma.mensajes())
        EXPECT_TRUE(m.titulo == "ERROR" && m.icono == Icono::Critico &&
                    m.botones == Botones::Aceptar);
    plataforma.limpia();
    EXPECT_FALSE(puerto::avisaEstado(puerto::kTiempoAgotado, "LPT1", false));
    EXPECT_TRUE(puerto::avisaEstado(0, "LPT1", true));
    EXPECT_TRUE(plataforma.mensajes().isEmpty());
}

#ifdef Q_OS_LINUX
TEST(EstadoDePuerto, ByteDelControladorDeLinux) {
    // Status byte of the printer driver: 0x80 not busy, 0x20 paper out, 0x10 selected, 0x08 no
    // error (the error line is active low).
    EXPECT_EQ(sistema::banderasDeEstadoLp(0x10 | 0x08), 0u);  // busy is not a fault
    EXPECT_EQ(sistema::banderasDeEstadoLp(0x80 | 0x08), puerto::kNoSeleccionado);
    // Out of paper, off line and signalling an error.
    EXPECT_EQ(sistema::banderasDeEstadoLp(0x80 | 0x20),
              puerto::kSinPapel | puerto::kNoSeleccionado | puerto::kErrorES);
}
#endif

TEST_F(Puerto, RevisionDeArchivosYDispositivos) {
    // A plain file has no status flags; the check creates it.
    QString archivo = ruta("salida.prn");
    EXPECT_TRUE(t.ImpresoraLista(archivo));
    EXPECT_TRUE(QFileInfo::exists(archivo));
    EXPECT_TRUE(plataforma.mensajes().isEmpty());
    // Existing content is not touched by the check.
    ASSERT_TRUE(escribeBytes(archivo, "previo"));
    EXPECT_TRUE(t.ImpresoraLista(archivo));
    EXPECT_EQ(leeBytes(archivo), "previo");

    // A port that does not open is not ready, with one message.
    QString sinCarpeta = ruta("no/existe/salida.prn");
    EXPECT_FALSE(t.ImpresoraLista(sinCarpeta));
    EXPECT_EQ(plataforma.textos(), QStringList({"Error de apertura del puerto " + sinCarpeta}));
    EXPECT_TRUE(plataforma.mensajes().at(0).titulo == "ERROR" &&
                plataforma.mensajes().at(0).icono == Icono::Critico);
    plataforma.limpia();
    EXPECT_FALSE(t.ImpresoraLista(sinCarpeta, false));
    EXPECT_TRUE(plataforma.mensajes().isEmpty());
    QString carpeta = dir.path();
    EXPECT_FALSE(t.ImpresoraLista(carpeta, false));

#ifdef Q_OS_LINUX
    // A parallel port that this computer does not have: not ready, and no file takes its place.
    if (QFileInfo::exists("/dev/lp8"))
        GTEST_SKIP() << "this computer has /dev/lp8";
    QString lpt = " lpt9";
    EXPECT_FALSE(t.ImpresoraLista(lpt));
    EXPECT_EQ(lpt, " LPT9");
    EXPECT_EQ(plataforma.textos(), QStringList({"Error de apertura del puerto  LPT9"}));
    QString blanco = "   ";
    t.IniciaImpresora(blanco);
    EXPECT_EQ(blanco, "LPT1");
    t.CierraImpresora();
    plataforma.limpia();
    EXPECT_FALSE(t.IniciaImpresora(lpt));
    EXPECT_FALSE(t.impresoraAbierta());
    EXPECT_EQ(plataforma.mensajes().size(), 1);
    EXPECT_FALSE(QFileInfo::exists("/dev/lp8"));
#endif
}

TEST_F(Puerto, BytesDeUnaPagina) {
    QString archivo = ruta("pagina.prn");
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

TEST_F(Puerto, CentradoYSaltosDePagina) {
    QString archivo = ruta("centro.prn");
    ASSERT_TRUE(t.IniciaImpresora(archivo));
    std::int16_t columnas = 80;
    t.Centra("12345678901", 2, columnas);    // (80 - 11) / 2 = 34.5: 34
    t.Centra("1234567890123", 3, columnas);  // (80 - 13) / 2 = 33.5: 34
    std::int16_t angosto = 10;
    t.Centra("un texto mas largo que la linea", 4, angosto);  // below column 1: at the start
    EXPECT_EQ(angosto, 10);
    t.Imprime(6, 1, 1.5);
    t.Imprime(4, 3, "p2");  // new page, then three line ends down to line 4
    EXPECT_EQ(t.lineaImpresora(), 4);
    t.CierraImpresora();  // no form feed
    const QByteArray esperado = "\r\n" + QByteArray(33, ' ') + "12345678901" + "\r\n" +
                                QByteArray(33, ' ') + "1234567890123" + "\r\n" +
                                "un texto mas largo que la linea" + "\r\n\r\n1.5" +
                                "\f\r\n\r\n\r\n\r\n  p2";
    EXPECT_EQ(leeBytes(archivo), esperado);
    // The line and the port number stay after closing.
    EXPECT_EQ(t.lineaImpresora(), 4);
    EXPECT_EQ(t.numeroImpresora(), 1);
}

TEST_F(Puerto, CadenasDeControl) {
    // Halves go to even; anything that is no number is 0.
    using P = std::pair<const char*, QString>;
    for (auto [texto, codigo] :
         {P{"27,64", codigos({27, 64})}, P{"27,69,", codigos({27, 69, 0})}, P{"", codigos({0})},
          P{" 27 , 1 5 ", codigos({27, 15})}, P{"2.5,3.5,x", codigos({2, 4, 0})}})
        EXPECT_EQ(t.CadConfImp(texto), codigo) << texto;
    for (const char* fuera : {"27,256", "-1"})
        EXPECT_EQ(numeroDeError([&] { t.CadConfImp(fuera); }), errores::ArgumentoNoValido);
    EXPECT_EQ(t.CadConfImp(QString(254, QLatin1Char(','))).size(), 255);
    EXPECT_EQ(numeroDeError([&] { t.CadConfImp(QString(255, QLatin1Char(','))); }),
              errores::Desbordamiento);

    // Every code goes out as the very byte it names (in groups: all 256 make too long a text).
    QString archivo = ruta("control.prn");
    ASSERT_TRUE(t.IniciaImpresora(archivo));
    QByteArray esperado;
    for (int inicio = 0; inicio <= 255; inicio += 50) {
        QStringList grupo;
        for (int c = inicio; c < std::min(inicio + 50, 256); ++c) {
            grupo.append(QString::number(c));
            esperado.append(static_cast<char>(c));
        }
        t.CadenaImp(t.CadConfImp(grupo.join(',')));
    }
    t.CierraImpresora();
    EXPECT_EQ(leeBytes(archivo), esperado);
}

TEST_F(Puerto, EscribirSinPuertoAbierto) {
    t.CierraImpresora();
    EXPECT_EQ(numeroDeError([&] { t.Eject(); }), errores::NombreArchivoIncorrecto);

    // Opening a second port closes the first with everything written to it.
    QString primero = ruta("uno.prn"), segundo = ruta("dos.prn");
    ASSERT_TRUE(t.IniciaImpresora(primero));
    t.Imprime(1, 1, "uno");
    ASSERT_TRUE(t.IniciaImpresora(segundo));
    t.Imprime(1, 1, "dos");
    t.Eject();
    EXPECT_EQ(leeBytes(primero), "uno");
    EXPECT_EQ(leeBytes(segundo), "dos\f\r\n");
    EXPECT_EQ(numeroDeError([&] { t.Imprime(1, 1, "x"); }), errores::NombreArchivoIncorrecto);
}

#ifdef Q_OS_LINUX
TEST_F(Puerto, FallaDelDispositivoAlEscribir) {
    // A device that refuses every byte: the failure reaches the call that wrote.
    if (!QFileInfo::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    QString lleno = "/dev/full";
    ASSERT_TRUE(t.IniciaImpresora(lleno));
    EXPECT_EQ(numeroDeError([&] { t.Imprime(1, 1, "x"); }), errores::DiscoLleno);
    t.CierraImpresora();
}
#endif
