#pragma once
// Set-up shared by the window tests: a database of the test program's own on the private server
// (NECESITA_SERVIDOR), a program folder, and the test platform.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "../db/ServidorPrueba.h"
#include "PlataformaPrueba.h"
#include "core/Globales.h"
#include "gui/PlataformaQt.h"
#include "gui/Reja.h"
#include "gui/frmReporte.h"

namespace quilmaro::prueba {

// Creates the database `base` with the administration system's tables (as in datos1) without
// rows, and a letterhead row for it in generalvelmorita.empresas.
inline std::shared_ptr<Conexion> preparaBaseVentana(const QString& base) {
    auto cnn = basePropia(base);
    for (const char* t : {"facturas", "clientes", "sistema"}) {
        cnn->ejecuta(QStringLiteral("CREATE TABLE %1 LIKE datos1.%1").arg(QLatin1String(t)));
    }
    // Two invoices may share series and number; the list tells them apart by identifier.
    cnn->ejecuta(QStringLiteral("ALTER TABLE facturas DROP INDEX SerieFactura"));
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
        auto v = std::make_unique<frmReporte>();
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
