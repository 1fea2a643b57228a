#pragma once
// The program's start, in its order: the record's start values, the main window's load (which
// selects the list entries and so applies the port settings), then the port control's input
// mode, line settings and port number, and the window is shown.

class MainWindow;
class SerialPort;
struct ProgramSettings;

void runStartRoutine(ProgramSettings& settings, MainWindow& window, SerialPort& MSComm1);
