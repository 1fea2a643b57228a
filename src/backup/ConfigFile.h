#pragma once
// The gateway configuration file (.qrxcfg): what a technician keeps of a gateway to restore it,
// or to clone its sensors onto another: device type, response time, the 32 sensor slots (ORG, ID,
// inversion of data byte 1, an optional label of the technician's) and the 8 sender slots of a
// transceiver. JSON, read strictly: a file that is not exactly this format is refused with a
// message that names the field. Fields this version does not know are kept and written back.

#include "backup/ConfigRefusal.h"
#include "gateway/GatewayImage.h"

#include <QJsonObject>
#include <QString>
#include <array>
#include <optional>
#include <vector>

inline constexpr int kConfigFormatVersion = 1;
inline constexpr char kConfigFormatName[] = "qrx-gateway-configuration";
inline constexpr char kConfigFileSuffix[] = "qrxcfg";

struct SensorEntry {
    uint8_t org = 0; // 0: the slot is empty
    uint32_t id = 0;
    bool inverted = false; // the gateway inverts data byte 1
    QString label;         // the technician's own words ("cold room 2"); never on the gateway
    QJsonObject kept;      // fields unknown to this version
    bool empty() const { return org == 0; }
};

struct SenderEntry {
    uint8_t org = 0; // 5, 6 or 7; 0 for a slot that was never written
    // the four data bytes as the sender row shows them from left to right (txt_snd_data_1..4)
    std::array<uint8_t, 4> data{};
    uint8_t status = 0;
    QJsonObject kept;
};

struct GatewayConfig {
    QString device; // "QRX40" or "QTX40"
    uint16_t responseTimeMs = 0;
    std::array<SensorEntry, kGatewaySensorSlots> sensors{};
    std::vector<SenderEntry> senders; // 8, or none in a receiver's file
    int64_t savedAtMs = 0;            // wall clock; 0 when the file does not say
    QString toolVersion;
    QJsonObject kept;
};

// What the gateway holds, as a file saved at savedAtMs.
GatewayConfig configFromImage(const GatewayImage& image, int64_t savedAtMs);
// Saving over an earlier file keeps what the gateway cannot know: the fields unknown to this
// version (at the top and per slot) and the labels of rows that still hold the same sensor.
void keepFromEarlier(GatewayConfig& fresh, const GatewayConfig& earlier);

struct ConfigLoad {
    std::optional<GatewayConfig> config;
    std::optional<ConfigRefusal> refusal; // set exactly when config is not
};
ConfigLoad parseConfig(const QByteArray& bytes);
ConfigLoad readConfigFile(const QString& path);

QByteArray configJson(const GatewayConfig& config);
// Written whole or not at all; nullopt when written, else the reason.
std::optional<QString> writeConfigFile(const QString& path, const GatewayConfig& config);

// The version of this tool, as the file records it.
QString toolVersion();
