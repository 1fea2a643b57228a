// A commissioning run against the in-process gateways on the manual clock, in both modes: every
// kind of difference the verification tells, what the apply writes (and what it leaves alone),
// and listening, which counts the simulated sensors' telegrams and finds the silent one.

#include "commission/CommissionReport.h"
#include "commission/CommissionTexts.h"
#include "commission/Commissioning.h"
#include "support/LineRig.h"

#include <gtest/gtest.h>

namespace {
// Gateway 1 as found on site; gateway 2 as planned; gateway 3 is not there.
const char* const kSite = "address,row,id,org,label,inverted\n"
                          "1,0,0021A3F1,05,verified,\n"
                          "1,4,0081B220,06,other row,\n"
                          "1,2,01834C17,07,wrong org,\n"
                          "1,3,01835D02,07,inversion,yes\n"
                          "1,5,0021C488,05,twice,\n"
                          "1,12,0021D7A0,05,missing,yes\n"
                          "1,,0081C3B5,06,missing anywhere,\n"
                          "1,9,0081AAAA,06,row taken,\n"
                          "2,0,01840000,05,gateway 2,no\n"
                          "3,0,01850000,05,gateway 3,\n";

struct SiteRig : LineRig {
    explicit SiteRig(LineMode mode)
        : LineRig(mode) {
        model->learnSensor(0, 0x05, 0x0021A3F1);
        model->learnSensor(1, 0x06, 0x0081B220);
        model->learnSensor(2, 0x06, 0x01834C17);
        model->learnSensor(3, 0x07, 0x01835D02);
        model->learnSensor(5, 0x05, 0x0021C488);
        model->learnSensor(6, 0x05, 0x0021C488);
        model->learnSensor(9, 0x05, 0x0021FFFF); // not in the file
        second = &port->addGateway(std::make_unique<GatewayModel>(2, GatewayVariant::Receiver, 5));
        second->learnSensor(0, 0x05, 0x01840000);
        run.setSite(*parseSiteFile(kSite).site);
    }
    void wait() {
        runUntil([&] { return !run.running(); });
        ASSERT_FALSE(run.running());
    }
    // Each sensor: its label and its deficiencies' codes ("verified" for none).
    std::vector<std::string> states() const {
        std::vector<std::string> out;
        for (const GatewayCheck& g : run.gateways())
            for (const auto* list : {&g.sensors, &g.extras})
                for (const SensorCheck& s : *list) {
                    std::string codes;
                    for (SensorState kind : s.deficiencies())
                        codes += (codes.empty() ? "" : "+") + stateCode(kind).toStdString();
                    out.push_back((s.extra ? s.expected.idText() : s.expected.label).toStdString() +
                                  ": " + (codes.empty() ? "verified" : codes));
                }
        return out;
    }
    GatewayModel* second = nullptr;
    Commissioning run{line->link(), clock, [](std::optional<uint16_t>) {
                          return ExchangeOptions{300, 1};
                      }};
};
} // namespace

TEST(Commissioning, VerifiesAndWritesWhatIsMissingOnly) {
    for (LineMode mode : {LineMode::Ascii, LineMode::Rtu}) {
        SCOPED_TRACE(mode == LineMode::Ascii ? "ASCII" : "RTU");
        SiteRig rig(mode);
        rig.run.verify({});
        rig.wait();
        EXPECT_EQ(rig.states(), (std::vector<std::string>{
                                    "verified: verified",
                                    "other row: other_row",
                                    "wrong org: wrong_org",
                                    "inversion: inversion_differs",
                                    "twice: learned_twice",
                                    "missing: missing",
                                    "missing anywhere: missing",
                                    "row taken: missing",
                                    "0021FFFF: extra",
                                    "gateway 2: verified",
                                    "gateway 3: unchecked",
                                }));
        std::array<uint16_t, 96> entries{}; // ORG and ID of every row, before the writes
        for (int r = 0; r < 96; ++r)
            entries[r] = rig.model->reg(10 * (r / 3) + r % 3);

        rig.run.apply(rig.run.planApply(), {});
        rig.wait();
        EXPECT_EQ(rig.states(), (std::vector<std::string>{
                                    "verified: verified",
                                    "other row: other_row",
                                    "wrong org: wrong_org",
                                    "inversion: verified",
                                    "twice: learned_twice",
                                    "missing: verified",
                                    "missing anywhere: verified",
                                    "row taken: row_taken",
                                    "0021FFFF: extra",
                                    "gateway 2: verified",
                                    "gateway 3: unchecked",
                                }));
        // written: row 12 (and its flag), the first free row 7 and row 3's flag; nothing else
        for (int r = 0; r < 96; ++r) {
            if (r / 3 != 12 && r / 3 != 7) {
                EXPECT_EQ(rig.model->reg(10 * (r / 3) + r % 3), entries[r]) << "row " << r / 3;
            }
        }
        EXPECT_EQ(rig.model->reg(120), 0x05);
        EXPECT_EQ(rig.model->reg(122), 0xD7A0);
        EXPECT_EQ(rig.model->reg(71), 0x0081);
        EXPECT_TRUE(rig.model->coil(32 + 12));
        EXPECT_TRUE(rig.model->coil(32 + 3));
        const CommissionReport report = makeReport({}, rig.run);
        EXPECT_EQ(summaryText(report, true), "5 of 10 sensors verified, 6 deficiencies");
        EXPECT_EQ(summaryText(report, false), "5 von 10 Sensoren bestätigt, 6 Mängel");
    }
}

TEST(Commissioning, ListeningCountsTelegramsAndFindsTheSilentSensor) {
    SiteRig rig(LineMode::Rtu);
    rig.model->silenceSensor(0); // "verified": learned, but its battery is flat
    rig.run.verify({});
    rig.wait();
    int reads = 0;
    const int64_t startMs = rig.clock.wallMs();
    rig.run.listen(30000, {{}, [&](int) { ++reads; }, {}});
    rig.wait();
    EXPECT_GE(rig.run.listenedMs(), 30000);
    EXPECT_LT(rig.run.listenedMs(), 30500);
    EXPECT_GT(reads, 100); // answer-paced
    const GatewayCheck& g = rig.run.gateways()[0];
    EXPECT_EQ(g.sensors[0].deficiencies(), std::vector<SensorState>{SensorState::Silent});
    EXPECT_EQ(g.sensors[0].listen.telegrams, 0);
    for (int i : {1, 2, 3, 4}) { // the simulated sensors send every 2 to 8 s
        const SensorCheck& s = g.sensors[i];
        const std::array<uint16_t, 4> regs{
            rig.model->reg(10 * s.row + 6), rig.model->reg(10 * s.row + 5),
            rig.model->reg(10 * s.row + 4), rig.model->reg(10 * s.row + 3)};
        EXPECT_GE(s.listen.telegrams, 2) << i;
        EXPECT_GT(s.listen.firstMs, startMs) << i;
        EXPECT_GE(s.listen.lastMs, s.listen.firstMs) << i;
        for (int k = 0; k < 4 && rig.model->reg(10 * s.row + 7) == s.listen.timeValue; ++k)
            EXPECT_EQ(s.listen.data[k], regs[k] & 0xFF) << i;
    }
    EXPECT_FALSE(g.sensors[5].listen.watched); // missing: nothing to watch
    EXPECT_GE(g.extras[0].listen.telegrams, 1);
    EXPECT_GE(rig.run.gateways()[1].sensors[0].listen.telegrams, 1);
    EXPECT_FALSE(rig.run.gateways()[2].sensors[0].listen.watched);
}
