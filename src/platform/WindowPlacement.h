#pragma once
// Centring of the tool's windows on the screen.

class QWidget;

// left = (screen width - window width) / 2, top = (screen height - window height) / 2
void centreOnScreen(QWidget& window);

// Shows a modeless window, or brings it to the front when it is shown already.
void bringToFront(QWidget& window);
