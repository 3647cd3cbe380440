// The local report file of a run (NECESITA_SERVIDOR for the letterhead): its name is taken by
// creating the file, so that two runs sharing a program folder (a second window, or workstations
// started from one network folder) never work on the same file, and the copy of the template
// goes into that file without freeing the name. While a run works on its file, another copy of
// the program closing in the same folder leaves it.

#include "AyudaVentana.h"

using namespace quilmaro;
using namespace quilmaro::prueba;

namespace {

const QString kBase = QStringLiteral("temporales1");

class Temporales : public PruebaVentana {
  protected:
    void SetUp() override {
        PruebaVentana::SetUp();
        preparaBaseVentana(kBase);
        stBaseDeDatos = kBase;
        ASSERT_TRUE(QFile::copy(QStringLiteral(PROGRAMA_DIR "/Auxiliar.MDB"),
                                carpeta.filePath("Auxiliar.MDB")));
    }
};

}  // namespace

TEST_F(Temporales, ElNombreQuedaTomadoHastaQueLaCorridaLoBorra) {
    // Names handed out one after another, with nothing written yet, are all different and
    // their files are there.
    QSet<QString> nombres;
    for (int i = 0; i < 5; ++i) {
        const QString n = NombreTemporal();
        EXPECT_EQ(n, carpeta.filePath(QString("TEMPORAL%1.MDB").arg(i, 4, 10, QChar('0'))));
        EXPECT_TRUE(QFile::exists(n)) << qPrintable(n);
        EXPECT_EQ(QFileInfo(n).size(), 0);
        nombres.insert(n);
    }
    EXPECT_EQ(nombres.size(), 5);

    // The template goes into the reserved file (the others stay as they are): the letterhead
    // and the reference are there. A company without a letterhead row leaves Generales empty.
    QString primero = carpeta.filePath("TEMPORAL0000.MDB");
    PreparaAuxiliar(primero, "RUTA SUR");
    SIN_MENSAJES();
    EXPECT_EQ(consultaLocal(primero, "SELECT Empresa||'|'||RFC||'|'||ParaLasFechas FROM Generales"),
              "ABARROTES LA ESPERANZA, S.A. DE C.V.|AES9001011A0|RUTA SUR");
    EXPECT_EQ(QFileInfo(carpeta.filePath("TEMPORAL0001.MDB")).size(), 0);
    stBaseDeDatos = "sinmembrete";
    QString otro = carpeta.filePath("TEMPORAL0004.MDB");
    ASSERT_TRUE(escribeBytes(otro, "sobrante"));  // replaced by a fresh copy
    PreparaAuxiliar(otro, "X");
    EXPECT_EQ(consultaLocal(otro, "SELECT COUNT(*) FROM Generales"), "0");

    // A freed name is handed out again, and taken again.
    ASSERT_TRUE(QFile::remove(carpeta.filePath("TEMPORAL0002.MDB")));
    EXPECT_EQ(NombreTemporal(), carpeta.filePath("TEMPORAL0002.MDB"));
    EXPECT_EQ(NombreTemporal(), carpeta.filePath("TEMPORAL0005.MDB"));
}

TEST_F(Temporales, AlCerrarQuedaElArchivoQueOtraCopiaUsa) {
    // Another copy of the program in the middle of a run has its file marked in use (a file that
    // vanished before it could be marked, a cleaner got there first, is made anew and marked); a
    // file an earlier run left behind is not marked. Closing this window deletes only the left one.
    QString ajeno = NombreTemporal();
    ASSERT_TRUE(QFile::remove(ajeno));
    archivos::ArchivoEnUso enUso(ajeno);
    ASSERT_TRUE(enUso.tomado() && QFile::exists(ajeno));
    EXPECT_FALSE(archivos::borraSiNoEstaEnUso(ajeno));
    PreparaAuxiliar(ajeno, "DEL OTRO PROGRAMA");
    const QString dejado = NombreTemporal();
    ASSERT_TRUE(QFile::exists(dejado));
    // Others left in either letter case go too; files of other names stay. One that cannot be
    // deleted must not stop the closing.
    for (const char* n : {"temp9.mdb", "TEMPORAL.TXT", "OTRO.MDB", "TEMPFIJO.MDB"})
        ASSERT_TRUE(escribeBytes(carpeta.filePath(n), "x"));
    const QString fija = carpeta.filePath("TEMPFIJO.MDB");
    const bool inmutable = QProcess::execute("chattr", {"+i", fija}) == 0;

    auto v = abreVentana(kBase);
    EXPECT_THROW(v->Form_Unload(), ProcesoTerminado);
    EXPECT_TRUE(plataforma.terminado());
    EXPECT_FALSE(v->cnnDatos());  // closed and emptied
    if (inmutable)
        QProcess::execute("chattr", {"-i", fija});
    QStringList quedan = QDir(carpeta.path()).entryList(QDir::Files, QDir::Name);
    quedan.removeAll("TEMPFIJO.MDB");  // there or not, as chattr allowed
    EXPECT_EQ(quedan, QStringList({"Auxiliar.MDB", "OTRO.MDB", "TEMPORAL.TXT",
                                   QFileInfo(ajeno).fileName()}));
    EXPECT_EQ(consultaLocal(ajeno, "SELECT ParaLasFechas FROM Generales"), "DEL OTRO PROGRAMA");

    // The other run ends and deletes its own file without a word; already gone counts as deleted.
    EXPECT_TRUE(enUso.borra());
    EXPECT_FALSE(QFile::exists(ajeno));
    EXPECT_TRUE(archivos::borraSiNoEstaEnUso(ajeno));
    SIN_MENSAJES();
}

TEST_F(Temporales, DiezMilSobrantesEnLaCarpeta) {
    // Files left by killed runs, in either letter case, and other files: the one free name is
    // found, taken, and then no name is left.
    for (int n = 0; n <= 9999; ++n) {
        if (n == 9876)
            continue;
        const QString nombre = QString("TEMPORAL%1.MDB").arg(n, 4, 10, QChar('0'));
        ASSERT_TRUE(escribeBytes(carpeta.filePath(n % 7 ? nombre : nombre.toLower()), ""));
    }
    ASSERT_TRUE(escribeBytes(carpeta.filePath("TEMPORAL9876.MDB.bak"), ""));
    EXPECT_EQ(NombreTemporal(), carpeta.filePath("TEMPORAL9876.MDB"));
    QString motivo;
    EXPECT_EQ(NombreTemporal(&motivo), QString());
    EXPECT_TRUE(motivo.contains("en uso")) << qPrintable(motivo);
    SIN_MENSAJES();
}
