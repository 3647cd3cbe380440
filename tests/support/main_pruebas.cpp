// Entry of the GoogleTest programs: a GUI application on the offscreen platform (fonts and
// images work, no screen needed) and the es_MX regional settings unless a test pins others.

#include <gtest/gtest.h>

#include <QGuiApplication>

#include "core/Regional.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    quilmaro::fijaRegional(QLocale(QLocale::Spanish, QLocale::Mexico));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
