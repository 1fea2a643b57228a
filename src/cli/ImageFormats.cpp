#include "cli/ImageFormats.h"

#include <QStringList>

namespace {
const char* kSensorHeader = "row ORG ID       byte0 byte1 byte2 byte3  time inverted\n";
const char* kSenderHeader = "row ORG ID       byte0 byte1 byte2 byte3 status\n";

QString byteColumns(const std::array<uint8_t, 4>& data) {
    QString out;
    for (uint8_t b : data)
        out += QString(" %1").arg(b, 5);
    return out;
}

QString csvBytes(const std::array<uint8_t, 4>& data) {
    return QString("%1,%2,%3,%4").arg(data[0]).arg(data[1]).arg(data[2]).arg(data[3]);
}

const char* boolText(bool b) {
    return b ? "true" : "false";
}
} // namespace

QString identificationText(const GatewayImage& g) {
    return QString("device %1\nmodule_type 0x%2\nresponse_time %3\n")
        .arg(g.deviceText())
        .arg(g.moduleType, 4, 16, QChar('0'))
        .arg(g.responseTimeMs);
}

QString sensorLine(int row, const SensorSlot& s) {
    return QString("%1 %2  %3%4 %5")
        .arg(row, 3)
        .arg(s.orgText(), s.idText(), byteColumns(s.data))
        .arg(s.time, 5);
}

QString imageText(const GatewayImage& g) {
    QString out = identificationText(g) + "\nsensors\n" + kSensorHeader;
    for (int row = 0; row < kGatewaySensorSlots; ++row)
        out += sensorLine(row, g.sensors[row]) + (g.sensors[row].inverted ? " yes\n" : " no\n");
    if (g.senders.empty())
        return out;
    out += QString("\nsenders\n") + kSenderHeader;
    for (int row = 0; row < int(g.senders.size()); ++row) {
        const SenderSlot& s = g.senders[row];
        out += QString("%1 %2 %3%4 %5\n")
                   .arg(row, 3)
                   .arg(s.org, 3)
                   .arg(s.idText(), byteColumns(s.data))
                   .arg(s.status, 6);
    }
    return out;
}

QString jsonBytes(const std::array<uint8_t, 4>& data) {
    return "[" + csvBytes(data) + "]";
}

// Built in the order the documentation shows (QJsonDocument would sort the keys).
QString imageJson(const GatewayImage& g) {
    QStringList sensors, senders;
    for (int row = 0; row < kGatewaySensorSlots; ++row) {
        const SensorSlot& s = g.sensors[row];
        sensors << QString(R"({"row":%1,"org":"%2","id":"%3","data":%4,"time":%5,"inverted":%6})")
                       .arg(row)
                       .arg(s.orgText(), s.idText(), jsonBytes(s.data))
                       .arg(s.time)
                       .arg(boolText(s.inverted));
    }
    for (int row = 0; row < int(g.senders.size()); ++row) {
        const SenderSlot& s = g.senders[row];
        senders << QString(R"({"row":%1,"org":%2,"id":"%3","data":%4,"status":%5})")
                       .arg(row)
                       .arg(s.org)
                       .arg(s.idText(), jsonBytes(s.data))
                       .arg(s.status);
    }
    return QString(R"({"device":"%1","response_time":%2,"sensors":[%3],"senders":[%4]})")
               .arg(g.deviceText())
               .arg(g.responseTimeMs)
               .arg(sensors.join(','), senders.join(',')) +
           '\n';
}

QString imageCsv(const GatewayImage& g) {
    QString out = "slot,row,org,id,data0,data1,data2,data3,time,inverted,status\n";
    for (int row = 0; row < kGatewaySensorSlots; ++row) {
        const SensorSlot& s = g.sensors[row];
        out += QString("sensor,%1,%2,%3,%4,%5,%6,\n")
                   .arg(row)
                   .arg(s.orgText(), s.idText(), csvBytes(s.data))
                   .arg(s.time)
                   .arg(boolText(s.inverted));
    }
    for (int row = 0; row < int(g.senders.size()); ++row) {
        const SenderSlot& s = g.senders[row];
        out += QString("sender,%1,%2,%3,%4,,,%5\n")
                   .arg(row)
                   .arg(s.org)
                   .arg(s.idText(), csvBytes(s.data))
                   .arg(s.status);
    }
    return out;
}
