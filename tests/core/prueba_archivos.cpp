// Settings files, file existence, block copies with their progress bar, temporary names, and the
// text-file helpers under them.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <random>

#include "AyudaPruebas.h"
#include "CarpetaTemporal.h"
#include "PlataformaPrueba.h"
#include "core/ArchivosTexto.h"
#include "core/libTESK.h"

using namespace quilmaro;
using prueba::escribeBytes;
using prueba::leeBytes;

namespace {

class Archivos : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        anterior = QDir::currentPath();
        QDir::setCurrent(dir.path());
    }
    void TearDown() override { QDir::setCurrent(anterior); }
    QString ruta(const QString& nombre) const { return dir.filePath(nombre); }

    QTemporaryDir dir;
    QString anterior;
    prueba::PlataformaPrueba plataforma;
    libTESK& t = tesk();
};

}  // namespace

TEST_F(Archivos, ObtenIniCreaElArchivoYBuscaSinMayusculas) {
    QString archivo = ruta("QUILMARO.INI");
    EXPECT_EQ(t.ObtenINI("[Base de datos a usar]", archivo), "");
    EXPECT_TRUE(QFileInfo::exists(archivo));
    // A blank file name becomes INICIO.INI in the current folder, in the caller's variable.
    QString blanco = "   ";
    EXPECT_EQ(t.ObtenINI("[x]", blanco), "");
    EXPECT_EQ(blanco, "INICIO.INI");
    EXPECT_TRUE(QFileInfo::exists(ruta("INICIO.INI")));
}

TEST_F(Archivos, LeerYCambiarUnaClave) {
    // Content, key, value read, new value, content afterwards. Keys are found in any case and
    // not trimmed, the first of two wins and both change; values are kept as they are. A key on
    // the last line reads empty and gets its value after it; an absent one is appended. Files
    // are read as Windows-1252 or UTF-8 (with or without a byte-order mark) and written as
    // Windows-1252 with CR LF; a character the code page lacks becomes "?".
    using C = std::tuple<QByteArray, QString, QString, QString, QByteArray>;
    for (const auto& [antes, clave, leido, nuevo, despues] :
         {C{"[Base de datos a usar]\r\nDatos2 \r\n", "[base de datos a usar]", "Datos2 ", "d",
            "[Base de datos a usar]\r\nd\r\n"},
          C{"[a]\r\n1\r\n", "[a] ", "", "2", "[a]\r\n1\r\n[a] \r\n2\r\n"},
          C{"[K]\r\nuno\r\n[z]\r\nq\r\n[k]\r\ndos\r\n", "[K]", "uno", "tres",
            "[K]\r\ntres\r\n[z]\r\nq\r\n[k]\r\ntres\r\n"},
          C{"[a]\r\n1\r\n[b]", "[b]", "", "2", "[a]\r\n1\r\n[b]\r\n2\r\n"},
          C{"[a]\n1\n", "[c]", "", "3", "[a]\r\n1\r\n[c]\r\n3\r\n"},
          C{"[a]\r\n\r\n[b]\r\nB\r\n", "[A]", "", "nuevo", "[a]\r\nnuevo\r\n[b]\r\nB\r\n"},
          C{"[Raz\xF3n]\r\nA\xF1"
            "ejo\r\n[b]\r\nPe\xF1"
            "a \x80\r\n",
            "[B]", "Peña €", "Ω ñ",
            "[Raz\xF3n]\r\nA\xF1"
            "ejo\r\n[b]\r\n? \xF1\r\n"},
          C{QString("[Razón]\r\nAñejo\r\n").toUtf8(), "[RAZÓN]", "Añejo", "x",
            "[Raz\xF3n]\r\nx\r\n"},
          C{"\xEF\xBB\xBF" + QString("[Razón]\nAñejo\n").toUtf8(), "[Razón]", "Añejo", "x",
            "[Raz\xF3n]\r\nx\r\n"}}) {
        QString archivo = ruta("a.ini");
        ASSERT_TRUE(escribeBytes(archivo, antes));
        EXPECT_EQ(t.ObtenINI(clave, archivo), leido) << antes.toStdString();
        t.CambiaIni(clave, nuevo, archivo);
        EXPECT_EQ(leeBytes(archivo), despues) << antes.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(ruta("COPIA.INI")));  // the temporary copy is gone
    EXPECT_GT(plataforma.pasesDeEventos(), 0);           // one pending-event pass per line read
    QByteArray todos;
    for (int b = 0; b < 256; ++b)
        todos.append(static_cast<char>(b));
    EXPECT_EQ(texto::aWindows1252(texto::deWindows1252(todos)), todos);  // no byte lost
    EXPECT_EQ(texto::aWindows1252(QString::fromUtf8("€Ÿ😀")), "\x80\x9F?");
    EXPECT_EQ(texto::separaLineas("a\r\nb\nc\rd\r\n\r\n"), QStringList({"a", "b", "c", "d", ""}));
}

