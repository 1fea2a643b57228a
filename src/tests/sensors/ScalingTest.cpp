#include "sensors/Scaling.h"
#include "link/Answer.h"
#include "sensors/ScaleFrame.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {
struct ScaleCase {
    const char* lower;
    const char* upper;
    uint8_t raw;
    const char* shown;
};

class ScalingExamples : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(ScalingExamples, RawByteMapsLinearlyOntoTheRange) {
    const ScaleCase& c = GetParam();
    const QLocale point = QLocale::c();
    const auto value = scaledValue(c.raw, c.lower, c.upper, point);
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(generalNumberText(*value, point), c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, ScalingExamples,
    ::testing::Values(ScaleCase{"0", "100", 0, "0"}, ScaleCase{"0", "100", 255, "100"},
                      ScaleCase{"0", "100", 128, "50.1960784313725"},
                      ScaleCase{"-40", "60", 51, "-20"}, ScaleCase{"100", "0", 255, "0"},
                      ScaleCase{"0", "255", 0x11, "17"}, ScaleCase{"0", "99999", 255, "99999"},
                      ScaleCase{"-99", "0", 0, "-99"}));

TEST(Scaling, ARangeThatIsNotANumberGivesNoValue) {
    EXPECT_FALSE(scaledValue(10, "", "100", QLocale::c()).has_value());
    EXPECT_FALSE(scaledValue(10, "0", "-", QLocale::c()).has_value());
}

TEST(Scaling, GeneralTextUsesTheLocaleSeparatorAndNoGrouping) {
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(generalNumberText(50.1960784313725, german), "50,1960784313725");
    EXPECT_EQ(generalNumberText(12345, german), "12345");
}

struct ScaleFrameFixture : ::testing::Test {
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
    ScaleFrame frame;
};

TEST_F(ScaleFrameFixture, DesignerRangesShowTheRawByte) {
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(frame.scaled(k, 0x11), "17");
}

TEST_F(ScaleFrameFixture, ByteKUsesTheFieldsOfIndexThreeMinusK) {
    EXPECT_EQ(frame.scaled(0, 255), "255");
    frame.maxField(3)->setText("100"); // the column of data byte 0
    EXPECT_EQ(frame.scaled(0, 255), "100");
    EXPECT_EQ(frame.scaled(0, 128), "50.1960784313725");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(frame.scaled(0, 128), "50,1960784313725");
    QLocale::setDefault(QLocale::c());
    for (int k = 1; k < 4; ++k)
        EXPECT_EQ(frame.scaled(k, 255), "255");
    frame.minField(0)->setText("-40"); // the column of data byte 3
    frame.maxField(0)->setText("60");
    EXPECT_EQ(frame.scaled(3, 51), "-20");
    EXPECT_EQ(frame.scaled(2, 51), "51");
}

TEST_F(ScaleFrameFixture, AFieldThatIsNotANumberThrowsReceiveFault) {
    frame.minField(2)->setText("-");
    EXPECT_THROW(frame.scaled(1, 10), ReceiveFault);
    EXPECT_NO_THROW(frame.scaled(0, 10));
    EXPECT_THROW(frame.scaled(4, 10), ReceiveFault);
}

TEST_F(ScaleFrameFixture, KeysOtherThanDigitsAndMinusAreDropped) {
    QLineEdit* box = frame.minField(1);
    box->clear();
    QTest::keyClicks(box, "1.5");
    EXPECT_EQ(box->text(), "15");
    box->clear();
    QTest::keyClicks(box, "-4a,0");
    EXPECT_EQ(box->text(), "-40");
    box->clear();
    QTest::keyClicks(box, "1234567");
    EXPECT_EQ(box->text(), "12345"); // a sixth character cannot be entered
}

TEST_F(ScaleFrameFixture, ControlsCarryTheirNamesAndEnglishCaptions) {
    EXPECT_EQ(frame.objectName(), "frm_scale");
    EXPECT_EQ(frame.minField(3)->objectName(), "txt_min_3");
    EXPECT_EQ(frame.maxField(0)->text(), "255");
    frame.applyEnglish();
    EXPECT_EQ(frame.title(), "Scale Data-Bytes");
    auto* caption = frame.findChild<QLabel*>("lbl_scale_8");
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->text(), "Byte 0");
    EXPECT_EQ(frame.findChild<QLabel*>("lbl_scale_1")->text(), "Measuring range:");
}
} // namespace
