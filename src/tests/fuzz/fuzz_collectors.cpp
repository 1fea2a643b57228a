// Arbitrary byte streams from the line (or a Modbus TCP gateway) never crash, hang or read out of
// bounds in the collectors, the dispatcher, an answer handler that reads through the accessor, or
// the traffic view's description of every frame.

#include "link/Link.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "support/ScriptedPort.h"
#include "traffic/TrafficCsv.h"

#include <QCoreApplication>

namespace {
class FuzzWindow : public LinkFields {
public:
    QString modbusAddressText() const override { return address; }
    void setAlarmCaption(const QString&) override {}
    void setReceiveBoxText(const QString& text) override { box = text; }
    QString receiveBoxText() const override { return box; }
    SenderRowValues senderRowValues(int) const override { return {}; }
    QString address = "1", box;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    ProgramSettings s;
    s.ModeText = (data[0] & 1) ? "RTU" : "ASCII";
    s.RequestKind = data[0] >> 4;
    ManualClock clock;
    auto t4 = clock.createTimer("Timer4", 50);
    auto t5 = clock.createTimer("Timer5", 1000);
    ScriptedPort port;
    port.open = true;
    port.portKind = (data[0] & 2) ? PortKind::ModbusTcp : PortKind::Device; // MBAP framing
    FuzzWindow window;
    window.address = QString::number(data[1] % 4);
    RecordingMessageBoxes messages;
    Link link(s, clock, port, *t4, *t5, window, messages);
    TrafficRecorder traffic(link, clock);
    volatile uint32_t sink = 0;
    for (int kind = 0; kind <= 14; ++kind)
        link.setAnswerHandler(kind, [&sink](const Answer& a) {
            for (int at = 1; at < a.text().size() + 3; at += 3)
                sink = sink + a.byteAt(at) + a.wordAt(at);
        });
    s.RequestText = "010300000010";
    t4->setEnabled(true);
    // chunks of the stream as successive Timer4 polls; a chunk's first byte may also time the
    // request out and send the next, which then waits for a quiet line
    size_t at = 2;
    while (at < size) {
        const uint8_t control = data[at];
        const size_t n = std::min<size_t>(1 + control % 17, size - at);
        if ((control & 0xC0) == 0xC0) {
            link.Timer5_Timer();
            link.send();
        }
        port.receive(QByteArray(reinterpret_cast<const char*>(data + at), static_cast<int>(n)));
        clock.advance(50 * (1 + (control >> 6)));
        at += n;
    }
    sink = sink + uint32_t(trafficCsv(traffic.records(), false).size());
    return 0;
}
