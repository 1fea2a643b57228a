#include "link/LineSession.h"

#include "link/SerialPort.h"
#include "platform/Timer.h"

LineSettings LineChoice::settings() const {
    LineSettings s;
    s.baud = baud;
    s.parity = parity;
    s.dataBits = mode == LineMode::Ascii ? 7 : 8;
    s.stopBits = parity == 'N' ? 2 : 1;
    return s;
}

QString LineChoice::text() const {
    const char* parityName = parity == 'N' ? "none" : parity == 'O' ? "odd" : "even";
    return QString("%1 %2 %3")
        .arg(mode == LineMode::Ascii ? "ASCII" : "RTU")
        .arg(baud)
        .arg(parityName);
}

LineSession::LineSession(Clock& clock, SerialPort& port, MessageBoxes& messages)
    : port_(port)
    , Timer4_(clock.createTimer("Timer4", 100))
    , Timer5_(clock.createTimer("Timer5", 1000)) {
    LinkFields& fields = *this;
    link_ = std::make_unique<Link>(settings_, clock, port_, *Timer4_, *Timer5_, fields, messages);
    // a request held or underway ends at once, not after its time-out
    port_.setDeviceLostHandler([this](const PortError&) { link_->resetLine(); });
    configure(line_);
}

LineSession::~LineSession() {
    close();
    port_.setDeviceLostHandler({}); // the port may stay
}

void LineSession::configure(const LineChoice& line) {
    const LineSettings s = line.settings();
    port_.setSettings(s.text());
    const bool ascii = line.mode == LineMode::Ascii;
    port_.setInputMode(ascii ? InputMode::Text : InputMode::Binary);
    settings_.ModeText = ascii ? "ASCII" : "RTU";
    settings_.DataBitsText = QString::number(s.dataBits);
    settings_.BaudText = QString::number(s.baud);
    settings_.ParityLetter = QString(QChar(s.parity));
    settings_.StopBitsText = QString::number(s.stopBits);
    Timer4_->setInterval(ascii ? 100 : 50);
    line_ = line;
    link_->setExpectedLength(0);
    link_->resetLine();
}

void LineSession::open() {
    if (!port_.PortOpen())
        port_.setPortOpen(true);
    settings_.PortIsOpen = true;
    link_->claimLine();
    link_->resetLine(); // what the port holds, or brings before the first request, is nobody's
    Timer4_->setEnabled(true);
}

void LineSession::close() {
    link_->releaseLine();
    Timer4_->setEnabled(false);
    if (port_.PortOpen())
        port_.setPortOpen(false);
    settings_.PortIsOpen = false;
    link_->resetLine();
}

bool LineSession::isOpen() const {
    return port_.PortOpen();
}
