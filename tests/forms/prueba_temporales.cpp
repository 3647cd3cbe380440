// The local report file of a run (NECESITA_SERVIDOR for the letterhead): its name is taken by
// creating the file, so that two runs sharing a program folder (a second window, or workstations
// started from one network folder) never work on the same file, and the copy of the template
// goes into that file without freeing the name.

#include <QFile>
#include <QProcess>
#include <QSet>

#include "AyudaVentana.h"
#include "CarpetaTemporal.h"
#include "reports/Reportes.h"

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
    QString consulta(const QString& archivo, const QString& sql) {
        QProcess p;
        p.start("sqlite3", {archivo, sql});
        if (!p.waitForFinished(10000))
            return "(sqlite3 did not answer)";
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
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

    // The template goes into the reserved file: the letterhead and the reference are there.
    QString primero = carpeta.filePath("TEMPORAL0000.MDB");
    PreparaAuxiliar(primero, "RUTA SUR");
    EXPECT_TRUE(plataforma.mensajes().isEmpty()) << qPrintable(plataforma.textos().join("|"));
    EXPECT_EQ(consulta(primero, "SELECT Empresa||'|'||ParaLasFechas FROM Generales"),
              "ABARROTES LA ESPERANZA, S.A. DE C.V.|RUTA SUR");

    // A freed name is handed out again, and taken again.
    ASSERT_TRUE(QFile::remove(carpeta.filePath("TEMPORAL0002.MDB")));
    EXPECT_EQ(NombreTemporal(), carpeta.filePath("TEMPORAL0002.MDB"));
    EXPECT_EQ(NombreTemporal(), carpeta.filePath("TEMPORAL0005.MDB"));
}

TEST_F(Temporales, DosProgramasEnLaMismaCarpeta) {
    // Another copy of the program took TEMPORAL0000 while this run was looking: the file that
    // holds the other run's letterhead is left alone and this run works on the next name.
    QString ajeno = NombreTemporal();
    PreparaAuxiliar(ajeno, "DEL OTRO PROGRAMA");
    const QString propio = NombreTemporal();
    EXPECT_NE(propio, ajeno);
    QString copia = propio;
    PreparaAuxiliar(copia, "DE ESTE PROGRAMA");
    EXPECT_EQ(consulta(ajeno, "SELECT ParaLasFechas FROM Generales"), "DEL OTRO PROGRAMA");
    EXPECT_EQ(consulta(propio, "SELECT ParaLasFechas FROM Generales"), "DE ESTE PROGRAMA");
    EXPECT_TRUE(plataforma.mensajes().isEmpty()) << qPrintable(plataforma.textos().join("|"));
}
