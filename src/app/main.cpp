#include "app/MainWindow.h"
#include "app/StartRoutine.h"
#include "core/StoredSettings.h"
#include "platform/DocumentOpener.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "ports/PortSelector.h"
#include "ports/SerialDevices.h"
#include "sim/SimulatedGatewayPort.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

namespace {
// For installers and scripts, without a window: where the settings are read from, and the help
// document that the Help menu opens with them. Empty for any other argument: the tool then
// starts as usual.
QString pathFor(const char* option, const StoredSettingReader& read) {
    if (std::strcmp(option, "--print-settings-path") == 0)
        return storedSettingsPath();
    if (std::strcmp(option, "--print-help-path") != 0)
        return {};
    ProgramSettings settings;
    applyStartValues(settings);
    localiseSettings(settings, read, Windows::Main);
    return helpDocumentPath(settings);
}
} // namespace

int main(int argc, char** argv) {
    const StoredSettingReader read = [](const QString& key, const QString& value) {
        return ReadProgramSetting(key, value);
    };
    if (argc == 2) {
        const QString path = pathFor(argv[1], read);
        if (!path.isEmpty()) {
            std::printf("%s\n", path.toLocal8Bit().constData());
            return 0;
        }
    }
    QApplication app(argc, argv);
    // The message boxes take the application's name as their title. It is not set as the
    // display name: the platform would append that to every window's caption.
    QApplication::setApplicationName("QRX-QTX-RS485-Modbus");
    ProgramSettings settings;
    applyStartValues(settings);
    QtClock clock;
    PortSelector MSComm1([&clock] { return makeDemoGateway(clock); }, read);
    QtMessageBoxes messages;
    DesktopDocumentOpener opener;
    MainWindow window(settings, clock, MSComm1, messages, read, opener);
    window.setSerialDevices(std::make_shared<SystemDevices>());
    // the gateway scan's own port for a COM entry, resolved as MSComm1 resolves it
    window.setPortMaker([&clock, read](int commPort) -> std::unique_ptr<SerialPort> {
        auto port =
            std::make_unique<PortSelector>([&clock] { return makeDemoGateway(clock); }, read);
        port->setCommPort(commPort);
        return port;
    });
    messages.setParent(&window);
    runStartRoutine(settings, window, MSComm1);
    return app.exec();
}