TEST_F(Archivos, UnaFallaAlReemplazarDejaElContenidoAnterior) {
    QString archivo = ruta("d.ini");
    const QByteArray viejo = "[a]\r\n1\r\n";
    ASSERT_TRUE(escribeBytes(archivo, viejo));
    // COPIA.INI cannot be created (a folder holds its name): the change fails, the file stays.
    ASSERT_TRUE(QDir(dir.path()).mkdir("COPIA.INI"));
    EXPECT_NE(prueba::numeroDeError([&] { t.CambiaIni("[a]", "2", archivo); }), 0);
    EXPECT_EQ(leeBytes(archivo), viejo);
    ASSERT_TRUE(QDir(dir.path()).rmdir("COPIA.INI"));

    // A failure while the new content is being written (the destination cannot be replaced:
    // it is a folder) leaves the destination and removes the temporary.
    ASSERT_TRUE(QDir(dir.path()).mkdir("carpeta.ini"));
    QString carpeta = ruta("carpeta.ini");
    EXPECT_THROW(t.CambiaIni("[a]", "2", carpeta), ErrorTESK);
    EXPECT_TRUE(QFileInfo(carpeta).isDir());
    EXPECT_FALSE(QFileInfo::exists(ruta("COPIA.INI")));
}

TEST_F(Archivos, HayArchivoSoloParaArchivosOrdinarios) {
    for (const char* nombre : {"Lista.txt", ".oculto", "marcado.txt"})
        ASSERT_TRUE(escribeBytes(ruta(nombre), "x"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("carpeta"));
    // Relative to the current folder, or under other capitals; no wildcards.
    for (const QString& si : {ruta("Lista.txt"), QString("Lista.txt"), ruta("LISTA.TXT")})
        EXPECT_TRUE(t.HayArchivo(si)) << qPrintable(si);
    for (const QString& no : {ruta(".oculto"), ruta("carpeta"), ruta("nada.txt"),
                              ruta("no/existe.txt"), QString(), ruta("Lista.*")})
        EXPECT_FALSE(t.HayArchivo(no)) << qPrintable(no);
    // A file marked hidden by its stored attributes is not an ordinary file either.
    if (t.Atributo(ruta("marcado.txt"), "H").contains('H')) {
        EXPECT_FALSE(t.HayArchivo(ruta("marcado.txt")));
    }
    // A settings file found under other capitals is read and rewritten in place.
    QString mayusculas = ruta("LISTA.TXT");
    t.CambiaIni("[k]", "v", mayusculas);
    EXPECT_EQ(QDir(dir.path()).entryList({"lista.txt"}, QDir::Files), QStringList({"Lista.txt"}));
    EXPECT_EQ(leeBytes(ruta("Lista.txt")), "x\r\n[k]\r\nv\r\n");
}

TEST_F(Archivos, ArchivoTemporalBuscaElPrimerNombreLibre) {
    // Names taken under other capitals count; only the name goes to capitals, not its folders.
    ASSERT_TRUE(QDir(dir.path()).mkdir("Prog"));
    using C = std::tuple<QString, QString, const char*, QString>;
    for (const auto& [mascara, extension, ocupado, nombre] :
         {C{"", "", "TEMPORAL0000.TMP", "TEMPORAL0000.TMP"},
          C{"", "", "temporal0001.tmp", "TEMPORAL0001.TMP"}, C{"", "", nullptr, "TEMPORAL0002.TMP"},
          C{ruta("Prog/Temporal"), "mdb", nullptr, ruta("Prog/TEMPORAL0000.MDB")}}) {
        QString m = mascara, e = extension;
        EXPECT_EQ(t.ArchivoTemporal(m, e), nombre);
        EXPECT_EQ(m, mascara.isEmpty() ? "TEMPORAL" : mascara);
        if (ocupado) {
            ASSERT_TRUE(escribeBytes(ruta(ocupado), ""));
        }
    }
}

TEST_F(Archivos, CopiaEnBloquesConSuBarra) {
    std::mt19937 gen(7);
    // Bytes, and what the bar shows after each block of 15,000 (blue cells on its top row).
    using C = std::pair<int, QList<int>>;
    for (const auto& [largo, barra] :
         {C{15000 * 13 + 77, {}}, C{40000, {0, 38, 75, 100, 100}}, C{0, {0, 100}}}) {
        QByteArray origen(largo, '\0');
        for (char& c : origen)
            c = static_cast<char>(gen());
        ASSERT_TRUE(escribeBytes(ruta("origen.bin"), origen));
        ASSERT_TRUE(escribeBytes(ruta("destino.bin"), QByteArray(50000, 'x')));  // replaced
        QList<int> valores;
        CajaImagen caja(QSize(200, 20));
        caja.alRefrescar = [&] {
            int azules = 0;
            for (int x = 0; x < caja.imagen().width(); ++x)
                azules += caja.imagen().pixelColor(x, 0) == QColor(0, 0, 255);
            valores.append(azules * 100 / caja.imagen().width());
        };
        plataforma.limpia();
        t.Copia(ruta("origen.bin"), ruta("destino.bin"), !barra.isEmpty(), &caja);
        EXPECT_EQ(leeBytes(ruta("destino.bin")), origen) << largo;
        EXPECT_EQ(valores, barra) << largo;
        if (barra.isEmpty()) {
            EXPECT_EQ(plataforma.pasesDeEventos(), largo / 15000 + 1);  // one per block
        }
        EXPECT_TRUE(plataforma.mensajes().isEmpty());
        t.Copia(ruta("origen.bin"), ruta("origen.bin"), false);  // onto itself: stays whole
        EXPECT_EQ(leeBytes(ruta("origen.bin")), origen);
    }
    // The percentage asked is kept to 0..100, also in the caller's variable.
    using P = std::pair<std::int16_t, int>;
    for (auto [pedido, dibujado] : {P{150, 100}, P{-3, 0}, P{38, 38}}) {
        CajaImagen caja(QSize(300, 40));
        t.BarraPorcentaje(caja, pedido);
        EXPECT_EQ(pedido, dibujado);
    }
}
