#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Test discovery and CI run the binary without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The tests never read or write the ports file of the user who runs them.
    QTemporaryDir userConfig;
    qputenv("QRX_USER_SETTINGS_FILE", userConfig.filePath("user-ports.reg").toLocal8Bit());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
