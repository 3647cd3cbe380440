// A long list in the window (NECESITA_SERVIDOR): every row of the saved list arrives, pending
// events run now and then while it is read, not after every row (a pass repaints the grid; one per
// row made start-up with 1,000 rows take seconds), the row-number header is not told of each row
// (it would add up the heights of all rows each time), and adding an invoice to a long list does
// not measure the row-number column's texts again.

#include <QHeaderView>
#include <QProxyStyle>
#include <QSignalSpy>
#include <vector>

#include "AyudaVentana.h"

using namespace quilmaro;
using namespace quilmaro::prueba;

namespace {

const QString kBase = QStringLiteral("listalarga1");

// Counts the header sections the style is asked to measure.
class EstiloQueCuenta final : public QProxyStyle {
  public:
    QSize sizeFromContents(ContentsType tipo, const QStyleOption* opcion, const QSize& tamano,
                           const QWidget* w) const override {
        if (tipo == CT_HeaderSection)
            ++medidas;
        return QProxyStyle::sizeFromContents(tipo, opcion, tamano, w);
    }
    mutable int medidas = 0;
};

class ListaLarga : public PruebaVentana {
  protected:
    void SetUp() override {
        PruebaVentana::SetUp();
        insertaFacturas(*preparaBaseVentana(kBase, {"A"}),
                        "SELECT 'A', 900000 + seq, '2024-03-05', 'C001', 'CLIENTE', 1000, 160, 0 "
                        "FROM seq_1_to_5");
    }
    // The window shown on a saved list of n rows: invoice A-i with identifier 1000 + i.
    std::unique_ptr<frmReporte> ventanaCon(int n) {
        QList<QStringList> registros;
        for (int i = 1; i <= n; ++i)
            registros.append({"A", QString::number(i), "05/mar/24", "C001",
                              QString("CLIENTE NÚMERO %1").arg(i), "1,160.00",
                              QString::number(1000 + i)});
        EXPECT_TRUE(escribeBytes(carpeta.filePath(kArchivoLista), lista::escribe(registros)));
        auto v = PruebaVentana::ventanaCon(kBase);  // the first activation reads the list once
        EXPECT_EQ(v->mhgReja->filas(), n + 1);
        return v;
    }
};

}  // namespace

TEST_F(ListaLarga, LecturaConPasesDeEventosEspaciados) {
    constexpr int n = 20000;
    auto v = ventanaCon(n);

    // Read again on the shown window; at each pass the rows read so far are in the grid.
    std::vector<int> filasEnCadaPase;
    plataforma.limpia();
    plataforma.alProcesarEventos = [&] { filasEnCadaPase.push_back(v->mhgReja->filas() - 1); };
    QSignalSpy avisosEncabezado(v->mhgReja->model(), &QAbstractItemModel::headerDataChanged);
    QElapsedTimer reloj;
    reloj.start();
    v->LeeLista();
    const qint64 ms = reloj.elapsed();
    plataforma.alProcesarEventos = nullptr;
    v->Reenumera();
    EXPECT_LT(avisosEncabezado.count(), 10);

    ASSERT_EQ(v->mhgReja->filas(), n + 1);
    EXPECT_EQ(v->mhgReja->texto(1, 2), "1");
    EXPECT_EQ(v->mhgReja->texto(n, 2), QString::number(n));
    EXPECT_EQ(v->mhgReja->texto(n, 7), QString::number(1000 + n));
    // At most one pass per interval of the reading's own duration, however slow the machine; a
    // reading that lasts several intervals lets events run, and the clerk sees the rows come.
    const int pases = plataforma.pasesDeEventos();
    EXPECT_LE(pases, 1 + ms / frmReporte::kPaseDeEventosMs) << ms << " ms";
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

TEST_F(ListaLarga, QuitarYAgregarNumeranSinMedirOtraVezLosNumeros) {
    constexpr int n = 1000;
    EstiloQueCuenta estilo;  // outlives the window that uses it
    auto v = ventanaCon(n);
    Reja& reja = *v->mhgReja;
    auto numerosEnOrden = [&reja] {
        for (int r = 1; r < reja.filas(); ++r)
            if (reja.texto(r, 0) != QString::number(r))
                return r;
        return 0;
    };
    EXPECT_EQ(numerosEnOrden(), 0);

    // Invoice 500 leaves the list: the rows after it move up one number.
    reja.setCurrentCell(499, 0);
    plataforma.responde(Respuesta::Si);
    v->quitaFilaActual();
    ASSERT_EQ(reja.filas(), n);
    EXPECT_EQ(reja.texto(500, 2), "501");
    EXPECT_EQ(numerosEnOrden(), 0);
    // A number changed by hand is put right.
    reja.fijaTexto(7, 0, "X");
    reja.fijaTexto(998, 0, "1");
    v->Reenumera();
    EXPECT_EQ(numerosEnOrden(), 0);

    // Added invoices get the next numbers. Neither the rows' numbers, whose column has the width
    // the window gives it, nor the unchanged column titles are measured again (the stock headers
    // measure up to 200 numbers and every title per change).
    reja.verticalHeader()->setStyle(&estilo);
    reja.horizontalHeader()->setStyle(&estilo);
    QApplication::processEvents();
    plataforma.limpia();
    estilo.medidas = 0;
    constexpr int agregadas = 5;
    for (int i = 1; i <= agregadas; ++i) {
        agrega(*v, QString::number(900000 + i));
        QApplication::processEvents();  // painted
    }
    SIN_MENSAJES();
    ASSERT_EQ(reja.filas(), n + agregadas);
    EXPECT_EQ(reja.texto(n - 1 + agregadas, 2), QString::number(900000 + agregadas));
    EXPECT_EQ(numerosEnOrden(), 0);
    EXPECT_LT(estilo.medidas, agregadas) << estilo.medidas;
    EXPECT_EQ(reja.verticalHeader()->width(), reja.logicalDpiX() * 600 / 1440);
}
