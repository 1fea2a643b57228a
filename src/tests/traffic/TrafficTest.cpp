// The traffic view's logic without a window: the meaning of every request kind and its answer in
// both languages and both framings, the counters under the simulated gateway's named faults, the
// bounded ring with the table model over it, and the CSV.

#include "gateway/GatewayRequests.h"
#include "link/Hex.h"
#include "support/LineRig.h"
#include "traffic/TrafficCsv.h"
#include "traffic/TrafficMeaning.h"
#include "traffic/TrafficModel.h"
#include "traffic/TrafficRecorder.h"
#include "traffic/TrafficRows.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {
namespace R = GatewayRequests;
QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}
} // namespace

TEST(TrafficMeaning, EveryRequestInTheGatewaysTermsAndOnBothLines) {
    const struct {
        QByteArray pdu;
        const char* english;
        const char* german;
    } cases[] = {
        {R::identify(1), "identify", "Identifikation"},
        {R::readResponseTime(1), "read response time", "Antwortzeit lesen"},
        {R::setResponseTime(1, 300), "response time 300 ms", "Antwortzeit 300 ms"},
        {R::readInversionFlags(1), "read inversion flags", "Inversionen lesen"},
        {R::readInversionFlag(1, 31), "read inversion row 31", "Inversion Zeile 31 lesen"},
        {R::setInversion(1, 2, false), "inversion row 2 off", "Inversion Zeile 2 aus"},
        {R::setInversion(1, 0, true), "inversion row 0 on", "Inversion Zeile 0 ein"},
        {R::readSensorSlot(1, 5), "read sensor row 5 (registers 50-59)",
         "Sensorzeile 5 lesen (Register 50-59)"},
        {R::readSensorSlot(1, 31), "read sensor row 31 (registers 310-319)",
         "Sensorzeile 31 lesen (Register 310-319)"},
        {R::readSenderSlot(1, 2), "read sender row 2", "Senderzeile 2 lesen"},
        {R::writeSensorEntry(1, 7, 0x07, 0x01834C17), "write ORG/ID row 7",
         "ORG/ID Zeile 7 schreiben"},
        {R::learnMode(1, 3, true), "learn mode row 3 on", "Lernmodus Zeile 3 ein"},
        {R::learnMode(1, 3, false), "learn mode row 3 off", "Lernmodus Zeile 3 aus"},
        {R::writeSenderRow(1, 7, 5, {1, 2, 3, 4}, 9), "write sender row 7",
         "Senderzeile 7 schreiben"},
        {R::transmit(1, 0), "transmit sender row 0", "Senderzeile 0 senden"},
        // what is none of the gateway's objects is named plainly
        {hex("010300650003"), "read registers 101-103", "Register 101-103 lesen"},
        {hex("01030400000A"), "read registers 1024-1033", "Register 1024-1033 lesen"},
        {hex("010500480000"), "coil 72 off", "Coil 72 aus"},
        {hex("012B0E01"), "function 2B", "Funktion 2B"},
        {hex("0103"), "function 03", "Funktion 03"},
        {hex("01"), "incomplete request", "unvollständige Anfrage"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.english);
        EXPECT_EQ(requestMeaning(c.pdu, true), c.english);
        EXPECT_EQ(requestMeaning(c.pdu, false), QString::fromUtf8(c.german));
        if (c.pdu.size() >= 2) {
            EXPECT_EQ(pduOfFrame(rtuFrame(c.pdu), false), c.pdu);
            EXPECT_EQ(pduOfFrame(asciiFrame(hexOf(c.pdu)), true), c.pdu);
        }
    }
    // no frame: noise, a line without ":" or with a non-hex digit, a stub
    EXPECT_FALSE(pduOfFrame("xxx", true));
    EXPECT_FALSE(pduOfFrame(":01G3\r\n", true));
    EXPECT_FALSE(pduOfFrame(hex("0103"), false));
}

