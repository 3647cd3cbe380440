// Settings files, file existence, block copies with their progress bar, temporary names, and the
// text-file helpers under them.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
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
    // The bytes of a file of the folder; "<none>" when there is no such file.
    QByteArray bytes(const QString& nombre) const {
        return QFileInfo::exists(ruta(nombre)) ? leeBytes(ruta(nombre)) : QByteArray("<none>");
    }

    QTemporaryDir dir;
    QString anterior;
    prueba::PlataformaPrueba plataforma;
    libTESK& t = tesk();
};

}  // namespace

TEST_F(Archivos, ObtenIniCreaElArchivoYBuscaSinMayusculas) {
    QString archivo = ruta("QUILMARO.INI");
    EXPECT_EQ(t.ObtenINI("[Base de datos a usar]", archivo), "");
    EXPECT_EQ(bytes("QUILMARO.INI"), "");

    ASSERT_TRUE(escribeBytes(archivo, "[Base de datos a usar]\r\nDatos2 \r\n[Otra]\r\nx\r\n"));
    EXPECT_EQ(t.ObtenINI("[base de datos a usar]", archivo), "Datos2 ");  // value kept as is
    EXPECT_EQ(t.ObtenINI("[Base de datos a usar] ", archivo), "");        // no trimming of keys
    EXPECT_EQ(t.ObtenINI("[otra]", archivo), "x");
    // One pending-event pass per line read.
    EXPECT_GT(plataforma.pasesDeEventos(), 0);

    // A blank file name becomes INICIO.INI in the current folder, in the caller's variable.
    QString blanco = "   ";
    EXPECT_EQ(t.ObtenINI("[x]", blanco), "");
    EXPECT_EQ(blanco, "INICIO.INI");
    EXPECT_EQ(bytes("INICIO.INI"), "");
}

TEST_F(Archivos, ClavesDuplicadasYClaveEnLaUltimaLinea) {
    QString archivo = ruta("a.ini");
    ASSERT_TRUE(escribeBytes(archivo, "[K]\r\nuno\r\n[z]\r\nq\r\n[k]\r\ndos\r\n"));
    EXPECT_EQ(t.ObtenINI("[K]", archivo), "uno");  // the first wins
    t.CambiaIni("[K]", "tres", archivo);
    EXPECT_EQ(leeBytes(archivo), "[K]\r\ntres\r\n[z]\r\nq\r\n[k]\r\ntres\r\n");

    // A key on the last line with no value: reads empty, is written with its value after it.
    ASSERT_TRUE(escribeBytes(archivo, "[a]\r\n1\r\n[b]"));
    EXPECT_EQ(t.ObtenINI("[b]", archivo), "");
    t.CambiaIni("[b]", "2", archivo);
    EXPECT_EQ(leeBytes(archivo), "[a]\r\n1\r\n[b]\r\n2\r\n");

    // An absent key is appended; the other lines stay as they were (LF-only lines get CR LF).
    ASSERT_TRUE(escribeBytes(archivo, "[a]\n1\n"));
    t.CambiaIni("[c]", "3", archivo);
    EXPECT_EQ(leeBytes(archivo), "[a]\r\n1\r\n[c]\r\n3\r\n");

    // An empty value line is replaced; nothing else moves.
    ASSERT_TRUE(escribeBytes(archivo, "[a]\r\n\r\n[b]\r\nB\r\n"));
    t.CambiaIni("[A]", "nuevo", archivo);
    EXPECT_EQ(leeBytes(archivo), "[a]\r\nnuevo\r\n[b]\r\nB\r\n");
    // The temporary copy does not stay behind.
    EXPECT_EQ(bytes("COPIA.INI"), "<none>");
}

