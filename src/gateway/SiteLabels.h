#pragma once
// What the site calls the sensors of its gateways ("Room 1.01 temperature"), by gateway address
// and sensor row: the commissioning window fills it from the site file it loaded, and the
// history window and the sensor rows' tooltips show the labels where a technician looks for a
// sensor. Empty until a site file is loaded. The main window owns one and hands it around.

#include <QObject>
#include <QString>
#include <cstdint>
#include <map>
#include <utility>

using SiteLabelMap = std::map<std::pair<uint8_t, int>, QString>; // (address, row) -> label

class SiteLabels : public QObject {
    Q_OBJECT
public:
    explicit SiteLabels(QObject* parent = nullptr)
        : QObject(parent) {}
    // Replaces every label; tells `changed` when something differs.
    void replace(SiteLabelMap labels);
    QString label(uint8_t address, int row) const;
    // The label of a row of the gateway whose address the window's address box holds ("1").
    QString label(const QString& addressText, int row) const;
    bool empty() const { return labels_.empty(); }
    const SiteLabelMap& all() const { return labels_; }

signals:
    void changed();

private:
    SiteLabelMap labels_;
};
