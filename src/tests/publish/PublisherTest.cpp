// The publisher against the in-process gateway on the manual clock and a fake broker: what the
// broker retains equals what the gateway holds, a telegram gives one telegram message and one
// state, the broker away and back, the gateway silent and back, a deleted row, and the stop.

#include "publish/Publisher.h"
#include "gateway/GatewayRequests.h"
#include "support/ReadingLine.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <map>

namespace {
// A broker that takes whatever it is given while up; a restart forgets what it retained.
struct FakeBroker : BrokerClient {
    explicit FakeBroker(Clock& clock)
        : clock(clock) {}
    void connectToBroker() override {
        attemptsAtMs.push_back(clock.nowMs());
        if (!up)
            return dropped({BrokerTrouble::Network, "connection refused"});
        connected_ = true;
        connected();
    }
    bool isConnected() const override { return connected_; }
    bool publish(const QByteArray& topic, const QByteArray& payload, bool retained) override {
        if (!connected_)
            return false;
        sent.push_back({topic, payload});
        if (retained && payload.isEmpty())
            retainedAt.erase(topic);
        else if (retained)
            retainedAt[topic] = payload;
        return true;
    }
    void disconnectFromBroker() override {
        connected_ = false;
        dropped({BrokerTrouble::Stopped, "stopped"});
    }
    QJsonObject json(const QByteArray& topic) const {
        auto it = retainedAt.find(topic);
        return it == retainedAt.end() ? QJsonObject()
                                      : QJsonDocument::fromJson(it->second).object();
    }

    Clock& clock;
    bool up = true;
    bool connected_ = false;
    std::vector<int64_t> attemptsAtMs;
    std::vector<std::pair<QByteArray, QByteArray>> sent;
    std::map<QByteArray, QByteArray> retainedAt;
};

struct PublishRig : ReadingLine {
    PublishRig() {
        publisher.finished = [this](bool ok) { finished = ok; };
        publisher.complain = [this](const QString& t) { complaints << t; };
    }
    // Started, until the first whole pass has published the sensor of row 9.
    void startAndPass() {
        publisher.start();
        runUntil([&] { return !state(9).isEmpty(); });
    }
    QByteArray status() const {
        return broker.retainedAt.count("qrx/hall/status") ? broker.retainedAt.at("qrx/hall/status")
                                                          : "";
    }
    QJsonObject state(int row) const {
        return broker.json("qrx/hall/sensor/" + QByteArray::number(row) + "/state");
    }

    FakeBroker broker{clock};
    PublishSettings settings{.name = "hall"};
    Publisher publisher{clock, line, client, broker, settings, "mqtt://test:1883"};
    std::optional<bool> finished;
    QStringList complaints;
};
} // namespace

TEST(Publisher, RetainedMessagesEqualWhatTheGatewayHolds) {
    PublishRig rig;
    rig.startAndPass();
    ASSERT_LT(rig.clock.nowMs(), 500) << "the whole pass before the first telegram";
    EXPECT_EQ(rig.status(), "online");
    const QJsonObject g = rig.broker.json("qrx/hall/gateway");
    EXPECT_EQ(g["device"], "QTX40");
    EXPECT_EQ(g["response_time"], 1);
    for (const auto& [row, id, org] : {std::tuple{2, "01834C17", "07"}, {9, "0021C488", "05"}}) {
        SCOPED_TRACE(row);
        const QJsonObject s = rig.state(row);
        const auto reg = [&](int i) { return rig.model->reg(10 * row + i); };
        EXPECT_EQ(s["row"], row);
        EXPECT_EQ(s["id"], id);
        EXPECT_EQ(s["org"], org);
        EXPECT_EQ(s["data"],
                  (QJsonArray{reg(6) & 0xFF, reg(5) & 0xFF, reg(4) & 0xFF, reg(3) & 0xFF}));
        EXPECT_EQ(s["time"], reg(7));
        EXPECT_TRUE(s["last_telegram"].isNull()) << "no telegram seen yet";
        for (int k = 0; k < 4; ++k) {
            const QString uid = QString("qrx_hall_%1_%2_%3").arg(row).arg(id).arg(k);
            const QJsonObject d =
                rig.broker.json("homeassistant/sensor/" + uid.toUtf8() + "/config");
            EXPECT_EQ(d["unique_id"], uid);
            EXPECT_EQ(d["state_topic"], QString("qrx/hall/sensor/%1/state").arg(row));
            EXPECT_EQ(d["value_template"], QString("{{ value_json.data[%1] }}").arg(k));
            EXPECT_EQ(d["availability_topic"], "qrx/hall/status");
            EXPECT_EQ(d["device"].toObject()["model"], "QTX40");
        }
    }
    EXPECT_EQ(rig.broker.retainedAt.size(), 2u + 2 * 5) << "status, gateway, 2 x (4 + 1)";
    EXPECT_EQ(rig.broker.sent.size(), rig.broker.retainedAt.size() + 1)
        << "each once (the status offline, then online), no telegram";
}