TEST_F(Archivos, CodificacionesDeLosArchivos) {
    QString archivo = ruta("c.ini");
    // Windows-1252 bytes: "Añejo" and "Peña €".
    ASSERT_TRUE(escribeBytes(archivo,
                             "[Raz\xF3n]\r\nA\xF1"
                             "ejo\r\n[b]\r\nPe\xF1"
                             "a \x80\r\n"));
    EXPECT_EQ(t.ObtenINI("[razón]", archivo), "Añejo");
    EXPECT_EQ(t.ObtenINI("[B]", archivo), "Peña €");
    // The same saved as UTF-8 (with and without a byte-order mark).
    ASSERT_TRUE(escribeBytes(archivo, QString("[Razón]\r\nAñejo\r\n").toUtf8()));
    EXPECT_EQ(t.ObtenINI("[RAZÓN]", archivo), "Añejo");
    ASSERT_TRUE(escribeBytes(archivo, "\xEF\xBB\xBF" + QString("[Razón]\nAñejo\n").toUtf8()));
    EXPECT_EQ(t.ObtenINI("[Razón]", archivo), "Añejo");
    // Rewritten, it is Windows-1252 with CR LF; a character the code page lacks becomes "?".
    t.CambiaIni("[b]", "Ω ñ", archivo);
    EXPECT_EQ(leeBytes(archivo),
              "[Raz\xF3n]\r\nA\xF1"
              "ejo\r\n[b]\r\n? \xF1\r\n");

    EXPECT_EQ(texto::aWindows1252(QString::fromUtf8("€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ")),
              QByteArray("\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E\x91\x92\x93\x94"
                         "\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9E\x9F"));
    QByteArray todos;
    for (int b = 0; b < 256; ++b)
        todos.append(static_cast<char>(b));
    EXPECT_EQ(texto::aWindows1252(texto::deWindows1252(todos)), todos);  // no byte lost
    EXPECT_EQ(texto::aWindows1252(QString::fromUtf8("a😀b")), "a?b");
    EXPECT_EQ(texto::separaLineas("a\r\nb\nc\rd"), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(texto::separaLineas("a\r\n\r\n"), QStringList({"a", ""}));
    EXPECT_EQ(texto::separaLineas(""), QStringList());
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
    EXPECT_EQ(bytes("COPIA.INI"), "<none>");
}

TEST_F(Archivos, HayArchivoSoloParaArchivosOrdinarios) {
    ASSERT_TRUE(escribeBytes(ruta("Lista.txt"), "x"));
    ASSERT_TRUE(escribeBytes(ruta(".oculto"), "x"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("carpeta"));
    // Relative to the current folder, or under other capitals.
    for (const QString& si : {ruta("Lista.txt"), QString("Lista.txt"), ruta("LISTA.TXT")})
        EXPECT_TRUE(t.HayArchivo(si)) << qPrintable(si);
    EXPECT_FALSE(t.HayArchivo(ruta(".oculto")));
    // A file marked hidden or system by its stored attributes is not an ordinary file either.
    ASSERT_TRUE(escribeBytes(ruta("marcado.txt"), "x"));
    if (t.Atributo(ruta("marcado.txt"), "H").contains('H')) {
        EXPECT_FALSE(t.HayArchivo(ruta("marcado.txt")));
        t.Atributo(ruta("marcado.txt"), "A");
        EXPECT_TRUE(t.HayArchivo(ruta("marcado.txt")));
    }
    // No wildcards.
    for (const QString& no :
         {ruta("carpeta"), ruta("nada.txt"), ruta("no/existe.txt"), QString(), ruta("Lista.*")})
        EXPECT_FALSE(t.HayArchivo(no)) << qPrintable(no);
    // A settings file found under other capitals is read and rewritten in place.
    QString mayusculas = ruta("LISTA.TXT");
    t.CambiaIni("[k]", "v", mayusculas);
    const QStringList nombres = QDir(dir.path()).entryList(QDir::Files);
    EXPECT_TRUE(nombres.contains("Lista.txt"));
    EXPECT_FALSE(nombres.contains("LISTA.TXT"));
    EXPECT_EQ(leeBytes(ruta("Lista.txt")), "x\r\n[k]\r\nv\r\n");
}

TEST_F(Archivos, ArchivoTemporalBuscaElPrimerNombreLibre) {
    QString mascara, extension;
    EXPECT_EQ(t.ArchivoTemporal(mascara, extension), "TEMPORAL0000.TMP");
    EXPECT_EQ(mascara, "TEMPORAL");
    EXPECT_EQ(extension, "TMP");
    ASSERT_TRUE(escribeBytes(ruta("TEMPORAL0000.TMP"), ""));
    EXPECT_EQ(t.ArchivoTemporal(mascara, extension), "TEMPORAL0001.TMP");
    ASSERT_TRUE(escribeBytes(ruta("temporal0001.tmp"), ""));  // other capitals count as taken
    EXPECT_EQ(t.ArchivoTemporal(mascara, extension), "TEMPORAL0002.TMP");

    // Only the name goes to capitals, not the folders above it.
    ASSERT_TRUE(QDir(dir.path()).mkdir("Prog"));
    mascara = ruta("Prog/Temporal");
    extension = "mdb";
    EXPECT_EQ(t.ArchivoTemporal(mascara, extension), ruta("Prog/TEMPORAL0000.MDB"));
    EXPECT_EQ(mascara, ruta("Prog/Temporal"));
}

TEST_F(Archivos, CopiaEnBloquesConSuBarra) {
    std::mt19937 gen(7);
    auto aleatorio = [&](int n) {
        QByteArray b(n, '\0');
        for (char& c : b)
            c = static_cast<char>(gen());
        return b;
    };
    // Many times the buffer, byte-exact; the destination's old content is replaced.
    const QByteArray grande = aleatorio(15000 * 13 + 77);
    ASSERT_TRUE(escribeBytes(ruta("origen.bin"), grande));
    ASSERT_TRUE(escribeBytes(ruta("destino.bin"), aleatorio(500000)));
    t.Copia(ruta("origen.bin"), ruta("destino.bin"), false);
    EXPECT_EQ(leeBytes(ruta("destino.bin")), grande);
    EXPECT_TRUE(plataforma.mensajes().isEmpty());
    EXPECT_EQ(plataforma.pasesDeEventos(), 14);  // one per block

    // 40,000 bytes: blocks of 15,000, 15,000 and 10,000; the bar shows 0, 38, 75, 100, 100.
    QList<int> valores;
    CajaImagen caja(QSize(200, 20));
    ASSERT_TRUE(escribeBytes(ruta("40k.bin"), aleatorio(40000)));
    caja.alRefrescar = [&] {
        // The bar's right edge tells the percentage drawn: count blue cells on the top row.
        int azules = 0;
        for (int x = 0; x < caja.imagen().width(); ++x)
            if (caja.imagen().pixelColor(x, 0) == QColor(0, 0, 255))
                ++azules;
        valores.append(azules * 100 / caja.imagen().width());
    };
    t.Copia(ruta("40k.bin"), ruta("copia40k.bin"), true, &caja);
    EXPECT_EQ(valores, QList<int>({0, 38, 75, 100, 100}));
    EXPECT_EQ(bytes("copia40k.bin"), leeBytes(ruta("40k.bin")));

    // Empty source: an empty destination, and the bar at 0 then 100.
    valores.clear();
    ASSERT_TRUE(escribeBytes(ruta("vacio.bin"), ""));
    t.Copia(ruta("vacio.bin"), ruta("copiavacio.bin"), true, &caja);
    EXPECT_EQ(bytes("copiavacio.bin"), "");
    EXPECT_EQ(valores, QList<int>({0, 100}));
    EXPECT_TRUE(plataforma.mensajes().isEmpty());

    // A file copied onto itself stays whole.
    t.Copia(ruta("origen.bin"), ruta("origen.bin"), false);
    EXPECT_EQ(leeBytes(ruta("origen.bin")), grande);
}

TEST_F(Archivos, BarraPorcentajeRecortaAlIntervalo) {
    // The percentage asked, the one drawn (and written back): blue up to its edge, white after.
    CajaImagen caja(QSize(300, 40));
    using P = std::pair<std::int16_t, std::int16_t>;
    for (auto [pedido, dibujado] : {P{150, 100}, P{-3, 0}, P{38, 38}}) {
        std::int16_t p = pedido;
        t.BarraPorcentaje(caja, p);
        EXPECT_EQ(p, dibujado) << pedido;
        const int borde = 300 * dibujado / 100;
        if (dibujado > 0) {
            EXPECT_EQ(caja.imagen().pixelColor(borde - 1, 1), QColor(0, 0, 255)) << pedido;
        }
        if (dibujado < 100) {
            EXPECT_EQ(caja.imagen().pixelColor(borde + 1, 1), QColor(Qt::white)) << pedido;
        }
    }
}
