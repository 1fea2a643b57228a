// The device adapter over a real pseudo-terminal pair.

#include "link/DevicePort.h"
#include "ports/PortTexts.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

namespace {
struct PtyPair {
    int master = -1, slave = -1;
    QString path;
    PtyPair() {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) == 0)
            path = name;
    }
    ~PtyPair() {
        if (master >= 0)
            ::close(master);
        if (slave >= 0)
            ::close(slave);
    }
    QByteArray readMaster(int want) {
        QByteArray got;
        QElapsedTimer since;
        since.start();
        while (got.size() < want && since.elapsed() < 2000) {
            // the port's writes leave from the event loop
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0)
                continue;
            char buf[256];
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0)
                break;
            got.append(buf, static_cast<int>(n));
        }
        return got;
    }
};

// Lets the event loop deliver what the device received, bounded by 2 s.
template <class Done> bool processUntil(Done done) {
    QElapsedTimer since;
    since.start();
    while (!done() && since.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}
} // namespace

TEST(DevicePort, WritesAFrameAndReadsTheAnswerOverAPseudoTerminal) {
    PtyPair pty;
    ASSERT_FALSE(pty.path.isEmpty());
    DevicePort port([&](int) { return pty.path; });
    port.setCommPort(3);
    port.setSettings("9600,E,7,1"); // a pseudo-terminal stays 8N1: not an error, it opens
    port.setInputMode(InputMode::Binary);
    port.setPortOpen(true);
    ASSERT_TRUE(port.PortOpen());
    const QByteArray request = QByteArray::fromHex("010301410001D5E2");
    port.Output(request);
    EXPECT_EQ(pty.readMaster(request.size()), request);
    const QByteArray answer = QByteArray::fromHex("01030200417840");
    ASSERT_EQ(::write(pty.master, answer.constData(), answer.size()), answer.size());
    ASSERT_TRUE(processUntil([&] { return port.InBufferCount() >= answer.size(); }));
    EXPECT_EQ(port.Input(), answer);
    EXPECT_EQ(port.InBufferCount(), 0);
    port.setPortOpen(false);
    EXPECT_FALSE(port.PortOpen());
}

TEST(DevicePort, MissingDeviceFailsWithErrorNumberOne) {
    DevicePort port([](int) { return QString("/dev/does-not-exist-qrx"); });
    port.setSettings("9600,E,7,1");
    try {
        port.setPortOpen(true);
        FAIL() << "opened a missing device";
    } catch (const PortError& e) {
        EXPECT_EQ(e.number, 1);
        EXPECT_EQ(e.devicePath, "/dev/does-not-exist-qrx");
    }
    EXPECT_FALSE(port.PortOpen());
}

TEST(DevicePort, SettingsThePortCannotUseAreRefused) {
    DevicePort port([](int) { return QString(); });
    for (const char* text : {"9601,E,7,1", "9600,X,7,1", "9600,E,9,1", "9600,E,7", "abc"})
        EXPECT_THROW(port.setSettings(text), PortError) << text;
    EXPECT_NO_THROW(port.setSettings("115200,O,8,1"));
}

TEST(DevicePort, ARealDeviceThatRefusesASettingFailsTheOpenAndNamesTheSetting) {
    PtyPair pty;
    ASSERT_FALSE(pty.path.isEmpty());
    // a pseudo-terminal refuses 7 data bits and parity: told it is not one, the port must fail
    struct Case {
        const char* settings;
        bool pseudoTerminal;
        LineSetting refused; // None: opens
        const char* value;
    } cases[] = {{"9600,E,7,1", true, LineSetting::None, ""},
                 {"9600,E,8,1", true, LineSetting::None, ""},
                 {"9600,E,7,1", false, LineSetting::DataBits, "7"},
                 {"19200,E,8,1", false, LineSetting::Parity, "E"},
                 {"9600,N,8,2", false, LineSetting::None, ""}};
    for (const Case& c : cases) {
        DevicePort port([&](int) { return pty.path; });
        if (!c.pseudoTerminal)
            port.setPseudoTerminalCheck([](int, const QString&) { return false; });
        port.setSettings(c.settings);
        try {
            port.setPortOpen(true);
            EXPECT_EQ(c.refused, LineSetting::None) << c.settings << " opened";
            EXPECT_TRUE(port.PortOpen());
        } catch (const PortError& e) {
            EXPECT_EQ(e.refused, c.refused) << c.settings;
            EXPECT_EQ(e.refusedValue, c.value) << c.settings;
            EXPECT_EQ(e.devicePath, pty.path);
            EXPECT_NE(e.number, 0);
            EXPECT_FALSE(port.PortOpen()) << c.settings;
        }
    }
}

TEST(DevicePort, Rs485ModeThePseudoTerminalCannotTakeIsReportedAndThePortStillWorks) {
    PtyPair pty;
    ASSERT_FALSE(pty.path.isEmpty());
    DevicePort port([&](int) { return pty.path; });
    port.setSettings("9600,E,7,1");
    port.setRs485(true);
    QList<PortError> refused;
    port.setOptionRefusedHandler([&](const PortError& e) { refused << e; });
    port.setPortOpen(true);
    ASSERT_TRUE(port.PortOpen());
    ASSERT_EQ(refused.size(), 1);
    EXPECT_EQ(refused[0].refused, LineSetting::Rs485);
    EXPECT_EQ(refused[0].reason, QString::fromLocal8Bit(strerror(ENOTTY)));
    EXPECT_EQ(refused[0].devicePath, pty.path);
    port.Output(":010301410001B9\r\n");
    EXPECT_EQ(pty.readMaster(17), QByteArray(":010301410001B9\r\n"));
}

TEST(DevicePort, ABusyDeviceNamesTheProgramThatHoldsIt) {
    PtyPair pty;
    ASSERT_FALSE(pty.path.isEmpty());
    DevicePort first([&](int) { return pty.path; });
    first.setSettings("9600,N,8,2");
    first.setPortOpen(true);
    DevicePort second([&](int) { return pty.path; });
    second.setSettings("9600,N,8,2");
    try {
        second.setPortOpen(true);
        FAIL() << "opened a device in use";
    } catch (const PortError& e) {
        const QString detail = failureDetail(e, true);
        EXPECT_TRUE(
            detail.contains(QString("(process %1)").arg(QCoreApplication::applicationPid())))
            << detail.toStdString();
    }
}

TEST(DevicePort, LossOfTheDeviceIsReportedOnceAndClosesThePort) {
    auto* pty = new PtyPair;
    ASSERT_FALSE(pty->path.isEmpty());
    DevicePort port([&](int) { return pty->path; });
    port.setSettings("9600,N,8,2");
    port.setPortOpen(true);
    int reports = 0;
    port.setDeviceLostHandler([&](const PortError&) { ++reports; });
    delete pty; // the far side vanishes
    processUntil([&] { return reports > 0; });
    // give a storm of errors the chance to show
    QElapsedTimer since;
    since.start();
    while (since.elapsed() < 200)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(reports, 1);
    EXPECT_FALSE(port.PortOpen());
}
