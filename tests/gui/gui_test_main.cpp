// Runs the widget tests inside one QApplication. Without a platform chosen they
// run offscreen, so the binary also works when started by hand on a machine
// without a display.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/resource_locator.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    vornik::gui::InitResources();
    return RUN_ALL_TESTS();
}
