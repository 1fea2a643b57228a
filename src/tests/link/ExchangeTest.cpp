// The exchange API against the in-process gateway on the manual clock: answers, exceptions,
// time-outs with retries, answer-paced sequences, and the line tap's account of each, in both
// modes.

#include "link/Hex.h"
#include "support/LineRig.h"

#include <gtest/gtest.h>

namespace {
class Exchange : public ::testing::TestWithParam<LineMode> {};
} // namespace

TEST_P(Exchange, OutcomesOfSingleRequests) {
    struct Case {
        const char* request;
        FaultPlan faults;
        ExchangeOptions options;
        ExchangeOutcome outcome;
        const char* answer; // hex, or exception code
        int attempts;
    };
    FaultPlan silent;
    silent.silent = true;
    FaultPlan exceptions;
    exceptions.exceptionEvery = 1;
    const Case cases[] = {
        {"010301410001", {}, {500, 2}, ExchangeOutcome::Answered, "0103020041", 1},
        {"01030014000A", {}, {500, 0}, ExchangeOutcome::Answered, nullptr, 1},
        {"010301500001", {}, {500, 2}, ExchangeOutcome::Exception, "02", 1}, // no register
        {"010300000000", {}, {500, 2}, ExchangeOutcome::Exception, "03", 1}, // no quantity
        {"010301410001", exceptions, {500, 2}, ExchangeOutcome::Exception, "04", 3},
        {"010301410001", silent, {300, 2}, ExchangeOutcome::TimedOut, nullptr, 3},
        {"020301410001", {}, {300, 0}, ExchangeOutcome::TimedOut, nullptr, 1}, // nobody at 2
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request);
        LineRig rig(GetParam(), c.faults);
        const int64_t started = rig.clock.nowMs();
        const ExchangeResult r = rig.run(c.request, c.options);
        EXPECT_EQ(r.outcome, c.outcome) << describeOutcome(r).toStdString();
        EXPECT_EQ(r.attempts, c.attempts);
        EXPECT_EQ(rig.tap.count(LineEventKind::Written), c.attempts);
        if (c.outcome == ExchangeOutcome::Answered) {
            if (c.answer) {
                EXPECT_EQ(r.answer.toHex().toUpper(), QByteArray(c.answer));
            }
            EXPECT_EQ(r.answer.size(), 3 + uint8_t(r.answer[2])) << "address to data, no check";
            EXPECT_EQ(rig.tap.count(LineEventKind::Taken), 1);
        }
        if (c.outcome == ExchangeOutcome::Exception) {
            EXPECT_EQ(r.exceptionCode, QByteArray::fromHex(c.answer)[0]);
            EXPECT_LT(rig.clock.nowMs() - started, c.options.timeoutMs) << "not left to time out";
        }
        if (c.outcome == ExchangeOutcome::TimedOut) {
            EXPECT_EQ(rig.tap.count(LineEventKind::TimedOut), c.attempts);
            // each retry waits for one quiet time-out after the last
            const int64_t took = rig.clock.nowMs() - started;
            EXPECT_GE(took, (2 * c.attempts - 1) * c.options.timeoutMs);
            EXPECT_LE(took, (2 * c.attempts - 1) * c.options.timeoutMs + 50 * c.attempts + 100);
        }
    }
}

// A dropped answer is retried and the retry's answer taken; a corrupted one is rejected by its
// check, never taken; an exception 04 (slave device failure) may pass and is retried too.
TEST_P(Exchange, RetriesAfterLostAndDamagedAnswers) {
    for (const char* fault : {"drop=2", "corrupt=2", "exception=2"}) {
        SCOPED_TRACE(fault);
        FaultPlan plan;
        ASSERT_TRUE(plan.add(fault));
        LineRig rig(GetParam(), plan);
        EXPECT_EQ(rig.run("01030014000A", {400, 1}).attempts, 1);
        const ExchangeResult r = rig.run("01030014000A", {400, 1}); // its answer is the 2nd
        EXPECT_TRUE(r.ok()) << describeOutcome(r).toStdString();
        EXPECT_EQ(r.attempts, 2);
        EXPECT_EQ(uint8_t(r.answer[4]), 0x07) << "ORG of row 2";
        const bool corrupt = QString(fault).startsWith("corrupt");
        EXPECT_EQ(
            std::count_if(rig.tap.events.begin(), rig.tap.events.end(),
                          [](const LineEvent& e) { return e.rejection == Rejection::CheckFailed; }),
            corrupt ? 1 : 0);
    }
}

