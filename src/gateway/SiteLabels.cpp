#include "gateway/SiteLabels.h"

void SiteLabels::replace(SiteLabelMap labels) {
    if (labels == labels_)
        return;
    labels_ = std::move(labels);
    emit changed();
}

QString SiteLabels::label(uint8_t address, int row) const {
    const auto it = labels_.find({address, row});
    return it == labels_.end() ? QString() : it->second;
}

QString SiteLabels::label(const QString& addressText, int row) const {
    bool ok = false;
    const int address = addressText.trimmed().toInt(&ok);
    return ok && address >= 1 && address <= 247 ? label(uint8_t(address), row) : QString();
}
