// The link alone on a serial device, for the interoperability test: sends one request of every
// kind in a fixed script (reads interleaved with the writes, so that each write is read back)
// and prints every answer the collector completed, or "timeout".
//   qrx_e2e_link <device> <ASCII|RTU> <address>

#include "learn/LearnRequests.h"
#include "link/DevicePort.h"
#include "link/Hex.h"
#include "link/Link.h"
#include "params/ResponseTime.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "sender/SenderValues.h"
#include "sensors/SensorRequests.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
class DriverWindow : public LinkFields {
public:
    QString address;
    SenderRowValues sender;
    QString modbusAddressText() const override { return address; }
    void setAlarmCaption(const QString&) override {}
    void setReceiveBoxText(const QString& t) override { box_ = t; }
    QString receiveBoxText() const override { return box_; }
    SenderRowValues senderRowValues(int) const override { return sender; }

private:
    QString box_;
};

struct Step {
    const char* what;
    int32_t kind;
    std::function<void(ProgramSettings&, DriverWindow&, const QString& addressHex)> prepare;
};

// The script; the interoperability test knows the slave's image and checks each answer.
std::vector<Step> script() {
    using namespace RequestKinds;
    auto block = [](int reg) {
        return [reg](ProgramSettings& s, DriverWindow&, const QString& a) {
            s.RegisterCounter = int16_t(reg);
            s.RequestText = blockReadRequest(a, reg);
        };
    };
    return {
        {"identify", IdentifyDevice,
         [](ProgramSettings& s, DriverWindow&, const QString& a) {
             s.RequestText = deviceRegisterRequest(a, 0x0141);
         }},
        {"response-time", ReadResponseTime,
         [](ProgramSettings& s, DriverWindow&, const QString& a) {
             s.RequestText = deviceRegisterRequest(a, 0x0140);
         }},
        {"set-response-time", SetResponseTime,
         [](ProgramSettings& s, DriverWindow&, const QString& a) {
             s.ResponseTime = 40;
             s.RequestText = responseTimeWriteRequest(a, 40);
         }},
        {"response-time-again", ReadResponseTime,
         [](ProgramSettings& s, DriverWindow&, const QString& a) {
             s.RequestText = deviceRegisterRequest(a, 0x0140);
         }},
        {"inversion-flags", ReadAllInversionFlags,
         [](ProgramSettings& s, DriverWindow&, const QString& a) {
             s.RequestText = coilReadRequest(a);
         }},
        {"inversion-flag-row-4", ReadInversionFlag,
         [](ProgramSettings& s, DriverWindow&, const QString& a) {
             s.LearnRow = s.CurrentRow = 4;
             s.RequestText = inversionFlagReadRequest(a, 4);
         }},
        {"invert-row-0", SetInversion,
         [](ProgramSettings& s, DriverWindow&, const QString& a) {
             s.CurrentRow = 0;
             s.InversionValue = 1;
             s.RequestText = inversionWriteRequest(a, 0, true);
         }},
        {"inversion-flags-again", ReadAllInversionFlags,
         [](ProgramSettings& s, DriverWindow&, const QString& a) {
             s.RequestText = coilReadRequest(a);
         }},
        {"learn-on-row-3", StartLearnMode,
         [](ProgramSettings& s, DriverWindow&, const QString& a) {
             s.CurrentRow = 3;
             s.RegisterCounter = 30; // the learn coil follows the row's block
             s.RequestText = learnModeRequest(a, 3, true);
         }},
        {"learn-off-row-3", CancelLearn,
         [](ProgramSettings& s, DriverWindow&, const QString& a) {
             s.CurrentRow = 3;
             s.RegisterCounter = 30;
             s.RequestText = learnModeRequest(a, 3, false);
         }},
        {"write-row-9", WriteSensorEntry,
         [](ProgramSettings& s, DriverWindow&, const QString& a) {
             s.CurrentRow = 9;
             s.RegisterCounter = 90;
             s.LearnOrgText = "07";
             s.LearnIdText = "0183ABCD";
             s.RequestText = sensorEntryWriteRequest(a, 9, "07", "0183ABCD");
         }},
        {"watch-row-9", WatchSensorSlot, block(90)},
        {"apply-sender-1", ApplySenderValue,
         [](ProgramSettings& s, DriverWindow& w, const QString& a) {
             s.SenderRow = 1;
             w.sender = {2, "8", "40", "2", "135", "48"};
             s.RequestText = senderBlockRequestText(a, 1, 2, {8, 40, 2, 135, 48});
         }},
        {"sender-row-1", ReadSensorTable, block(410)},
        {"transmit-1", TransmitTelegram,
         [](ProgramSettings& s, DriverWindow&, const QString& a) {
             s.TransmitRow = 1;
             s.RequestText = transmitRequestText(a, 1);
         }},
        {"sensor-row-17", ReadSensorTable, block(170)},
        {"sensor-row-31", ReadSensorTable, block(310)},
    };
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <device> <ASCII|RTU> <address>\n", argv[0]);
        return 2;
    }
    const QString device = argv[1], mode = argv[2];
    ProgramSettings s;
    s.ModeText = mode;
    DriverWindow window;
    window.address = argv[3];
    const QString addressText = ::addressHex(window.address).value_or("00");
    DevicePort port([&device](int) { return device; });
    const bool rtu = mode == "RTU";
    QtClock clock;
    auto Timer4 = clock.createTimer("Timer4", rtu ? 50 : 100);
    auto Timer5 = clock.createTimer("Timer5", 1000);
    RecordingMessageBoxes messages;
    Link link(s, clock, port, *Timer4, *Timer5, window, messages);
    port.setSettings(rtu ? "9600,E,8,1" : "9600,E,7,1");
    port.setInputMode(rtu ? InputMode::Binary : InputMode::Text);
    port.setPortOpen(true);
    s.PortIsOpen = true;

    const std::vector<Step> steps = script();
    size_t next = 0;
    std::function<void()> sendNext = [&] {
        if (next == steps.size()) {
            for (const QString& m : messages.shown)
                std::printf("message %s\n", qPrintable(m));
            std::fflush(stdout);
            app.quit();
            return;
        }
        const Step& step = steps[next];
        s.RequestKind = step.kind;
        step.prepare(s, window, addressText);
        s.LinkReady = false;
        link.send();
        Timer4->setEnabled(true);
    };
    auto finish = [&](const QString& result) {
        std::printf("%s %s\n", steps[next].what, qPrintable(result));
        std::fflush(stdout);
        Timer5->setEnabled(false);
        ++next;
        link.forgetCollected();
        sendNext();
    };
    for (const Step& step : steps)
        link.setAnswerHandler(step.kind, [&](const Answer& a) { finish(a.text()); });
    Timer4->setTickHandler([&] { link.Timer4_Timer(); });
    link.setTimeOutHandler([&] { finish("timeout"); });
    // An answer the link collects without a handler (ASCII kinds 12 and 13) still completes.
    QTimer completion;
    QObject::connect(&completion, &QTimer::timeout, [&] {
        if (next < steps.size() && s.LinkReady && !Timer5->isEnabled())
            finish(s.AnswerText + " (not dispatched)");
    });
    completion.start(20);
    sendNext();
    return app.exec();
}