// Answer-paced: the next request goes out as soon as the answer is in, so a sequence takes the
// line times and response times and hardly more.
TEST_P(Exchange, ASequenceIsPacedByItsAnswers) {
    LineRig rig(GetParam());
    const int blocks = 32;
    int done = 0;
    std::function<void()> next = [&] {
        const int reg = 10 * done;
        const QByteArray rq = QByteArray::fromHex("0103") + char(reg >> 8) + char(reg & 0xFF) +
                              QByteArray::fromHex("000A");
        rig.line->link().exchange(rq, {500, 0}, [&](const ExchangeResult& r) {
            EXPECT_TRUE(r.ok());
            if (++done < blocks)
                next();
        });
    };
    next();
    while (done < blocks && rig.clock.nowMs() < 60000)
        rig.clock.advance(1);
    ASSERT_EQ(done, blocks);
    // 9600 baud, 11 bits a character: RTU 8 + 25 bytes, ASCII 17 + 47 characters; 20 ms response
    const double charMs = 11.0 / 9.6;
    const double chars = GetParam() == LineMode::Rtu ? 8 + 25 : 17 + 47;
    const double lineMs = blocks * (chars * charMs + rig.model->responseTimeMs());
    EXPECT_LE(rig.clock.nowMs(), 1.05 * lineMs + blocks * 2) << "ms rounding, per exchange";
}

// After a lost answer a stray byte every 100 ms (a second master, a bad bias): the held retry goes
// out two time-outs after it was held at the latest; an exchange ends in (retries + 1) x 3.
TEST_P(Exchange, AStrayByteEvery100MsStallsNoExchange) {
    LineRig rig(GetParam(), FaultPlan{.dropEvery = 1, .strayEveryMs = 100});
    std::optional<ExchangeResult> r;
    rig.line->link().exchange(QByteArray::fromHex("01030014000A"), {300, 2},
                              [&](const ExchangeResult& x) { r = x; });
    rig.runUntil([&] { return rig.tap.count(LineEventKind::Written) > 0; });
    rig.port->faults().dropEvery = 0; // only the first answer is lost
    rig.runUntil([&] { return r.has_value(); });
    EXPECT_TRUE(r && r->ok() && r->strayBytes > 0);
    EXPECT_LE(rig.clock.nowMs(), 3 * 3 * 300);
}

// A request cancelled by closing the port is still answered; the answer waits in the line (a
// pseudo-terminal the gateway holds open) and must not be taken for the first request after
// the next open.
TEST_P(Exchange, AnAnswerThatArrivesAfterACloseAndAReopenIsDrained) {
    LineRig rig(GetParam());
    rig.port->setKeepsLineWhileClosed(true);
    rig.line->link().exchange(QByteArray::fromHex("010301410001"), {500, 0}, {});
    rig.clock.advance(5);
    rig.line->close();
    rig.clock.advance(200);
    rig.line->open();
    const ExchangeResult r = rig.run("010301400001");
    EXPECT_EQ(r.answer.toHex().toUpper(), "0103020014") << "the response time, not the module type";
    EXPECT_EQ(rig.tap.count(LineEventKind::Drained), 1);
}

// While a client holds the line the window's requests send nothing; once released they do.
TEST_P(Exchange, TheWindowSendsNothingWhileTheLineIsHeld) {
    LineRig rig(GetParam());
    ProgramSettings& s = rig.line->settings();
    s.RequestKind = RequestKinds::IdentifyDevice;
    s.RequestText = "010301410001";
    rig.line->link().send();
    EXPECT_EQ(rig.tap.count(LineEventKind::Written), 0);
    rig.line->link().releaseLine();
    rig.line->link().send(); // the window's field is empty here: RTU refuses, ASCII frames
    EXPECT_EQ(rig.tap.count(LineEventKind::Written), GetParam() == LineMode::Ascii ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Modes, Exchange, ::testing::Values(LineMode::Ascii, LineMode::Rtu));
