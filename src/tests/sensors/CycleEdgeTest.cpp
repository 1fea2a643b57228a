#include "Session.h"
#include "sensors/TableReadCycle.h"

#include <QLineEdit>
#include <gtest/gtest.h>

namespace {
const QString kSlot = "010314"
                      "0005"
                      "0012"
                      "3456"
                      "0011"
                      "0022"
                      "0033"
                      "0044"
                      "1234"
                      "0000"
                      "0000"
                      "XX";

TEST(TableReadEdges, AShortAnswerLeavesTheRowAndTheWalkAsTheyWere) {
    Session s;
    s.table.decodeRow(2, Answer(kSlot), true);
    s.settings.RegisterCounter = 20;
    const Answer cut(kSlot.left(30)); // ends inside the data bytes
    EXPECT_THROW(s.table.cycle()->tableAnswer(cut), ReceiveFault);
    EXPECT_EQ(s.table.orgCaption(2), "05");
    EXPECT_EQ(s.table.dataField(2, 3)->text(), "17");
    EXPECT_EQ(s.table.timeField(2)->text(), "4660");
    EXPECT_EQ(s.settings.RegisterCounter, 20);
    EXPECT_EQ(s.connectedChecks, 0);
}

TEST(TableReadEdges, AReceiverWalkLeftAmongTheSenderSlotsEndsThePass) {
    Session s; // device type empty: the receiver
    s.settings.RegisterCounter = 400;
    s.settings.SingleRead = true;
    s.settings.RequestKind = RequestKinds::ReadSensorTable;
    s.table.cycle()->tableAnswer(Answer(kSlot));
    EXPECT_EQ(s.settings.RegisterCounter, 0);
    EXPECT_EQ(s.settings.RequestKind, RequestKinds::None);
    EXPECT_TRUE(s.senders.decoded.empty());
}

TEST(TableReadEdges, AShortCoilAnswerShadesNoRowAndStartsNoPass) {
    Session s;
    s.settings.RequestKind = RequestKinds::ReadAllInversionFlags;
    EXPECT_THROW(s.table.cycle()->coilAnswer(Answer("010104FF")), ReceiveFault);
    EXPECT_EQ(s.table.dataField(0, 1)->palette().color(QPalette::Base), QColor(0xFF, 0xFF, 0xFF));
    EXPECT_FALSE(s.settings.SingleRead);
    EXPECT_FALSE(s.t1->isEnabled());
    EXPECT_EQ(s.main.shown, 0);
}

TEST(TableReadEdges, CheckingDuringASinglePassMakesItContinuous) {
    Session s;
    s.t3->setInterval(400);
    s.t3->setEnabled(true);
    s.clock.advance(510); // coil answer: single pass starts
    ASSERT_TRUE(s.settings.SingleRead);
    s.table.setReadChecked(true);
    s.clock.advance(33 * 250 + 10);
    EXPECT_EQ(s.settings.RequestKind, RequestKinds::ReadSensorTable);
    EXPECT_TRUE(s.t1->isEnabled()); // the pass ended, the read goes on
}
} // namespace
