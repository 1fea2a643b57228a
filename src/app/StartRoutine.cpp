#include "app/StartRoutine.h"

#include "app/MainWindow.h"
#include "link/SerialPort.h"

void runStartRoutine(ProgramSettings& s, MainWindow& window, SerialPort& MSComm1) {
    window.Form_Load();
    try {
        MSComm1.setInputMode(InputMode::Text);
        MSComm1.setSettings(s.BaudText + "," + s.ParityLetter + "," + s.DataBitsText + "," +
                            s.StopBitsText);
        MSComm1.setCommPort(s.PortNumber);
    } catch (const PortError&) {
        // the port is closed here; the next selection applies the settings again
    }
    window.show();
}
