// Raw printer output: the port-name rule, the status messages and the exact bytes written.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "AyudaPruebas.h"
#include "CarpetaTemporal.h"
#include "PlataformaPrueba.h"
#include "core/ArchivosTexto.h"
#include "core/Biblioteca.h"
#include "core/libTESK.h"

using namespace quilmaro;
using prueba::escribeBytes;
using prueba::leeBytes;
using prueba::numeroDeError;

namespace {

QString codigos(std::initializer_list<char> cs) {
    return texto::deWindows1252(QByteArray(cs.begin(), static_cast<qsizetype>(cs.size())));
}

// A folder for the output files, the message boxes answered, and the port closed afterwards.
class Puerto : public ::testing::Test {
  protected:
    void TearDown() override { t.CierraImpresora(); }
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
    // Only the bits that are set are shown, when asked; other bits of the error word (receive
    // overrun, framing) are not the printer's business.
    using C = std::tuple<std::uint32_t, bool, bool, QStringList>;  // flags, show, ready, texts
    for (const auto& [banderas, avisar, lista, textos] :
         {C{puerto::kSinPapel | puerto::kErrorES,
            true,
            false,
            {"Error de entrada/salida con el puerto LPT1", "Sin papel en la impresora LPT1"}},
          C{puerto::kTiempoAgotado, false, false, {}}, C{0, true, true, {}},
          C{0x0001 | 0x0008, true, true, {}}}) {
        prueba::PlataformaPrueba plataforma;
        EXPECT_EQ(puerto::avisaEstado(banderas, "LPT1", avisar), lista);
        EXPECT_EQ(plataforma.textos(), textos);
        for (const Mensaje& m : plataforma.mensajes())
            EXPECT_TRUE(m.titulo == "ERROR" && m.icono == Icono::Critico);
    }
}

TEST_F(Puerto, BytesDeUnaPagina) {
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

TEST_F(Puerto, CadenasDeControl) {
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
