// Entry of the GoogleTest programs: an application on the offscreen platform unless another is
// asked for (fonts and images work, no screen needed), a widget one for the window tests (with
// the reports' preview and printers as their output), and the es_MX regional settings unless a
// test pins others.

#include <gtest/gtest.h>

#include "core/Regional.h"

#ifdef QUILMARO_PRUEBA_VENTANAS
#include <QApplication>

#include "gui/SalidaVentanas.h"
using Aplicacion = QApplication;
#else
#include <QGuiApplication>
using Aplicacion = QGuiApplication;
#endif

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Aplicacion app(argc, argv);
#ifdef QUILMARO_PRUEBA_VENTANAS
    quilmaro::reporte::instalaSalidaEnVentanas();
#endif
    quilmaro::fijaRegional(QLocale(QLocale::Spanish, QLocale::Mexico));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