TEST(TrafficMeaning, EveryAnswerWithTheRequestItAnswers) {
    const struct {
        const char* answer;
        QByteArray request;
        const char* english;
        const char* german;
    } cases[] = {
        {"0103020041", R::identify(1), "1 register", "1 Register"},
        {"010314000700000000000000000000000000000000000000", R::readSensorSlot(1, 2),
         "10 registers", "10 Register"},
        {"0101040000FF00", R::readInversionFlags(1), "32 coils", "32 Coils"},
        {"01010101", R::readInversionFlag(1, 5), "1 coil", "1 Coil"},
        {"01010101", {}, "8 coils", "8 Coils"}, // without its request: whole bytes
        {"010F00030001", R::learnMode(1, 3, true), "echo", "Echo"},
        {"011001400001", R::setResponseTime(1, 300), "echo", "Echo"},
        {"01050040FF00", R::transmit(1, 0), "echo", "Echo"},
        {"018302", R::identify(1), "exception 02 illegal data address",
         "Ausnahme 02 unzulässige Datenadresse"},
        {"019004", {}, "exception 04 slave device failure", "Ausnahme 04 Fehler im Slave-Gerät"},
        {"0183", {}, "incomplete answer", "unvollständige Antwort"},
        {"014400", {}, "function 44", "Funktion 44"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        EXPECT_EQ(answerMeaning(hex(c.answer), c.request, true), c.english);
        EXPECT_EQ(answerMeaning(hex(c.answer), c.request, false), QString::fromUtf8(c.german));
    }
}

namespace {
struct FaultCase {
    LineMode mode;
    const char* fault;
    uint64_t answers, timeOuts, checkFailures, exceptions, late, foreign, bytesIn;
};
void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << (c.mode == LineMode::Rtu ? "RTU " : "ASCII ") << c.fault;
}
class TrafficFaults : public ::testing::TestWithParam<FaultCase> {};
} // namespace

// Six reads of sensor row 2 (a 25-byte RTU answer, a 51-character ASCII line), one attempt each.
TEST_P(TrafficFaults, TheCountersTellTheFaultsApart) {
    const FaultCase& c = GetParam();
    FaultPlan faults;
    ASSERT_TRUE(faults.add(c.fault));
    LineRig rig(c.mode, faults);
    TrafficRecorder recorder(rig.line->link(), rig.clock);
    LatencyStats answered;
    for (int i = 0; i < 6; ++i) {
        const ExchangeResult r = rig.run("01030014000A", {300, 0});
        if (r.ok())
            answered.add(r.latencyMs);
    }
    const TrafficCounters& n = recorder.counters();
    EXPECT_EQ(n.requests, 6u);
    EXPECT_EQ(n.bytesOut, c.mode == LineMode::Rtu ? 6u * 8 : 6u * 17);
    EXPECT_EQ(n.answers, c.answers);
    EXPECT_EQ(n.timeOuts, c.timeOuts);
    EXPECT_EQ(n.checkFailures, c.checkFailures);
    EXPECT_EQ(n.exceptions, c.exceptions);
    EXPECT_EQ(n.lateAnswers, c.late);
    EXPECT_EQ(n.foreign, c.foreign);
    EXPECT_EQ(n.bytesIn, c.bytesIn);
    // the latency is the exchange's own: from the request's write to its answer
    EXPECT_EQ(n.latency.count(), answered.count());
    EXPECT_EQ(n.latency.maximum(), answered.maximum());
    EXPECT_EQ(n.latency.median(), answered.median());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, TrafficFaults,
    ::testing::Values(
        // answers,   time-outs, check, exceptions, late, foreign, bytes in
        FaultCase{LineMode::Rtu, "drop=3", 4, 2, 0, 0, 0, 0, 4 * 25},
        FaultCase{LineMode::Rtu, "corrupt=2", 3, 3, 3, 0, 0, 0, 6 * 25},
        FaultCase{LineMode::Rtu, "exception=2", 3, 0, 0, 3, 0, 0, 3 * 25 + 3 * 5},
        // each late answer is drained while the next request waits; the sixth is still underway
        FaultCase{LineMode::Rtu, "late=400", 0, 6, 0, 0, 5, 0, 5 * 25},
        FaultCase{LineMode::Rtu, "noise=3", 6, 0, 0, 0, 0, 6, 6 * 28},
        FaultCase{LineMode::Ascii, "corrupt=3", 4, 2, 2, 0, 0, 0, 6 * 51},
        FaultCase{LineMode::Ascii, "exception=3", 4, 0, 0, 2, 0, 0, 4 * 51 + 2 * 11},
        FaultCase{LineMode::Ascii, "noise=2", 6, 0, 0, 0, 0, 6, 6 * 53}));

