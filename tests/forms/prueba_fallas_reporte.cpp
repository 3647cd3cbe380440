// The server killed or stopped in the middle of a report run, while the listed invoices are
// copied (NECESITA_SERVIDOR: the test starts a server of its own and kills that one), and a run
// the clerk cancels: the run stops with at most one clear message, the program and its list go
// on, nothing of the run stays behind once the server is back, and the next run works.

#include "AyudaVentana.h"
#include "ServidorPropio.h"

using namespace quilmaro;
using namespace quilmaro::prueba;

namespace {

// More invoices than one copy statement takes, so that the copy has a middle.
constexpr int kFacturas = 600;

class ServidorMuereEnReporte : public PruebaVentanaServidorPropio {
  protected:
    static void SetUpTestSuite() {
        PruebaVentanaServidorPropio::SetUpTestSuite();
        if (servidor_->valido())
            servidor_->conecta("datos1")->ejecuta(
                QStringLiteral(
                    "INSERT INTO facturas (Serie, Factura, Fecha, Cliente, Nombre, Subtotal, "
                    "IVA, ImpuestoAd) SELECT 'Z', seq, '2024-06-01' + INTERVAL MOD(seq, 28) DAY, "
                    "'C0002', 'MISCELÁNEA DOÑA LUPE', seq, seq * 0.16, 0 FROM seq_1_to_%1")
                    .arg(kFacturas));
    }
    void SetUp() override {
        PruebaVentanaServidorPropio::SetUp();
        if (HasFatalFailure())
            return;
        // The list of the series-Z invoices, newest first, as a saved list the window reads.
        auto rs = servidor_->conecta("datos1")->ejecuta(
            "SELECT Factura, ID FROM facturas WHERE Serie='Z' ORDER BY Factura DESC");
        QList<QStringList> registros;
        for (; !rs->eof(); rs->siguiente())
            registros.append({"Z", rs->campo(0).valor().aTexto(), "", "", "", "",
                              rs->campo(1).valor().aTexto()});
        ASSERT_EQ(registros.size(), kFacturas);
        ASSERT_TRUE(escribeBytes(carpeta.filePath(kArchivoLista), lista::escribe(registros)));
    }
    void TearDown() override {
        inEsperaServidor = kEsperaPredeterminada;
        PruebaVentanaServidorPropio::TearDown();
    }
    // Working tables on the server.
    long long tablasDeTrabajo() {
        return prueba::tablasDeTrabajo(*servidor_->conecta("datos1"), "datos1");
    }
    // The grid's rows, and no local report file in the program folder.
    QList<QStringList> listaSinTemporales(const frmReporte& v) {
        EXPECT_EQ(temporalesEn(carpeta.path()), QStringList());
        return filasDe(v);
    }

    // Every Yes/No question answered No.
    void noAPreguntas() {
        plataforma.alMostrarMensaje = [this](const Mensaje& m) {
            if (m.botones == Botones::SiNo)
                plataforma.responde(Respuesta::No);
        };
    }
    static QProgressDialog* avanceVisible() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QProgressDialog*>(w); d && d->isVisible())
                return d;
        return nullptr;
    }
};

}  // namespace

