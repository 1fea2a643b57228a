#include "platform/MessageBoxes.h"

#include <QMessageBox>
#include <QWidget>
#include <gtest/gtest.h>

TEST(QtMessageBoxes, TheSameTextIsNotShownAgainWhileItsBoxIsOpen) {
    QWidget owner;
    QtMessageBoxes boxes(&owner);
    boxes.show("No Modbus address choosen");
    boxes.show("No Modbus address choosen"); // a repeating timer must not pile up boxes
    boxes.show("Port is not open");
    auto open = owner.findChildren<QMessageBox*>();
    ASSERT_EQ(open.size(), 2);
    EXPECT_EQ(open[0]->text(), "No Modbus address choosen");
    EXPECT_EQ(open[0]->standardButtons(), QMessageBox::Ok);
    delete open[0]; // the user closed it
    boxes.show("No Modbus address choosen");
    EXPECT_EQ(owner.findChildren<QMessageBox*>().size(), 2);
}

TEST(QtMessageBoxes, TheDetailIsTheInformativeTextBelowTheMessage) {
    QWidget owner;
    QtMessageBoxes boxes(&owner);
    boxes.show("COM-Port not available, 1", "/dev/ttyUSB0: No such file or directory");
    boxes.show("COM-Port not available, 1", "/dev/ttyUSB1: No such file or directory");
    auto open = owner.findChildren<QMessageBox*>();
    ASSERT_EQ(open.size(), 2); // another device is another message
    EXPECT_EQ(open[0]->text(), "COM-Port not available, 1");
    EXPECT_EQ(open[0]->informativeText(), "/dev/ttyUSB0: No such file or directory");
}
