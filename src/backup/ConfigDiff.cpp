#include "backup/ConfigDiff.h"

#include "link/Hex.h"

#include <algorithm>

namespace {
QString orgText(uint8_t org) {
    return LongToHexStr(org, 1);
}
QString idText(uint32_t id) {
    return LongToHexStr(int32_t(id), 4);
}
void compare(RowDifference& d, ConfigField field, const QString& gateway, const QString& file) {
    if (gateway != file)
        d.changes.push_back(FieldChange{field, gateway, file});
}

void compareSensor(ConfigDifferences& out, int row, const SensorEntry& f, const SensorSlot& g) {
    RowDifference d{ConfigPart::Sensor, row, f.label, {}};
    // an empty slot is written as ORG 00, ID 00000000
    if (!(f.empty() && !g.learned())) {
        compare(d, ConfigField::Org, orgText(g.org), orgText(f.org));
        compare(d, ConfigField::Id, idText(g.id), idText(f.empty() ? 0 : f.id));
    }
    compare(d, ConfigField::Inversion, g.inverted ? "1" : "0", f.inverted ? "1" : "0");
    if (!d.changes.empty())
        out.rows.push_back(d);
}

void compareSender(ConfigDifferences& out, int row, const SenderEntry& f, const SenderSlot& g) {
    RowDifference d{ConfigPart::Sender, row, {}, {}};
    compare(d, ConfigField::Org, orgText(g.org), orgText(f.org));
    // each byte by the sender row's name for it: the row shows "Data-Byte 3" first, the file
    // and qrx-cli read list "Data-Byte 0" first
    for (int i = 0; i < 4; ++i)
        if (g.data[i] != f.data[i])
            d.changes.push_back({ConfigField::DataBytes, QString::number(g.data[i]),
                                 QString::number(f.data[i]), i});
    compare(d, ConfigField::Status, QString::number(g.status), QString::number(f.status));
    if (d.changes.empty())
        return;
    d.writable = f.org != 0;
    d.ticked = d.writable;
    out.rows.push_back(d);
}

QString say(bool english, const char* german, const char* englishText) {
    return QString::fromUtf8(english ? englishText : german);
}
} // namespace

bool RowDifference::has(ConfigField field) const {
    for (const FieldChange& c : changes)
        if (c.field == field)
            return true;
    return false;
}

ConfigDifferences compareConfig(const GatewayConfig& file, const GatewayImage& gateway) {
    ConfigDifferences out;
    for (int row = 0; row < kGatewaySensorSlots; ++row)
        compareSensor(out, row, file.sensors[row], gateway.sensors[row]);
    if (!file.senders.empty() && !gateway.transceiver())
        out.notes.push_back(DiffNote::SendersSkipped);
    else if (file.senders.empty() && gateway.transceiver())
        out.notes.push_back(DiffNote::SendersUntouched);
    else
        for (size_t row = 0; row < file.senders.size() && row < gateway.senders.size(); ++row)
            compareSender(out, int(row), file.senders[row], gateway.senders[row]);
    const uint16_t written = std::max(file.responseTimeMs, kLeastResponseTimeMs);
    if (written != gateway.responseTimeMs) {
        RowDifference d{ConfigPart::ResponseTime, 0, {}, {}};
        compare(d, ConfigField::ResponseTime, QString::number(gateway.responseTimeMs),
                QString::number(written));
        if (written != file.responseTimeMs)
            d.raisedFromMs = file.responseTimeMs;
        out.rows.push_back(d);
    }
    return out;
}

int ConfigDifferences::writableRows() const {
    return int(
        std::count_if(rows.begin(), rows.end(), [](const RowDifference& d) { return d.writable; }));
}

QString rowName(ConfigPart part, int row, bool english) {
    switch (part) {
    case ConfigPart::Sensor:
        return QString("Sensor %1").arg(row);
    case ConfigPart::Sender:
        return QString("Sender %1").arg(row);
    case ConfigPart::ResponseTime:
        break;
    }
    return say(english, "Antwortzeit", "Response time");
}

QString changesText(const RowDifference& d, bool english) {
    QStringList parts;
    for (const FieldChange& c : d.changes) {
        QString name, from = c.onGateway, to = c.inFile;
        switch (c.field) {
        case ConfigField::Org:
            name = "ORG";
            break;
        case ConfigField::Id:
            name = "ID";
            break;
        case ConfigField::Inversion:
            name = say(english, "Datenbyte 1 invertiert", "data byte 1 inverted");
            from = from == "1" ? say(english, "ja", "yes") : say(english, "nein", "no");
            to = to == "1" ? say(english, "ja", "yes") : say(english, "nein", "no");
            break;
        case ConfigField::DataBytes:
            name = QString("Data-Byte %1:").arg(c.dataByte);
            break;
        case ConfigField::Status:
            name = say(english, "Status", "status");
            break;
        case ConfigField::ResponseTime:
            from += " ms";
            to += " ms";
            if (d.raisedFromMs)
                to += QString(say(english,
                                  " (die %1 ms der Datei angehoben: Das Gateway nimmt nicht "
                                  "weniger als %2 ms)",
                                  " (raised from the file's %1 ms: the gateway takes no less "
                                  "than %2 ms)"))
                          .arg(*d.raisedFromMs)
                          .arg(kLeastResponseTimeMs);
            break;
        }
        parts << (name.isEmpty() ? "" : name + " ") + from + " → " + to;
    }
    return parts.join(", ");
}

QString noteText(DiffNote note, bool english) {
    if (note == DiffNote::SendersSkipped)
        return say(english,
                   "Die Senderzeilen der Datei werden übersprungen: Das Gateway ist ein "
                   "Empfänger (QRX40).",
                   "The file's sender rows are skipped: the gateway is a receiver (QRX40).");
    return say(english,
               "Die Datei stammt von einem Empfänger: Die Senderzeilen des Gateways bleiben, "
               "wie sie sind.",
               "The file was saved from a receiver: the gateway's sender rows stay as they are.");
}

QString unwritableText(bool english) {
    return say(english, "ORG 00 kann nicht geschrieben werden", "ORG 00 cannot be written");
}

QStringList differenceLines(const ConfigDifferences& differences, bool english) {
    QStringList lines;
    for (const RowDifference& d : differences.rows) {
        QString head = rowName(d.part, d.row, english);
        if (!d.label.isEmpty())
            head += " (" + d.label + ")";
        QString line = head + ": " + changesText(d, english);
        if (!d.writable)
            line += " – " + unwritableText(english);
        lines << line;
    }
    if (differences.none())
        lines << say(english, "Keine Unterschiede.", "No differences.");
    for (DiffNote note : differences.notes)
        lines << noteText(note, english);
    return lines;
}