TEST_F(ServidorMuereEnReporte, LaCorridaSeDetieneYLaSiguienteFunciona) {
    auto v = ventanaCon(QStringLiteral("datos1"));
    const QList<QStringList> antes = listaSinTemporales(*v);
    ASSERT_EQ(antes.size(), kFacturas);
    v->optDispos[0]->setChecked(true);

    // The server dies once part of the list has been copied (the progress has moved on).
    int muerte = -1, avanceAlMorir = -1;
    plataforma.alProcesarEventos = [&] {
        if (auto* d = avanceVisible(); d && d->value() > 0 && muerte < 0) {
            avanceAlMorir = d->value();
            muerte = servidor_->mata();
        }
    };
    // Should the window ask to retry, the answer is No: the server stays dead for this run.
    noAPreguntas();
    EXPECT_NO_THROW(v->cmdReporte_Click());
    plataforma.alProcesarEventos = nullptr;
    ASSERT_EQ(muerte, 0);
    EXPECT_GT(avanceAlMorir, 0);
    EXPECT_LT(avanceAlMorir, kFacturas);
    EXPECT_FALSE(plataforma.terminado());
    // One clear message, and no report made of part of the list.
    UN_MENSAJE(m);
    EXPECT_TRUE(m.texto.contains(QStringLiteral("servidor"))) << qPrintable(m.texto);
    EXPECT_FALSE(m.texto.contains(QStringLiteral("-2147467259"))) << qPrintable(m.texto);
    EXPECT_EQ(m.icono, Icono::Critico);
    EXPECT_FALSE(v->crpReport()->ultimoDocumento());
    EXPECT_EQ(listaSinTemporales(*v), antes);
    EXPECT_FALSE(avanceVisible());

    // The server comes back (its crash recovery undoes the half-done copy). The next run asks
    // nothing, removes what the dead run could not, and shows every listed invoice; while they
    // are copied, in more than one statement, the progress dialog is up and the window gets its
    // events.
    ASSERT_EQ(servidor_->inicia(), 0);
    EXPECT_EQ(tablasDeTrabajo(), 1);  // created before the copy; the dead server kept it
    static_assert(kFacturas > 2 * kFacturasPorSentencia && kFacturas > frmReporte::kFilasConAvance);
    int pasesConAvance = 0, maximo = 0;
    plataforma.alProcesarEventos = [&] {
        if (auto* d = avanceVisible()) {
            ++pasesConAvance;
            maximo = d->maximum();
        }
    };
    plataforma.limpia();
    v->cmdReporte_Click();
    plataforma.alProcesarEventos = nullptr;
    EXPECT_GE(pasesConAvance, 2);
    EXPECT_EQ(maximo, kFacturas);
    EXPECT_FALSE(avanceVisible());
    SIN_MENSAJES();
    ASSERT_TRUE(v->crpReport()->ultimoDocumento());
    EXPECT_TRUE(textoDe(*v->crpReport())
                    .contains(QStringLiteral("Facturas en la guía: %1").arg(kFacturas)));
    EXPECT_EQ(tablasDeTrabajo(), 0);
    EXPECT_EQ(listaSinTemporales(*v), antes);
}

TEST_F(ServidorMuereEnReporte, CancelarDejaLaListaYNadaMas) {
    auto v = ventanaCon(QStringLiteral("datos1"));
    const QList<QStringList> antes = listaSinTemporales(*v);
    v->optDispos[0]->setChecked(true);
    // The clerk presses Cancelar once part of the list has been copied.
    int avanceAlCancelar = -1;
    plataforma.alProcesarEventos = [&] {
        if (auto* d = avanceVisible(); d && d->value() > 0 && avanceAlCancelar < 0) {
            avanceAlCancelar = d->value();
            auto* boton = d->findChild<QPushButton*>();
            ASSERT_TRUE(boton);
            EXPECT_EQ(boton->text(), "Cancelar");
            boton->click();
        }
    };
    v->cmdReporte_Click();
    plataforma.alProcesarEventos = nullptr;
    EXPECT_GT(avanceAlCancelar, 0);
    EXPECT_LT(avanceAlCancelar, kFacturas);
    SIN_MENSAJES();
    EXPECT_FALSE(v->crpReport()->ultimoDocumento());
    EXPECT_FALSE(avanceVisible());
    EXPECT_EQ(tablasDeTrabajo(), 0);
    EXPECT_EQ(listaSinTemporales(*v), antes);
}

