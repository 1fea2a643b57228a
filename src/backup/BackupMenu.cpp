#include "backup/BackupMenu.h"

#include "backup/ConfigFile.h"
#include "backup/RestoreWindow.h"
#include "backup/SaveWindow.h"
#include "core/Localisation.h"
#include "core/ToolContext.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"

#include <QAction>
#include <QDateTime>
#include <QFileInfo>
#include <QMenu>

namespace {
QString say(bool english, const char* german, const char* englishText) {
    return QString::fromUtf8(english ? englishText : german);
}
QString fileFilter(bool english) {
    return say(english, "Gateway-Konfiguration (*.qrxcfg)", "Gateway configuration (*.qrxcfg)");
}
} // namespace

BackupMenu::BackupMenu(ToolContext& ctx, std::function<bool()> connected, QMenu* extras,
                       QWidget* owner)
    : ctx_(ctx)
    , connected_(std::move(connected))
    , owner_(owner) {
    act_backup = extras->addAction("Gateway-Konfiguration speichern…");
    act_backup->setObjectName("act_backup");
    act_restore = extras->addAction("Gateway-Konfiguration wiederherstellen…");
    act_restore->setObjectName("act_restore");
    QObject::connect(act_backup, &QAction::triggered, [this] { act_backup_Click(); });
    QObject::connect(act_restore, &QAction::triggered, [this] { act_restore_Click(); });
}

BackupMenu::~BackupMenu() {
    // before the link they use goes
    delete save_;
    delete restore_;
}

void BackupMenu::applyEnglish() {
    act_backup->setText("Save gateway configuration…");
    act_restore->setText("Restore gateway configuration…");
}

SaveWindow& BackupMenu::saveWindow() {
    if (!save_)
        save_ = new SaveWindow(ctx_, owner_);
    return *save_;
}

RestoreWindow& BackupMenu::restoreWindow() {
    if (!restore_)
        restore_ = new RestoreWindow(ctx_, owner_);
    return *restore_;
}

std::optional<uint8_t> BackupMenu::gatewayAddress(bool english) {
    if (!connected_()) {
        ctx_.messages.show(say(english,
                               "Nicht verbunden: Bitte zuerst die Schnittstelle öffnen und "
                               "warten, bis das Gateway verbunden ist.",
                               "Not connected: please open the port first and wait until the "
                               "gateway is connected."));
        return std::nullopt;
    }
    bool ok = false;
    const int address = ctx_.main.modbusAddressText().toInt(&ok);
    if (!ok || address < 0 || address > 255) {
        ctx_.messages.show("Wrong Modbus address - 0...255");
        return std::nullopt;
    }
    return uint8_t(address);
}

QString BackupMenu::suggestedName() const {
    const QString day = QDateTime::fromMSecsSinceEpoch(ctx_.clock.wallMs()).toString("yyyy-MM-dd");
    return QString("%1-%2.%3").arg(ctx_.main.deviceTypeText(), day, kConfigFileSuffix);
}

void BackupMenu::act_backup_Click() {
    const bool english = ctx_.main.LocaliseWindow(Windows::Backup);
    const auto address = gatewayAddress(english);
    if (!address)
        return;
    QString path = dialogs_->saveFileName(
        owner_, say(english, "Gateway-Konfiguration speichern", "Save gateway configuration"),
        suggestedName(), fileFilter(english));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QString(".") + kConfigFileSuffix;
    if (!mayOverwrite(path, english))
        return;
    saveWindow().start(path, *address);
}

bool BackupMenu::mayOverwrite(const QString& path, bool english) {
    if (!QFileInfo::exists(path))
        return true;
    // an earlier configuration keeps its labels and unknown fields; anything else is lost whole
    const ConfigLoad earlier = readConfigFile(path);
    if (!earlier.refusal)
        return true;
    const QString text =
        say(english,
            "„%1“ ist keine Gateway-Konfiguration, die dieses Programm lesen kann. Speichern "
            "ersetzt die ganze Datei: Alles, was sie enthält, geht verloren, auch die "
            "Bezeichnungen ihrer Zeilen und die Felder, die diese Version nicht kennt. "
            "Überschreiben?",
            "\"%1\" is not a gateway configuration this program can read. Saving replaces the "
            "whole file: everything it holds is lost, the labels of its rows and the fields this "
            "version does not know included. Overwrite it?")
            .arg(path);
    return dialogs_->confirmOverwrite(owner_, text, earlier.refusal->text(english));
}

void BackupMenu::act_restore_Click() {
    const bool english = ctx_.main.LocaliseWindow(Windows::Backup);
    const auto address = gatewayAddress(english);
    if (!address)
        return;
    const QString path = dialogs_->openFileName(
        owner_,
        say(english, "Gateway-Konfiguration wiederherstellen", "Restore gateway configuration"),
        fileFilter(english));
    if (path.isEmpty())
        return;
    const ConfigLoad load = readConfigFile(path);
    if (load.refusal) {
        ctx_.messages.show(load.refusal->text(english));
        return;
    }
    restoreWindow().start(path, *load.config, *address);
}
