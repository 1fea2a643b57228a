#include "core/StoredSettings.h"
#include "ports/PortSelector.h"

#include <gtest/gtest.h>

namespace {
const QString kKey = "SOFTWARE\\Korvalund\\QRX-QTX-RS485-MODBUS\\";

struct Row {
    const char* file;
    const char* name;
    const char* expected;
};

TEST(StoredSettings, ReadsStringValuesFromExportText) {
    const Row rows[] = {
        {"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalund\\QRX-QTX-RS485-MODBUS]\n\"Path\"=\"C:"
         "\\\\a\\\"b\"\n",
         "Path", "C:\\a\"b"},
        {"[hkey_local_machine\\software\\korvalund\\qrx-qtx-rs485-modbus]\n\"PATH\"=\"x\"\n",
         "path", "x"},
        {"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalund\\QRX-QTX-RS485-MODBUS]\n\"N\"=dword:00000001\n",
         "N", ""},
        {"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalund\\QRX-QTX-RS485-MODBUS]\n\"H\"=hex(1):41,00,\\\n "
         " "
         "42,00,00,00,43,00\n",
         "H", "AB"},
        {"garbage\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalund\\QRX-QTX-RS485-MODBUS]\n\"bad\n; c\n"
         "\"V\"=\"ok\"\n",
         "V", "ok"},
        {"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n\"V\"=\"no\"\n", "V", ""},
        {"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalund\\QRX-QTX-RS485-MODBUS]\n@=\"def\"\n", "", "def"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(ReadStoredSettingFrom(QByteArray(r.file), kKey, r.name), QString(r.expected))
            << r.file;
}

TEST(StoredSettings, ReadsUtf16FileWithByteOrderMark) {
    const QString text =
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalund\\QRX-QTX-RS485-MODBUS]\r\n\"V\"=\"w\"\r\n";
    QByteArray bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    EXPECT_EQ(ReadStoredSettingFrom(bytes, kKey, "V"), "w");
}

TEST(PortSelector, ResolvesComThroughPortsKey) {
    PortSelector sel({}, [](const QString& key, const QString& name) {
        return key.endsWith("\\Ports") && name == "COM3" ? QString("/dev/ttyUSB0") : QString();
    });
    EXPECT_EQ(sel.resolve(3).target, "/dev/ttyUSB0");
    EXPECT_EQ(sel.resolve(4).target, "/dev/ttyS3");
}
} // namespace
