// Raw printer output: the port-name rule, the status messages and the exact bytes written.

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>

#include "AyudaPruebas.h"
#include "CarpetaTemporal.h"
#include "PlataformaPrueba.h"
#include "core/ArchivosTexto.h"
#include "core/Biblioteca.h"
#include "core/libTESK.h"
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
