// The page server without sockets, against the in-process gateway on the manual clock: the API
// table (token, read-only, body size, host), a learn by ID that reaches the gateway and is read
// back, one write at a time with learn by button switching learn mode off, and a telegram as one
// change message. The sockets themselves: e2e/test_serve_page.py.

#include "serve/ServeSession.h"
#include "support/ReadingLine.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <set>

namespace {
const QByteArray kToken = "0123456789abcdef0123456789abcdef";
const QByteArray kHost = "127.0.0.1:8080";

struct ServeRig : ReadingLine {
    explicit ServeRig(bool readOnly = false)
        : session(clock, line, client, ServeView{"simulator", 1, "RTU 115200 even"},
                  ServeAccess{kToken, {QString(kHost)}, readOnly}, ServeReading{}) {
        model->fillDemoSenderRows();
        session.broadcast = [this](const QByteArray& m) {
            sent.push_back(QJsonDocument::fromJson(m).object());
        };
        session.start();
        runUntil([&] { return session.live().whole()["rows"][31].toObject().contains("id"); });
        clock.advance(100); // the sender slots, the end of the first whole pass
    }
    ApiResponse call(const QByteArray& method, const QString& path, const QByteArray& body = {},
                     const QByteArray& token = kToken, const QByteArray& host = kHost) {
        std::optional<ApiResponse> answer;
        session.api().handle({method, path, host, "Bearer " + token, {}, body},
                             [&](const ApiResponse& r) { answer = r; });
        runUntil([&] { return answer.has_value(); });
        EXPECT_TRUE(answer.has_value()) << path.toStdString();
        return answer.value_or(ApiResponse{0, {}, {}});
    }
    QJsonObject state() { return QJsonDocument::fromJson(call("GET", "/api/state").body).object(); }
    uint32_t idAt(int row) const {
        return uint32_t(model->reg(10 * row + 1)) << 16 | model->reg(10 * row + 2);
    }

    ServeSession session;
    std::vector<QJsonObject> sent;
};

QString message(const ApiResponse& r) {
    return QJsonDocument::fromJson(r.body).object()["message"].toString();
}
} // namespace

TEST(Serve, ApiTable) {
    struct Endpoint {
        const char* method;
        const char* path;
        const char* body;
        int good; // with a good token
    };
    const Endpoint endpoints[] = {
        {"GET", "/api/state", "", 200},
        {"POST", "/api/rows/5/learn", R"({"id":"0012a3f0","org":"05"})", 200},
        {"POST", "/api/rows/6/learn-button", R"({"wait":2})", 202},
        {"POST", "/api/rows/6/learn-button/cancel", "", 409}, // none runs
        {"POST", "/api/rows/2/delete", R"({"id":"01834C17"})", 200},
        {"POST", "/api/rows/2/invert", R"({"on":true})", 200},
        {"POST", "/api/senders/0/transmit", "", 200},
    };
    QByteArray wrong = kToken;
    wrong.back() = 'e'; // the same length, wrong in its last character
    for (const Endpoint& e : endpoints) {
        SCOPED_TRACE(e.path);
        const bool write = QByteArray(e.method) == "POST";
        ServeRig rig;
        const auto before = rig.model->reg(20);
        for (const QByteArray& token : {QByteArray(), wrong}) {
            const ApiResponse r = rig.call(e.method, e.path, e.body, token);
            EXPECT_EQ(r.status, 401);
            EXPECT_EQ(r.body, R"({"error":"token missing or wrong"})") << "and nothing else";
        }
        EXPECT_EQ(rig.call(e.method, e.path, e.body, kToken, "evil.example:8080").status, 421);
        EXPECT_EQ(rig.model->reg(20), before) << "nothing written";
        ServeRig readOnly(true);
        EXPECT_EQ(readOnly.call(e.method, e.path, e.body).status, write ? 403 : 200);
        if (write) {
            EXPECT_EQ(rig.call(e.method, e.path, QByteArray(4097, ' ')).status, 413);
        }
        EXPECT_EQ(rig.call(write ? "GET" : "POST", e.path).status, 405);
        EXPECT_EQ(rig.call(e.method, e.path, e.body).status, e.good);
    }
    ServeRig rig;
    EXPECT_EQ(rig.call("GET", "/api/nothing").status, 404);
    EXPECT_EQ(rig.call("GET", "/api/nothing", {}, {}).status, 401) << "the token first";
    const ApiResponse pageFile = rig.call("GET", "/", {}, {});
    EXPECT_EQ(pageFile.status, 200) << "the page itself holds no secret";
    EXPECT_TRUE(pageFile.body.contains("app.js"));
    EXPECT_EQ(rig.call("POST", "/api/rows/2/invert", "[1]").status, 400);
    EXPECT_EQ(rig.call("POST", "/api/rows/32/invert", R"({"on":true})").status, 400);
}

