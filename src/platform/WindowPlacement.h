#pragma once
// Centring of the tool's windows on the screen.

class QWidget;

// left = (screen width - window width) / 2, top = (screen height - window height) / 2
void centreOnScreen(QWidget& window);
