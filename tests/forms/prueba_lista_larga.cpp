// A long saved list read into the window (NECESITA_SERVIDOR for the window's connection): every
// row arrives, and pending events run now and then while it is read, not after every row (a pass
// repaints the grid; one per row made start-up with 1,000 rows take seconds).

#include <QElapsedTimer>
#include <QFile>
#include <vector>

#include "AyudaVentana.h"
#include "CarpetaTemporal.h"
#include "forms/main/ArchivoLista.h"

using namespace quilmaro;
using namespace quilmaro::prueba;

namespace {

const QString kBase = QStringLiteral("listalarga1");

class ListaLarga : public PruebaVentana {
  protected:
    void SetUp() override {
        PruebaVentana::SetUp();
        cnn = preparaBaseVentana(kBase);
        cnn->ejecuta("INSERT INTO sistema (Dato) VALUES ('FA-A')");
    }
    // A saved list of n rows: invoice A-i with identifier 1000 + i.
    void escribeLista(int n) {
        QList<QStringList> registros;
        for (int i = 1; i <= n; ++i)
            registros.append({"A", QString::number(i), "05/mar/24", "C001",
                              QString("CLIENTE NÚMERO %1").arg(i), "1,160.00",
                              QString::number(1000 + i)});
        ASSERT_TRUE(escribeBytes(carpeta.filePath(kArchivoLista), lista::escribe(registros)));
    }

    std::shared_ptr<Conexion> cnn;
};

}  // namespace

TEST_F(ListaLarga, LecturaConPasesDeEventosEspaciados) {
    constexpr int n = 20000;
    escribeLista(n);
    auto v = abreVentana(kBase);
    muestra(*v);  // the first activation reads the list once
    ASSERT_EQ(v->mhgReja->filas(), n + 1);

    // Read again on the shown window; at each pass the rows read so far are in the grid.
    std::vector<int> filasEnCadaPase;
    plataforma.limpia();
    plataforma.alProcesarEventos = [&] { filasEnCadaPase.push_back(v->mhgReja->filas() - 1); };
    QElapsedTimer reloj;
    reloj.start();
    v->LeeLista();
    const qint64 ms = reloj.elapsed();
    plataforma.alProcesarEventos = nullptr;

    ASSERT_EQ(v->mhgReja->filas(), n + 1);
    EXPECT_EQ(v->mhgReja->texto(1, 2), "1");
    EXPECT_EQ(v->mhgReja->texto(n, 2), QString::number(n));
    EXPECT_EQ(v->mhgReja->texto(n, 7), QString::number(1000 + n));
    // At most one pass per interval of the reading's own duration, however slow the machine.
    const int pases = plataforma.pasesDeEventos();
    EXPECT_LE(pases, 1 + ms / frmReporte::kPaseDeEventosMs) << ms << " ms";
    // A reading that lasts several intervals lets events run, and the clerk sees the rows come.
    if (ms >= 3 * frmReporte::kPaseDeEventosMs) {
        EXPECT_GE(pases, 1) << ms << " ms";
    }
    for (size_t i = 0; i < filasEnCadaPase.size(); ++i) {
        EXPECT_LT(filasEnCadaPase[i], n);
        if (i > 0) {
            EXPECT_GT(filasEnCadaPase[i], filasEnCadaPase[i - 1]);
        }
    }
}