TEST(Serve, LearnByIdReachesTheGatewayAndIsReadBack) {
    ServeRig rig;
    const ApiResponse learned =
        rig.call("POST", "/api/rows/5/learn", R"({"id":"0012A3F0","org":"06"})");
    EXPECT_EQ(learned.status, 200);
    EXPECT_EQ(message(learned), "row 5: learned 0012A3F0, ORG 06, read back");
    EXPECT_EQ(rig.model->reg(50), 0x06);
    EXPECT_EQ(rig.idAt(5), 0x0012A3F0u);
    EXPECT_EQ(rig.state()["rows"][5].toObject()["id"], "0012A3F0") << "the page sees it at once";

    // a row that holds another sensor is left as it is, unless it is to be replaced
    const char* other = R"({"id":"0012A3F1","org":"05"})";
    const ApiResponse refused = rig.call("POST", "/api/rows/2/learn", other);
    EXPECT_EQ(refused.status, 409);
    EXPECT_EQ(message(refused), "row 2 holds sensor 01834C17, ORG 07; nothing written (replace "
                                "it to learn another sensor in its place)");
    EXPECT_EQ(rig.idAt(2), 0x01834C17u);
    EXPECT_EQ(
        rig.call("POST", "/api/rows/2/learn", R"({"id":"0012A3F1","org":"05","replace":true})")
            .status,
        200);
    EXPECT_EQ(rig.idAt(2), 0x0012A3F1u);
    const ApiResponse bad = rig.call("POST", "/api/rows/3/learn", R"({"id":"12A3F0","org":"05"})");
    EXPECT_EQ(bad.status, 400);
    EXPECT_EQ(message(bad), "ID takes 8 hex digits, e.g. 0021A3F1, not \"12A3F0\"");
}

TEST(Serve, LearnByButtonHoldsTheLineAndSwitchesLearnModeOff) {
    struct Case {
        int learnDelayMs;
        const char* how; // "wait": the time runs out, "cancel", "stop" (Ctrl-C), "sensor"
        const char* state;
    };
    for (const Case& c : {Case{60000, "wait", "timeout"}, Case{60000, "cancel", "cancelled"},
                          Case{60000, "stop", "cancelled"}, Case{1500, "sensor", "done"}}) {
        SCOPED_TRACE(c.how);
        ServeRig rig;
        rig.model->setLearnDelayMs(c.learnDelayMs);
        EXPECT_EQ(rig.call("POST", "/api/rows/6/learn-button", R"({"wait":3})").status, 202);
        EXPECT_TRUE(rig.model->coil(6)) << "learn mode on";
        const QJsonObject running = rig.state()["operation"].toObject();
        EXPECT_EQ(running["state"], "running");
        EXPECT_EQ(running["remainingMs"].toInt(), 3000) << "the page's countdown";
        const ApiResponse busy = rig.call("POST", "/api/rows/9/invert", R"({"on":true})");
        EXPECT_EQ(busy.status, 409);
        EXPECT_EQ(message(busy), "the line is busy with learn by button, row 6: one write at a "
                                 "time; try again when it has ended");
        const QByteArray how = c.how;
        bool stopped = false;
        if (how == "cancel") {
            EXPECT_EQ(rig.call("POST", "/api/rows/6/learn-button/cancel").status, 200);
        } else if (how == "stop") {
            rig.session.stop([&] { stopped = true; });
        }
        auto state = [&] { return rig.session.live().whole()["operation"].toObject()["state"]; };
        rig.runUntil([&] { return state() != "running"; });
        EXPECT_EQ(state(), c.state);
        EXPECT_FALSE(rig.model->coil(6)) << "learn mode off";
        EXPECT_EQ(rig.model->reg(60) != 0, how == "sensor");
        EXPECT_EQ(stopped, how == "stop");
        if (how != "stop") { // the line is free again
            EXPECT_EQ(rig.call("POST", "/api/rows/9/invert", R"({"on":true})").status, 200);
        }
    }
}

