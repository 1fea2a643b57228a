#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget w;
    w.setWindowTitle("QRX-QTX-RS485-Modbus Configuration Software");
    w.show();
    return app.exec();
}
