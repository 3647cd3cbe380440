// Faults the window lives through without losing anything (NECESITA_SERVIDOR): the server gone
// while invoices are added, a program folder that is read-only or full while the list and the
// settings are saved or a report's local file is made, a missing report template, and a layout
// file removed or damaged between two report runs.

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "AyudaVentana.h"
#include "ServidorPropio.h"

using namespace quilmaro;
using namespace quilmaro::prueba;

namespace {

const QString kReintento =
    QStringLiteral("No hay conexión con el servidor. ¿Desea reintentar abrir la base de datos?");

// ---------------------------------------------------------------------------------------------
// The server gone while the window is open. The test program starts a server of its own (the
// fixture's server is shared with other programs and must stay up), loaded with the test
// databases as the fixture loads them.

class ServidorCaido : public PruebaVentanaServidorPropio {
  protected:
    void SetUp() override {
        PruebaVentanaServidorPropio::SetUp();
        plataforma.alMostrarMensaje = [this](const Mensaje&) { tope(); };
    }
    // A message box with no answer queued answers its default button, Yes for the retry
    // question: a window that asked again and again would never end. Past a dozen messages
    // every question is answered No, and the test fails on the count instead of hanging.
    void tope() {
        if (plataforma.mensajes().size() > 12)
            plataforma.responde(Respuesta::No);
    }
};

TEST_F(ServidorCaido, DetenidoOMuertoLaVentanaPreguntaYNoPierdeNada) {
    // The window on datos1 of the test's own server, with a saved list of one invoice.
    ASSERT_TRUE(escribeBytes(carpeta.filePath(kArchivoLista),
                             lista::escribe({{"A", "125", "05/mar/24", "C0001",
                                              "ABARROTES LA ESPERANZA", "1,160.00", "1"}})));
    auto v = ventanaCon(QStringLiteral("datos1"));
    SIN_MENSAJES();

    // The server stops; the window still holds its (now dead) connection. The clerk adds A-126:
    // the question comes, the server is back before the answer, and the invoice is added.
    ASSERT_EQ(servidor_->detiene(), 0);
    int arranque = -1;
    plataforma.alMostrarMensaje = [&](const Mensaje& m) {
        if (m.texto == kReintento && arranque < 0)
            arranque = servidor_->inicia();
        tope();
    };
    plataforma.responde(Respuesta::Si);
    EXPECT_NO_THROW(agrega(*v, "126", "A"));
    EXPECT_EQ(arranque, 0);
    UN_MENSAJE(m);
    EXPECT_EQ(m.texto, kReintento);
    EXPECT_EQ(m.titulo, "ERROR");
    EXPECT_EQ(m.botones, Botones::SiNo);
    EXPECT_EQ(m.icono, Icono::Exclamacion);
    EXPECT_FALSE(plataforma.terminado());
    ASSERT_EQ(v->mhgReja->filas(), 3);
    EXPECT_TRUE(v->cmdAgregar->isEnabled());
    EXPECT_FALSE(plataforma.ocupado());
    // The window works on the new connection: a duplicate is still caught there.
    plataforma.limpia();
    agrega(*v, "126", "A");
    EXPECT_EQ(plataforma.textos(), QStringList({"Esa factura ya está en la lista"}));
    const QList<QStringList> antes = filasDe(*v);

    // The server dies outright. The clerk declines to try again, for an invoice and for a
    // report: the program goes on, the list as it was, no false "not registered".
    plataforma.alMostrarMensaje = [this](const Mensaje&) { tope(); };
    ASSERT_EQ(servidor_->mata(), 0);
    plataforma.limpia();
    plataforma.responde({Respuesta::No, Respuesta::No});
    EXPECT_NO_THROW(agrega(*v, "7", "B"));
    EXPECT_NO_THROW(v->cmdReporte_Click());
    EXPECT_FALSE(plataforma.terminado());
    EXPECT_EQ(plataforma.textos(), QStringList({kReintento, kReintento}));
    EXPECT_EQ(filasDe(*v), antes);
    EXPECT_FALSE(v->crpReport()->ultimoDocumento());
    EXPECT_TRUE(v->cmdAgregar->isEnabled());

    // With the server back (restarted while the clerk was away) nothing is asked: the window
    // opens a new connection by itself and adds the invoice.
    ASSERT_EQ(servidor_->inicia(), 0);
    plataforma.limpia();
    agrega(*v, "7", "B");
    SIN_MENSAJES();
    EXPECT_EQ(filasDe(*v),
              QList<QStringList>(
                  {{"A", "125", "05/mar/24", "C0001", "ABARROTES LA ESPERANZA", "1,160.00", "1"},
                   {"A", "126", "05/mar/24", "C0002", "MISCELÁNEA DOÑA LUPE", "0.50", "2"},
                   {"B", "7", "06/mar/24", "C0003", "REFACCIONARIA O'HIGGINS \"EL GÜERO\" \\ NORTE",
                    "15,500.93", "3"}}));
}

// ---------------------------------------------------------------------------------------------
// The program folder on a small file system of its own, made read-only or filled while the list
// and the settings are saved.

class CarpetaSinEspacio : public PruebaVentana {
  protected:
    void SetUp() override {
        PruebaVentana::SetUp();
        punto_ = carpeta.filePath("programa");
        ASSERT_TRUE(QDir().mkpath(punto_));
        if (geteuid() != 0)
            GTEST_SKIP() << "mounting a file system for the program folder needs root";
        if (!monta(0))
            GTEST_SKIP() << "mounting a tmpfs is not permitted here: " << std::strerror(errno);
        montado_ = true;
        stRutaPrograma = punto_ + QLatin1Char('/');
        directorioAntes_ = QDir::currentPath();
    }
    void TearDown() override {
        QDir::setCurrent(directorioAntes_.isEmpty() ? QDir::tempPath() : directorioAntes_);
        const QByteArray ruta = QFile::encodeName(punto_);
        if (montado_ && ::umount2(ruta.constData(), 0) != 0)
            ::umount2(ruta.constData(), MNT_DETACH);
    }