TEST(Publisher, ATelegramGivesOneTelegramMessageAndOneState) {
    PublishRig rig;
    rig.startAndPass();
    const size_t before = rig.broker.sent.size();
    rig.clock.advance(60000);
    const auto& sent = rig.broker.sent;
    const size_t telegrams = (sent.size() - before) / 2;
    for (size_t i = before; i < sent.size(); i += 2) { // pairs, nothing else
        ASSERT_TRUE(sent[i].first.endsWith("/telegram")) << sent[i].first.toStdString();
        ASSERT_LT(i + 1, sent.size());
        EXPECT_EQ(sent[i + 1], std::make_pair(sent[i].first.chopped(9) + "/state", sent[i].second));
    }
    EXPECT_GT(telegrams, 10u);
    EXPECT_FALSE(rig.state(2)["last_telegram"].isNull());
}

TEST(Publisher, BrokerAwayKeepsTheLatestStatesAndReconnectsWithAGrowingPause) {
    PublishRig rig;
    rig.startAndPass();
    const int64_t lostAt = rig.clock.nowMs();
    rig.broker.up = rig.broker.connected_ = false; // it stops and comes back empty
    rig.broker.retainedAt.clear();
    rig.broker.attemptsAtMs.clear();
    rig.broker.dropped({BrokerTrouble::Network, "connection lost"});
    const size_t sentBefore = rig.broker.sent.size();
    rig.clock.advance(100000);
    EXPECT_EQ(rig.broker.sent.size(), sentBefore) << "nothing goes out, nothing piles up";
    for (int64_t& at : rig.broker.attemptsAtMs)
        at -= lostAt;
    EXPECT_EQ(rig.broker.attemptsAtMs,
              (std::vector<int64_t>{1000, 3000, 7000, 15000, 31000, 63000}));
    rig.broker.up = true;
    rig.clock.advance(60000);
    EXPECT_EQ(rig.status(), "online");
    EXPECT_EQ(rig.broker.retainedAt.size(), 2u + 2 * 5) << "everything retained, published again";
    EXPECT_EQ(rig.state(2)["time"], rig.model->reg(27));
    EXPECT_FALSE(
        rig.complaints.filter("broker mqtt://test:1883: connection lost; next attempt in 1 s")
            .isEmpty());
}

TEST(Publisher, SilentGatewayGoesOfflineAndComesBack) {
    PublishRig rig;
    rig.startAndPass();
    rig.port->faults().silent = true;
    rig.runUntil([&] { return rig.status() == "offline"; });
    const int64_t requests = rig.port->requestLog().size();
    rig.clock.advance(20000);
    // 1 s, 2 s, 4 s, 8 s between the attempts: the identification and the response-time read
    EXPECT_LE(rig.port->requestLog().size() - requests, 4u * 5);
    rig.port->faults().silent = false;
    rig.port->faults().exceptionEvery = 1; // it answers, but not to the identification
    rig.runUntil([&] { return !rig.complaints.filter("exception 04").isEmpty(); });
    rig.port->faults().exceptionEvery = 0;
    const int64_t answersAt = rig.clock.nowMs();
    rig.runUntil([&] { return rig.status() == "online"; });
    EXPECT_LT(rig.clock.nowMs() - answersAt, 1100) << "the next pass identifies it again";
    EXPECT_EQ(rig.complaints.filter("gateway offline").size(), 1)
        << rig.complaints.join('\n').toStdString();
}

TEST(Publisher, DeletedRowRemovesItsEntitiesAndStopSaysOffline) {
    PublishRig rig;
    rig.startAndPass();
    rig.model->handle(GatewayRequests::writeSensorEntry(1, 9, 0, 0));
    rig.runUntil([&] { return rig.state(9).isEmpty(); });
    EXPECT_EQ(rig.broker.retainedAt.size(), 2u + 5) << "row 9's state and discovery removed";
    rig.model->learnSensor(30, 0x06, 0x00ABCDEF);
    rig.runUntil([&] { return !rig.state(30).isEmpty(); });
    EXPECT_EQ(rig.state(30)["id"], "00ABCDEF") << "noticed by a whole pass";
    rig.publisher.stop();
    EXPECT_EQ(rig.broker.sent.back(),
              std::make_pair(QByteArray("qrx/hall/status"), QByteArray("offline")));
    EXPECT_EQ(rig.finished, true);
    EXPECT_FALSE(rig.broker.connected_);
}

TEST(Publisher, StatesScaleAsTheWindowAndCarryTheLabel) {
    PublishSettings s;
    s.scale = {{{"0", "100"}, {"-40", "60"}, {"100", "0"}, {"0", "255"}}};
    s.labels[4] = "Hall window";
    SensorSlot slot{0x07, 0x01834C17, {128, 51, 255, 17}, 4660};
    EXPECT_EQ(statePayload(4, slot, 1796083200250, s),
              R"({"data":[128,51,255,17],"id":"01834C17","label":"Hall window",)"
              R"("last_telegram":"2026-12-01T00:00:00.250Z","org":"07","row":4,)"
              R"("scaled":[50.1960784313725,-20,0,17],"time":4660})");
}