TEST(TrafficRecorder, TheRingKeepsTheNewestAndTheCountersKeepCounting) {
    LineRig rig(LineMode::Rtu);
    EXPECT_EQ(TrafficRecorder(rig.line->link(), rig.clock).records().capacity(), 100000u);
    TrafficRecorder recorder(rig.line->link(), rig.clock, 4);
    TrafficModel model(recorder);
    for (int i = 0; i < 3; ++i) // a request and its answer each: 6 records
        rig.run("01030014000A");
    EXPECT_EQ(model.rowCount(), 0) << "rows come in batches";
    EXPECT_EQ(model.catchUp(), 4);
    ASSERT_EQ(recorder.records().size(), 4u);
    EXPECT_EQ(recorder.records().firstSeq(), 2u) << "the first request and answer went";
    EXPECT_EQ(model.recordAt(0)->kind, LineEventKind::Written);
    EXPECT_EQ(recorder.counters().requests, 3u);

    rig.run("010301410001");
    EXPECT_EQ(model.catchUp(), 2);
    EXPECT_EQ(model.rowCount(), 4) << "the two oldest rows went in the same batch";
    EXPECT_EQ(model.data(model.index(2, TrafficModel::Meaning)).toString().toStdString(),
              "Identifikation");

    recorder.setPaused(true);
    rig.run("010301410001");
    EXPECT_EQ(model.catchUp(), 0);
    EXPECT_EQ(recorder.counters().requests, 5u) << "paused, the counting goes on";
    recorder.setPaused(false);

    model.setProblemsOnly(true);
    EXPECT_EQ(model.rowCount(), 0);
    rig.run("020301410001", {300, 0}); // nobody answers at address 2
    EXPECT_EQ(model.catchUp(), 1);
    EXPECT_EQ(model.data(model.index(0, TrafficModel::Check)).toString().toStdString(),
              "Zeitüberschreitung");
    model.setProblemsOnly(false);
    EXPECT_EQ(model.rowCount(), 4);

    recorder.clear();
    model.catchUp();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(recorder.counters().timeOuts, 1u) << "clearing the list keeps the counters";
    recorder.resetCounters();
    EXPECT_EQ(recorder.counters().requests, 0u);
}

TEST(TrafficCsv, OneLinePerRowInUtcWithQuotedFields) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    LineRig rig(LineMode::Ascii);
    TrafficRecorder recorder(rig.line->link(), rig.clock);
    const auto tell = [&](LineEventKind kind, const QByteArray& frame,
                          Rejection why = Rejection::None) {
        LineEvent e;
        e.kind = kind;
        e.atMs = rig.clock.nowMs();
        e.frame = frame;
        e.ascii = true;
        e.rejection = why;
        e.exceptionCode = why == Rejection::Exception ? 2 : 0;
        recorder.lineEvent(e);
    };
    ASSERT_LT(rig.clock.nowMs(), 1250);
    rig.clock.advance(1250 - rig.clock.nowMs()); // the manual wall clock starts 2026-12-01
    tell(LineEventKind::Written, ":010301410001B9\r\n");
    rig.clock.advance(38);
    tell(LineEventKind::Received, ":0103020041B9\r\n");
    tell(LineEventKind::Taken, ":0103020041B9\r\n");
    tell(LineEventKind::Written, ":010301500001AA\r\n");
    rig.clock.advance(1000);
    tell(LineEventKind::TimedOut, {});
    tell(LineEventKind::Rejected, "a,\"b", Rejection::Noise);
    tell(LineEventKind::Rejected, ":0183027A\r\n", Rejection::Exception);
    QLocale::setDefault(QLocale::c());

    EXPECT_EQ(trafficCsv(recorder.records(), false).toStdString(),
              "time_utc,direction,frame,meaning,check,latency_ms\n"
              "2026-12-01T00:00:01.250Z,to gateway,:010301410001B9,identify,,\n"
              "2026-12-01T00:00:01.288Z,from gateway,:0103020041B9,1 register,taken,38\n"
              "2026-12-01T00:00:01.288Z,to gateway,:010301500001AA,read registers 336,,\n"
              "2026-12-01T00:00:02.288Z,,,no answer to read registers 336,time-out,1000\n"
              "2026-12-01T00:00:02.288Z,from gateway,\"a,\"\"b\",4 bytes,noise,\n"
              "2026-12-01T00:00:02.288Z,from gateway,:0183027A,exception 02 illegal data "
              "address,exception,1000\n");
    EXPECT_EQ(trafficCsv(recorder.records(), true).count('\n'), 1 + 3) << "problems only";
}
