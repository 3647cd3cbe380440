// Entry of the window tests: a widget application on the offscreen platform, es_MX regional
// settings unless a test pins others.

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
