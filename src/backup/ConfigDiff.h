#pragma once
// The differences between a configuration file and a gateway, row by row and field by field:
// what a restore would change. Empty sensor slots are alike whatever ID they hold (a deletion
// writes zeros). Sender rows are compared only when the file has them and the gateway is a
// transceiver; notes say when they are left alone.

#include "backup/ConfigFile.h"

#include <QStringList>
#include <optional>
#include <vector>

enum class ConfigPart { Sensor, Sender, ResponseTime };
enum class ConfigField { Org, Id, Inversion, DataBytes, Status, ResponseTime };

struct FieldChange {
    ConfigField field;
    QString onGateway; // as the window shows it: "05", "0021C488", "80", "20"; flags "1"/"0"
    QString inFile;
    int dataByte = 0; // DataBytes: which one, as the sender row names it ("Data-Byte 0")
};

struct RowDifference {
    ConfigPart part = ConfigPart::Sensor;
    int row = 0;   // sensor row 0..31 or sender row 0..7
    QString label; // the file's label of a sensor row
    std::vector<FieldChange> changes;
    // A sender row of ORG 00 in the file cannot be written (the gateway takes 05, 06, 07 only)
    bool writable = true;
    // The file's response time below the gateway's least: the least is written instead.
    std::optional<uint16_t> raisedFromMs = std::nullopt;
    bool ticked = true;                // the user's choice: restore this row
    bool has(ConfigField field) const; // this field differs
};

enum class DiffNote {
    SendersSkipped,   // the file has sender rows, the gateway is a receiver
    SendersUntouched, // a receiver's file, a transceiver: its sender rows stay as they are
};

struct ConfigDifferences {
    std::vector<RowDifference> rows; // sensor rows, sender rows, the response time
    std::vector<DiffNote> notes;
    bool none() const { return rows.empty(); }
    // The rows a restore can write; the others are listed with their reason only.
    int writableRows() const;
};

ConfigDifferences compareConfig(const GatewayConfig& file, const GatewayImage& gateway);

// Texts for the table and the terminal.
QString rowName(ConfigPart part, int row, bool english); // "Sensor 5", "Sender 2", "Antwortzeit"
QString changesText(const RowDifference& d, bool english); // "ORG 00 → 05, ID 00000000 → 0021C488"
QString noteText(DiffNote note, bool english);
QString unwritableText(bool english); // why a row cannot be written
// One line per row ("Sensor 5 (cold room): ORG 00 → 05, …"), then the notes; "No differences."
QStringList differenceLines(const ConfigDifferences& differences, bool english);