    // Mounts the file system, or (MS_REMOUNT) makes it read-only or writable again.
    bool monta(unsigned long opciones) const {
        return ::mount("tmpfs", QFile::encodeName(punto_).constData(), "tmpfs", opciones,
                       "size=64k,mode=0755") == 0;
    }
    QString ruta(const char* nombre) const { return punto_ + QLatin1Char('/') + nombre; }
    // Fills the file system to the last byte with a file of its own.
    bool llena() const {
        QFile f(ruta("RELLENO.BIN"));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        while (f.write(QByteArray(4096, 'x')) == 4096) {
        }
        while (f.write("x", 1) == 1) {
        }
        return true;
    }
    struct Falla {
        const char* nombre;
        int numero;  // the error number the clerk is told
        std::function<bool()> provoca, repara;
    };
    // The folder made read-only, then filled.
    std::vector<Falla> fallas() {
        return {{"solo lectura", errores::PermisoDenegado,
                 [this] { return monta(MS_REMOUNT | MS_RDONLY); },
                 [this] { return monta(MS_REMOUNT); }},
                {"llena", errores::DiscoLleno, [this] { return llena(); },
                 [this] { return QFile::remove(ruta("RELLENO.BIN")); }}};
    }
    QStringList archivos() const {
        return QDir(punto_).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QString punto_;
    QString directorioAntes_;
    bool montado_ = false;
};

TEST_F(CarpetaSinEspacio, SoloLecturaYLlenaNoPierdenNada) {
    // The installation's files: the list of two invoices and settings that predate the third
    // setting (the program adds it when it starts).
    const QByteArray listaVieja = lista::escribe(
        {{"A", "125", "05/mar/24", "C0001", "ABARROTES LA ESPERANZA", "1,160.00", "1"},
         {"A", "126", "05/mar/24", "C0002", "MISCELÁNEA DOÑA LUPE", "0.50", "2"}});
    const QByteArray iniViejo =
        "[Ruta de los datos del sistema]\r\nlocalhost\r\n[Base de datos a usar]\r\ndatos1\r\n";
    ASSERT_TRUE(escribeBytes(ruta("LISTAFACTURAS.TXT"), listaVieja));
    ASSERT_TRUE(escribeBytes(ruta("QUILMARO.INI"), iniViejo));
    auto listaGrabada = [&] {
        return lista::lee(texto::decodifica(leeBytes(ruta("LISTAFACTURAS.TXT"))));
    };

    auto v = ventanaCon(QStringLiteral("datos1"));
    agrega(*v, "7", "B");  // the list changes
    v->mhgReja->fijaTexto(1, 5, "ABARROTES LA ESPERANZA (SUCURSAL)");
    const QList<QStringList> enLaVentana = filasDe(*v);
    ASSERT_EQ(enLaVentana.size(), 3);
    SIN_MENSAJES();

    for (const Falla& f : fallas()) {
        SCOPED_TRACE(f.nombre);
        ASSERT_TRUE(f.provoca());
        const QStringList archivosAntes = archivos();

        // Closing asks to save; Yes, and the save fails: the clerk is told, with the file and
        // the reason, and the window stays open with its list. The button does the same.
        for (bool cerrando : {true, false}) {
            plataforma.limpia();
            plataforma.responde(Respuesta::Si);
            if (cerrando) {
                QCloseEvent e;
                EXPECT_NO_THROW(QApplication::sendEvent(v.get(), &e));
                EXPECT_FALSE(e.isAccepted());
            } else {
                v->cmdGuardar_Click();
            }
            EXPECT_FALSE(plataforma.terminado());
            ASSERT_EQ(plataforma.mensajes().size(), 2) << qPrintable(plataforma.textos().join("|"));
            EXPECT_EQ(plataforma.mensajes()[0].texto, "¿Desea grabar la lista de facturas?");
            const Mensaje& m = plataforma.mensajes()[1];
            EXPECT_TRUE(m.texto.startsWith("No se pudo grabar la lista de facturas en " +
                                           ruta("LISTAFACTURAS.TXT")))
                << qPrintable(m.texto);
            EXPECT_TRUE(m.texto.contains(QStringLiteral("(No. %1)").arg(f.numero)))
                << qPrintable(m.texto);
            EXPECT_EQ(m.icono, Icono::Critico);
            EXPECT_EQ(leeBytes(ruta("LISTAFACTURAS.TXT")), listaVieja);
            EXPECT_EQ(archivos(), archivosAntes);  // no half-written file beside it
            EXPECT_TRUE(v->isVisible());
            EXPECT_EQ(filasDe(*v), enLaVentana);
        }

        // The settings: the program starts, cannot add the missing setting, says so naming the
        // file, and goes on with what the file holds.
        plataforma.limpia();
        stBaseDeDatos.clear();
        bool mostrada = false;
        Main(punto_, [&] { mostrada = true; });
        QDir::setCurrent(directorioAntes_);
        EXPECT_TRUE(mostrada);
        UN_MENSAJE(m);
        const QString& aviso = m.texto;
        EXPECT_TRUE(aviso.contains(QDir::toNativeSeparators(ruta("QUILMARO.INI"))))
            << qPrintable(aviso);
        EXPECT_TRUE(aviso.contains(QStringLiteral("(No. %1)").arg(f.numero)));
        EXPECT_EQ(stBaseDeDatos, "datos1");
        EXPECT_EQ(leeBytes(ruta("QUILMARO.INI")), iniViejo);
        EXPECT_EQ(archivos(), archivosAntes);  // no COPIA.INI left

        // Room again: the next save works, of the list as the window holds it.
        ASSERT_TRUE(f.repara());
        plataforma.limpia();
        plataforma.responde(Respuesta::Si);
        v->cmdGuardar_Click();
        EXPECT_EQ(plataforma.mensajes().size(), 1) << qPrintable(plataforma.textos().join("|"));
        EXPECT_EQ(listaGrabada(), enLaVentana);
        ASSERT_TRUE(escribeBytes(ruta("LISTAFACTURAS.TXT"), listaVieja));  // for the next fault
    }

    // Both faults gone: the settings get their third line, and closing saves and closes.
    plataforma.limpia();
    Main(punto_, nullptr);
    QDir::setCurrent(directorioAntes_);
    SIN_MENSAJES();
    EXPECT_EQ(leeBytes(ruta("QUILMARO.INI")),
              iniViejo + "[URL de los datos del sistema]\r\nc:\\mysql\\data\r\n");
    plataforma.responde(Respuesta::Si);
    EXPECT_TRUE(v->Form_QueryUnload());
    EXPECT_EQ(listaGrabada(), enLaVentana);
}

TEST_F(CarpetaSinEspacio, ReporteSinArchivoLocalNoSeHace) {
    // A window with one invoice on a database of its own; the layout and the template in the
    // program folder.
    const QString base = QStringLiteral("fallas2");
    auto cnn = preparaBaseVentana(base, {"A"});
    insertaFacturas(*cnn, "VALUES ('A', 1, '2024-05-01', 'C001', 'PANADERÍA', 1000, 0, 0)");
    for (const char* n : {"Auxiliar.MDB", "guia.rpt"})
        ASSERT_TRUE(QFile::copy(QStringLiteral(PROGRAMA_DIR "/") + n, ruta(n)));
    auto v = ventanaCon(base, {1});
    v->optDispos[0]->setChecked(true);
    const QList<QStringList> lista = filasDe(*v);
    ASSERT_EQ(lista.size(), 1);
    SIN_MENSAJES();

    const QString sinPlantilla = ruta("sin-plantilla.MDB");
    auto casos = fallas();
    casos.push_back({"sin Auxiliar.MDB", 0,
                     [&] { return QFile::rename(ruta("Auxiliar.MDB"), sinPlantilla); },
                     [&] { return QFile::rename(sinPlantilla, ruta("Auxiliar.MDB")); }});
    // What the one message names, besides the error number.
    const QStringList dice[] = {
        {punto_}, {ruta("TEMPORAL0000.MDB"), "membrete"}, {"Auxiliar.MDB", punto_}};
    for (size_t i = 0; i < casos.size(); ++i) {
        const Falla& f = casos[i];
        SCOPED_TRACE(f.nombre);
        ASSERT_TRUE(f.provoca());
        plataforma.limpia();
        EXPECT_NO_THROW(v->cmdReporte_Click());
        EXPECT_FALSE(plataforma.terminado());
        UN_MENSAJE(m);
        for (const QString& d :
             dice[i] + QStringList(f.numero ? QStringLiteral("(No. %1)").arg(f.numero) : QString()))
            EXPECT_TRUE(m.texto.contains(d)) << qPrintable(m.texto) << " lacks " << qPrintable(d);
        EXPECT_EQ(m.icono, Icono::Critico);
        EXPECT_FALSE(v->crpReport()->ultimoDocumento());
        ASSERT_TRUE(f.repara());
        EXPECT_EQ(temporalesEn(punto_), QStringList());
        EXPECT_EQ(tablasDeTrabajo(*cnn, base), 0);
        EXPECT_EQ(filasDe(*v), lista);
    }
    // Every fault mended: the report is made, with its letterhead.
    plataforma.limpia();
    v->cmdReporte_Click();
    SIN_MENSAJES();
    ASSERT_TRUE(v->crpReport()->ultimoDocumento());
}

// ---------------------------------------------------------------------------------------------
// A layout file removed or damaged between two report runs.

const QString kBaseDisenos = QStringLiteral("fallas1");

TEST_F(PruebaVentana, DisenoDanadoAvisaYLaCorridaSiguienteFunciona) {
    auto cnn = preparaBaseVentana(kBaseDisenos, {"A"});
    insertaFacturas(
        *cnn,
        "SELECT 'A', seq, '2024-05-01', 'C001', 'PANADERÍA L''ESPIGA', seq * 1000, 0, 0 "
        "FROM seq_1_to_3");
    copiaPrograma(carpeta);
    auto v = ventanaCon(kBaseDisenos, {1, 2, 3});
    const QList<QStringList> lista = filasDe(*v);
    ASSERT_EQ(lista.size(), 3);

    struct Dano {
        const char* archivo;
        const char* como;
        std::function<QByteArray(QByteArray)> dana;  // none: the file is removed
        const char* dice = nullptr;                  // what the message names, if not the file
    };
    const Dano danos[] = {
        {"guia.rpt", "borrado", nullptr},
        {"cobranza.rpt", "cortado a la mitad", [](QByteArray b) { return b.left(b.size() / 2); }},
        {"cobranza.rpt", "no es XML",
         [](QByteArray) { return QByteArray("Reporte de cobranza\r\nver. 2\r\n\x01\xff"); }},
        {"guia.rpt", "elemento desconocido",
         [](QByteArray b) {
             return b.replace("<detalle alto=\"8\">",
                              "<detalle alto=\"8\">\n    <codigo-barras x=\"0\" y=\"0\"/>");
         }},
        // Found only once the invoices are copied.
        {"guia.rpt", "campo mal escrito",
         [](QByteArray b) { return b.replace(">Nombre</campo>", ">Nombr</campo>"); }, "Nombr"},
    };
    for (const Dano& d : danos) {
        SCOPED_TRACE(std::string(d.archivo) + " " + d.como);
        const bool cobranza = QByteArray(d.archivo) == "cobranza.rpt";
        reporte::ControlReporte& crp = cobranza ? *v->crpReport2() : *v->crpReport();
        // A run; nothing of it is left behind, whatever happened, and the list is as it was.
        auto corre = [&] {
            plataforma.limpia();
            EXPECT_NO_THROW(cobranza ? v->Command1_Click() : v->cmdReporte_Click());
            EXPECT_FALSE(plataforma.terminado());
            EXPECT_EQ(tablasDeTrabajo(*cnn, kBaseDisenos), 0);
            EXPECT_EQ(temporalesEn(carpeta.path()), QStringList());
            EXPECT_EQ(filasDe(*v), lista);
            return crp.ultimoDocumento();
        };
        const QString ruta = carpeta.filePath(d.archivo);
        const QByteArray original = leeBytes(ruta);
        ASSERT_FALSE(original.isEmpty());

        const auto primero = corre();
        SIN_MENSAJES();
        ASSERT_TRUE(primero);

        ASSERT_TRUE(d.dana ? escribeBytes(ruta, d.dana(original)) : QFile::remove(ruta));
        EXPECT_EQ(corre(), primero);  // no new report
        UN_MENSAJE(m);
        EXPECT_TRUE(m.texto.contains(d.dice ? d.dice : d.archivo)) << qPrintable(m.texto);
        EXPECT_EQ(m.titulo, "Error");
        EXPECT_EQ(m.icono, Icono::Critico);
        EXPECT_EQ(crp.ultimoError(), m.texto);

        ASSERT_TRUE(escribeBytes(ruta, original));
        const auto tercero = corre();
        SIN_MENSAJES();
        ASSERT_TRUE(tercero);
        EXPECT_NE(tercero, primero);
        EXPECT_EQ(tercero->paginas.size(), primero->paginas.size());
    }
}

}  // namespace
