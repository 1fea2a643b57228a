#include "learn/SensorIdEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <gtest/gtest.h>

namespace {
void type(QWidget& w, const QString& keys) {
    for (QChar c : keys) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&w, &press);
    }
}
void key(QWidget& w, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier,
         const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, k, m, text);
    QApplication::sendEvent(&w, &press);
}

struct SensorIdEditTest : ::testing::Test {
    SensorIdEdit edit;
    QStringList refusals;
    void SetUp() override {
        edit.setRefusalHandler([this](const QString& t) { refusals << t; });
    }
};
} // namespace

TEST_F(SensorIdEditTest, TypedLowerCaseBecomesUpperCase) {
    type(edit, "a1b2c3d4");
    EXPECT_EQ(edit.text(), "A1B2C3D4");
}

TEST_F(SensorIdEditTest, TypedNonHexIsDroppedSilently) {
    type(edit, "1g 2Z-x+F");
    EXPECT_EQ(edit.text(), "12F");
    EXPECT_TRUE(refusals.isEmpty());
}

TEST_F(SensorIdEditTest, AtMostEightDigits) {
    type(edit, "0123456789");
    EXPECT_EQ(edit.text(), "01234567");
}

TEST_F(SensorIdEditTest, BackspaceStillEdits) {
    type(edit, "ABC");
    key(edit, Qt::Key_Backspace, Qt::NoModifier, "\b");
    EXPECT_EQ(edit.text(), "AB");
}

TEST_F(SensorIdEditTest, PastedHexIsUpperCased) {
    type(edit, "12");
    QApplication::clipboard()->setText("ab3f");
    edit.paste();
    EXPECT_EQ(edit.text(), "12AB3F");
    EXPECT_TRUE(refusals.isEmpty());
}

TEST_F(SensorIdEditTest, PastedTextWithOtherCharactersIsRefusedWhole) {
    type(edit, "12");
    for (QString pasted : {"ab 3f", "0x12", "12345g", "Ä1"}) {
        QApplication::clipboard()->setText(pasted);
        edit.paste();
        EXPECT_EQ(edit.text(), "12") << pasted.toStdString();
    }
    EXPECT_EQ(refusals.size(), 4);
    EXPECT_EQ(refusals.value(0), "Only hexadecimal digits 0-9, A-F are allowed");
}

TEST_F(SensorIdEditTest, PasteShortcutGoesThroughTheSameCheck) {
    QApplication::clipboard()->setText("zz");
    key(edit, Qt::Key_V, Qt::ControlModifier, QString(QChar(0x16)));
    EXPECT_TRUE(edit.text().isEmpty());
    EXPECT_EQ(refusals.size(), 1);
}
