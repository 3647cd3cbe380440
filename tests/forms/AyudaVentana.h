#pragma once
// Set-up shared by the window tests (and the headers they use): a database of the test program's
// own on the private server (NECESITA_SERVIDOR), a program folder, and the test platform.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "../db/ServidorPrueba.h"
#include "AyudaPruebas.h"
#include "CarpetaTemporal.h"
#include "PlataformaPrueba.h"
#include "TextosCortados.h"
#include "core/Archivos.h"
#include "core/ArchivosTexto.h"
#include "core/Globales.h"
#include "core/ListaFacturas.h"
#include "core/Principal.h"
#include "core/libTESK.h"
#include "gui/PlataformaQt.h"
#include "gui/Reja.h"
#include "gui/frmExportarReporte.h"
#include "gui/frmReporte.h"
#include "reportengine/ControlReporte.h"
#include "reportengine/Documento.h"
#include "reports/Reportes.h"

namespace quilmaro::prueba {

// Creates the database `base` with the administration system's tables (as in datos1) without
// rows but the given invoice series, and a letterhead row for it in generalvelmorita.empresas.
inline std::shared_ptr<Conexion> preparaBaseVentana(const QString& base,
                                                    const QStringList& series = {}) {
    auto cnn = basePropia(base);
    for (const char* t : {"facturas", "clientes", "sistema"}) {
        cnn->ejecuta(QStringLiteral("CREATE TABLE %1 LIKE datos1.%1").arg(QLatin1String(t)));
    }
    // Two invoices may share series and number; the list tells them apart by identifier.
    cnn->ejecuta(QStringLiteral("ALTER TABLE facturas DROP INDEX SerieFactura"));
    for (const QString& serie : series)
        cnn->ejecuta("INSERT INTO sistema (Dato) VALUES ('FA-" + serie + "')");
    cnn->ejecuta(
        QStringLiteral("DELETE FROM generalvelmorita.empresas WHERE BaseDeDatos='%1'").arg(base));
    cnn->ejecuta(QStringLiteral(
                     "INSERT INTO generalvelmorita.empresas (BaseDeDatos, Empresa, Domicilio, CP, "
                     "CiudadEstado, Telefonos, RFC) VALUES ('%1', 'ABARROTES LA ESPERANZA, S.A. "
                     "DE C.V.', 'AV. JUÁREZ 120, CENTRO', '58000', 'MORELIA, MICH.', "
                     "'443 312 0000', 'AES9001011A0')")
                     .arg(base));
    return cnn;
}

// Adds invoices: `valores` (a VALUES list or a SELECT) for the columns the tests fill.
inline void insertaFacturas(Conexion& cnn, const QString& valores) {
    cnn.ejecuta(
        "INSERT INTO facturas (Serie, Factura, Fecha, Cliente, Nombre, Subtotal, IVA, "
        "ImpuestoAd) " +
        valores);
}

// Types the number, picks the series and presses Agregar.
inline void agrega(frmReporte& v, const QString& numero, const QString& serie = "A") {
    v.txtFactura->setText(numero);
    v.cmbSerie->setCurrentIndex(v.cmbSerie->findText(serie));
    v.cmdAgregar_Click();
}

// The grid's row r, all eight columns (the row number first).
inline QStringList fila(const frmReporte& v, int r) {
    QStringList celdas;
    for (int c = 0; c < 8; ++c)
        celdas << v.mhgReja->texto(r, c);
    return celdas;
}

// The grid's data rows as the saved list holds them (columns 1 to 7).
inline QList<QStringList> filasDe(const frmReporte& v) {
    QList<QStringList> filas;
    for (int r = 1; r < v.mhgReja->filas(); ++r)
        filas.append(fila(v, r).mid(1));
    return filas;
}

// Every text of a report's last pages, page after page, item after item.
inline QString textoDe(const reporte::ControlReporte& crp) {
    QString t;
    if (crp.ultimoDocumento())
        for (const auto& p : crp.ultimoDocumento()->paginas)
            for (const auto& e : p.elementos)
                if (e.tipo == reporte::ElementoPagina::Tipo::Texto)
                    t += e.texto + "\n";
    return t;
}

// The previews shown are painted, and what waited for their first paint (their working
// table) is done.
inline void pintaVistas() {
    for (int pase = 0; pase < 2; ++pase)
        QCoreApplication::processEvents();
}

// Working tables left in a database once the previews shown have been painted.
inline long long tablasDeTrabajo(Conexion& cnn, const QString& base) {
    pintaVistas();
    return cuentaSQL(cnn, "SELECT COUNT(*) FROM information_schema.tables WHERE table_schema='" +
                              base + "' AND table_name LIKE 'tbltemp%'");
}

// Local report files left in a folder.
inline QStringList temporalesEn(const QString& carpeta) {
    return QDir(carpeta).entryList({"TEMP*.MDB"}, QDir::Files | QDir::Hidden);
}

// What sqlite3 answers for a query on a local report file.
inline QString consultaLocal(const QString& archivo, const QString& sql) {
    QProcess p;
    p.start("sqlite3", {archivo, sql});
    return p.waitForFinished(10000) ? QString::fromUtf8(p.readAllStandardOutput()).trimmed()
                                    : QString("(sqlite3 did not answer)");
}

#define SIN_MENSAJES() \
    EXPECT_TRUE(plataforma.mensajes().isEmpty()) << qPrintable(plataforma.textos().join("|"))
// The one message shown, as `m`; the test stops unless exactly one was.
#define UN_MENSAJE(m)                                                                        \
    ASSERT_EQ(plataforma.mensajes().size(), 1) << qPrintable(plataforma.textos().join("|")); \
    const Mensaje& m = plataforma.mensajes()[0]

#ifdef PROGRAMA_DIR
// The program folder: the template database and the layouts, as the build puts them.
inline void copiaPrograma(const QTemporaryDir& carpeta) {
    for (const char* n : {"Auxiliar.MDB", "guia.rpt", "cobranza.rpt"})
        ASSERT_TRUE(QFile::copy(QStringLiteral(PROGRAMA_DIR "/") + n, carpeta.filePath(n)));
}
#endif

// A window on its own database and program folder; the platform answers message boxes from a
// queue and passes queued Tabs on to the real window system.
class PruebaVentana : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(carpeta.isValid());
        stServidor.clear();
        stRutaPrograma = carpeta.path() + QLatin1Char('/');
        plataforma.alEnviarTab = [this](bool atras) { real.enviaTab(atras); };
    }
    std::unique_ptr<frmReporte> abreVentana(const QString& base) {
        stBaseDeDatos = base;
        return std::make_unique<frmReporte>();
    }
    // The window shown, with the invoices of series A (or as given) listed in this order.
    std::unique_ptr<frmReporte> ventanaCon(const QString& base, const QList<int>& numeros = {},
                                           const QStringList& series = {}) {
        auto v = abreVentana(base);
        muestra(*v);
        for (int i = 0; i < numeros.size(); ++i)
            agrega(*v, QString::number(numeros[i]), series.value(i, "A"));
        return v;
    }
    // Shows the window, makes it active and lets its first activation run.
    void muestra(frmReporte& v) {
        v.show();
        QApplication::setActiveWindow(&v);
        v.activateWindow();
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
    }

    QTemporaryDir carpeta;
    PlataformaPrueba plataforma;
    PlataformaQt real;
};

}  // namespace quilmaro::prueba
