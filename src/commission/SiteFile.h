#pragma once
// The site file: the planner's point list of the radio sensors a site expects, one line per
// sensor, as CSV (what planners send). A header line names the columns, in any order and without
// regard to case, in English or German:
//   address/adresse   the gateway's Modbus address 1..247 (the column may be left out when all
//                     sensors are on one gateway)
//   row/zeile         the sensor row 0..31; empty: any free row
//   id                8 hex digits
//   org               05, 06 or 07
//   label/bezeichnung free text (room, point name)
//   inverted/invertiert  yes/no, ja/nein; empty: not checked
// Comma or semicolon, taken from the header line; UTF-8 with or without a BOM; quoted fields as
// RFC 4180 has them. A file is read strictly: anything wrong refuses it, naming the line and the
// column, before anything is sent. Other clients (the MQTT publisher) take the labels from here.

#include "commission/SiteRefusal.h"
#include "gateway/SiteLabels.h"

#include <QString>
#include <optional>
#include <vector>

inline constexpr qint64 kSiteFileMaxBytes = 1 << 20;

struct SiteSensor {
    int line = 0;           // the file's line, for messages
    uint8_t address = 0;    // 0: the file has no address column, until placeAt()
    std::optional<int> row; // nullopt: any free row
    uint32_t id = 0;
    uint8_t org = 0; // 05, 06 or 07
    QString label;
    std::optional<bool> inverted; // nullopt: not checked
    QString idText() const;       // "0021A3F1"
    QString orgText() const;      // "05"
};

struct SiteFile {
    bool addressColumn = false;
    std::vector<SiteSensor> sensors; // in the file's order
    // The gateways, ascending; {0} for a file without addresses that is not placed yet.
    std::vector<uint8_t> addresses() const;
    std::vector<SiteSensor> sensorsAt(uint8_t address) const;
    // The labels of the rows the file names, by (address, row).
    SiteLabelMap labels() const;
    // A file without an address column: every sensor is on the gateway at `address`.
    void placeAt(uint8_t address);
};

struct SiteLoad {
    std::optional<SiteFile> site;
    std::optional<SiteRefusal> refusal; // set exactly when site is not
};
SiteLoad parseSiteFile(const QByteArray& bytes);
SiteLoad readSiteFile(const QString& path);
