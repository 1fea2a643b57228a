#include "app/DocumentOpener.h"
#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "app/StartRoutine.h"
#include "app/StoredSettings.h"
#include "app/Timer.h"
#include "link/PortSelector.h"
#include "sim/SimulatedGatewayPort.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName("QRX-QTX-RS485-Modbus");
    ProgramSettings settings;
    applyStartValues(settings);
    QtClock clock;
    const StoredSettingReader read = [](const QString& key, const QString& value) {
        return ReadStoredSetting(key, value);
    };
    PortSelector MSComm1([&clock] { return makeDemoGateway(clock); }, read);
    QtMessageBoxes messages;
    DesktopDocumentOpener opener;
    MainWindow window(settings, clock, MSComm1, messages, read, opener);
    messages.setParent(&window);
    runStartRoutine(settings, window, MSComm1);
    return app.exec();
}
