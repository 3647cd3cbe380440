// Entry of the engine's tests that show or print: a widgets application on the offscreen
// platform, the preview window and the printers installed, with the es_MX regional settings.

#include <gtest/gtest.h>

#include <QApplication>

#include "core/Regional.h"
#include "gui/SalidaVentanas.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    quilmaro::reporte::instalaSalidaEnVentanas();
    quilmaro::fijaRegional(QLocale(QLocale::Spanish, QLocale::Mexico));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
