// Entry of the tests of libTESK's window methods: a widget application on the offscreen platform
// (no screen needed) with the es_MX regional settings.

#include <gtest/gtest.h>

#include <QApplication>

#include "core/Regional.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    quilmaro::fijaRegional(QLocale(QLocale::Spanish, QLocale::Mexico));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