TEST(Serve, ATelegramReachesThePagesAsOneChangeMessage) {
    ServeRig rig;
    std::set<int> first;
    for (const QJsonObject& m : rig.sent)
        for (const QJsonValue& r : m["rows"].toArray())
            first.insert(r["row"].toInt());
    EXPECT_EQ(first.size(), 32u) << "the first whole pass: every row";
    rig.sent.clear();
    rig.runUntil([&] { return !rig.sent.empty(); }, 10000);
    ASSERT_EQ(rig.sent.size(), 1u);
    const QJsonObject change = rig.sent.front();
    const QJsonArray telegrams = change["telegrams"].toArray();
    ASSERT_EQ(telegrams.size(), 1);
    const int row = telegrams[0].toInt();
    const QJsonArray rows = change["rows"].toArray();
    ASSERT_EQ(rows.size(), 1) << "only what changed";
    EXPECT_EQ(rows[0]["row"], row);
    EXPECT_EQ(rows[0]["time"], rig.model->reg(10 * row + 7));
    EXPECT_LE(rows[0]["telegramAgoMs"].toInt(), 20) << "sent within 20 ms of its reading";
    EXPECT_FALSE(change.contains("gateway")) << "the gateway did not change";
}

TEST(Serve, TheNamesItAnswersToAndTheToken) {
    const QList<QHostAddress> local{QHostAddress("10.0.0.7"), QHostAddress("127.0.0.1"),
                                    QHostAddress("fe80::1%eth0"), QHostAddress("2001:db8::7")};
    const QStringList any =
        allowedHosts(QHostAddress(QHostAddress::AnyIPv4), 8080, false, {"Box"}, local);
    for (const char* host :
         {"10.0.0.7:8080", "127.0.0.1:8080", "[2001:db8::7]:8080", "localhost:8080", "box:8080"})
        EXPECT_TRUE(any.contains(host)) << host;
    for (const char* host : {"10.0.0.7", "10.0.0.7:80", "evil.example:8080", "[fe80::1]:8080"})
        EXPECT_FALSE(any.contains(host)) << host;
    const QStringList loopback =
        allowedHosts(QHostAddress(QHostAddress::LocalHost), 80, false, {"box"}, local);
    EXPECT_EQ(loopback, (QStringList{"127.0.0.1:80", "127.0.0.1", "localhost:80", "localhost"}))
        << "a loopback server is not reached by the machine's name";
    ServeAccess access{"abcdefghijklmnop", loopback, false};
    EXPECT_TRUE(access.hostAllowed(" LocalHost "));
    EXPECT_TRUE(access.tokenMatches(bearerToken("bearer abcdefghijklmnop")));
    for (const char* wrong : {"", "Bearer", "Bearer abcdefghijklmno", "Bearer abcdefghijklmnopq",
                              "Basic abcdefghijklmnop", "Bearer abcdefghijklmnoP"})
        EXPECT_FALSE(access.tokenMatches(bearerToken(wrong))) << wrong;
    EXPECT_EQ(randomToken().size(), 32) << "128 bits in hex";
    EXPECT_NE(randomToken(), randomToken());
}