TEST_F(ServidorMuereEnReporte, ServidorCongeladoNoDetieneLaVentanaMasDeLoDicho) {
    // The administrator shortened the wait to 2 s in the settings file.
    ASSERT_TRUE(escribeBytes(carpeta.filePath("QUILMARO.INI"),
                             "[Ruta de los datos del sistema]\r\nlocalhost\r\n"
                             "[Base de datos a usar]\r\ndatos1\r\n"
                             "[Segundos de espera del servidor]\r\n2\r\n"));
    const QString actual = QDir::currentPath();
    Main(carpeta.path(), nullptr);
    QDir::setCurrent(actual);
    ASSERT_EQ(inEsperaServidor, 2);
    auto v = ventanaCon(QStringLiteral("datos1"));
    const QList<QStringList> antes = listaSinTemporales(*v);
    v->optDispos[0]->setChecked(true);
    noAPreguntas();
    // Each case stops the server (it goes on by itself after 40 s at the latest) and must
    // end, with one message and nothing else, well before then.
    struct Caso {
        const char* nombre;
        std::function<void()> congela, ordena;
    };
    const Caso casos[] = {
        {"al buscar una factura", [&] { ASSERT_TRUE(servidor_->congela(40000)); },
         [&] {
             v->txtFactura->setText("1");
             v->cmbSerie->setCurrentIndex(v->cmbSerie->findText("Z"));
             v->cmdAgregar_Click();
         }},
        {"al copiar la lista del reporte", [] {},
         [&] {
             bool congelado = false;
             plataforma.alProcesarEventos = [&] {
                 if (auto* d = avanceVisible(); d && d->value() > 0 && !congelado) {
                     congelado = true;
                     EXPECT_TRUE(servidor_->congela(40000));
                 }
             };
             v->cmdReporte_Click();
             plataforma.alProcesarEventos = nullptr;
         }},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        plataforma.limpia();
        c.congela();
        QElapsedTimer reloj;
        reloj.start();
        EXPECT_NO_THROW(c.ordena());
        EXPECT_LT(reloj.elapsed(), 20000);
        servidor_->descongela();
        EXPECT_FALSE(plataforma.terminado());
        UN_MENSAJE(m);
        EXPECT_TRUE(m.texto.contains("servidor")) << qPrintable(m.texto);
        EXPECT_FALSE(v->crpReport()->ultimoDocumento());
        EXPECT_EQ(listaSinTemporales(*v), antes);
    }
    // The server answers again: the next run works and leaves no working table.
    plataforma.limpia();
    v->cmdReporte_Click();
    SIN_MENSAJES();
    EXPECT_TRUE(v->crpReport()->ultimoDocumento());
    EXPECT_EQ(tablasDeTrabajo(), 0);

    // A save to the server: a statement larger than the socket's buffers waits on writing it.
    auto cnn = servidor_->conecta("datos1");
    ASSERT_TRUE(servidor_->congela(40000));
    QElapsedTimer reloj;
    reloj.start();
    const QString grande = "DO '" + QString(8 << 20, 'x') + "'";
    EXPECT_EQ(numeroDeError([&] { cnn->ejecuta(grande); }), errores::ServidorInalcanzable);
    EXPECT_LT(reloj.elapsed(), 20000);
}

// The letterhead table of a server of the test's own, which may lose a column.
class MembreteIncompleto : public PruebaVentanaServidorPropio {};

TEST_F(MembreteIncompleto, UnaColumnaQueFaltaDejaSuLineaEnBlancoYLasDemas) {
    auto general = servidor_->conecta("generalvelmorita");
    general->ejecuta("ALTER TABLE empresas DROP COLUMN Telefonos");
    stBaseDeDatos = "datos1";
    QString archivo = carpeta.filePath("TEMPORAL0000.MDB");
    PreparaAuxiliar(archivo, "RUTA 1");
    general->ejecuta("ALTER TABLE empresas ADD COLUMN Telefonos varchar(80) AFTER CiudadEstado");
    SIN_MENSAJES();
    EXPECT_EQ(consultaLocal(archivo,
                            "SELECT Empresa||'|'||CiudadEstado||'|'||IFNULL(Telefonos, "
                            "'-')||'|'||RFC||'|'||ParaLasFechas FROM Generales"),
              "DISTRIBUIDORA VELMORITA, S.A. DE C.V.|GUADALAJARA, JALISCO||DVE950612KT3|RUTA 1");
}
