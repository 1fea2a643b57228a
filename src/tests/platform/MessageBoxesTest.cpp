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
