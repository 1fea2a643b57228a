// Whole sessions of the tool's main window against the in-process simulated gateway, under the
// manual clock: open, identify, read the response time, shade the rows, one full pass, idle.

#include "app/DocumentOpener.h"
#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "app/StartRoutine.h"
#include "app/Timer.h"
#include "sim/GatewayModel.h"
#include "sim/SimulatedGatewayPort.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace {
struct SessionParam {
    const char* mode;
    GatewayVariant variant;
};

class GatewaySession : public ::testing::TestWithParam<SessionParam> {
protected:
    ProgramSettings s;
    ManualClock clock;
    GatewayModel* model = nullptr;
    std::unique_ptr<SimulatedGatewayPort> port;
    RecordingMessageBoxes messages;
    RecordingDocumentOpener opener;
    std::unique_ptr<MainWindow> w;

    void SetUp() override {
        auto m = std::make_unique<GatewayModel>(1, GetParam().variant, 5);
        m->learnSensor(0, 0x05, 0x0012A3F1);
        m->learnSensor(3, 0x07, 0x01800A22);
        m->learnSensor(31, 0x06, 0xFFEE0001);
        model = m.get();
        port = std::make_unique<SimulatedGatewayPort>(clock, std::move(m));
        applyStartValues(s);
        w = std::make_unique<MainWindow>(
            s, clock, *port, messages, [](const QString&, const QString&) { return QString(); },
            opener);
        runStartRoutine(s, *w, *port);
    }
    template <class T> T* find(const QString& name) { return w->findChild<T*>(name); }
    void pick(int list, const QString& text) {
        QComboBox* l = find<QComboBox>(QString("Combo_Port_%1").arg(list));
        l->setCurrentIndex(l->findText(text));
        emit l->activated(l->currentIndex());
    }
    void connect() {
        find<QLineEdit>("txt_Modbus_adress")->setText("1");
        pick(5, GetParam().mode);
        pick(6, "open");
    }
    QString id(int row) { return find<QLabel>(QString("txt_id_%1").arg(row))->text(); }
    QString org(int row) { return find<QLabel>(QString("txt_org_%1").arg(row))->text(); }
};
} // namespace

TEST_P(GatewaySession, OpenIdentifyShadeAndOnePassShowExactlyTheGatewaysSensors) {
    connect();
    clock.advance(20000);
    const bool transceiver = GetParam().variant == GatewayVariant::Transceiver;
    EXPECT_EQ(find<QLineEdit>("txt_devType")->text(), transceiver ? "QTX40" : "QRX40");
    EXPECT_TRUE(find<QCheckBox>("chk_connected")->isChecked());
    EXPECT_EQ(find<QLineEdit>("txt_min_response")->text(),
              QString::number(model->responseTimeMs()));
    EXPECT_EQ(find<QTabWidget>("SSTab1")->isTabEnabled(1), transceiver);
    for (int row = 0; row < kSensorRows; ++row) {
        const uint16_t reg0 = model->reg(10 * row);
        EXPECT_EQ(org(row), QString("%1").arg(reg0 & 0xFF, 2, 16, QChar('0')).toUpper()) << row;
        const uint32_t sensorId =
            (uint32_t(model->reg(10 * row + 1)) << 16) | model->reg(10 * row + 2);
        EXPECT_EQ(id(row), QString("%1").arg(sensorId, 8, 16, QChar('0')).toUpper()) << row;
    }
    EXPECT_EQ(org(3), "07");
    EXPECT_EQ(id(31), "FFEE0001");
    // the pass has ended: idle, nothing outstanding
    EXPECT_EQ(s.RequestKind, RequestKinds::None);
    EXPECT_FALSE(w->timers().Timer1.isEnabled());
    EXPECT_FALSE(s.FirstReadPending);
    EXPECT_EQ(find<QLabel>("lbl_Alarm")->text(), "");
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join("|").toStdString();
}

TEST_P(GatewaySession, ASilentLineGivesTheReceiverFallbackAndTheAlarm) {
    find<QLineEdit>("txt_Modbus_adress")->setText("7"); // nobody answers at 7
    pick(5, GetParam().mode);
    pick(6, "open");
    clock.advance(5000);
    EXPECT_EQ(find<QLineEdit>("txt_devType")->text(), "QRX40");
    EXPECT_FALSE(find<QCheckBox>("chk_connected")->isChecked());
    EXPECT_FALSE(find<QLabel>("lbl_Alarm")->text().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(ModesAndVariants, GatewaySession,
                         ::testing::Values(SessionParam{"ASCII", GatewayVariant::Transceiver},
                                           SessionParam{"RTU", GatewayVariant::Transceiver},
                                           SessionParam{"ASCII", GatewayVariant::Receiver},
                                           SessionParam{"RTU", GatewayVariant::Receiver}));
