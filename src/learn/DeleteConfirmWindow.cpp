#include "learn/DeleteConfirmWindow.h"

#include "core/ToolContext.h"
#include "learn/LearnRequests.h"
#include "link/Link.h"
#include "platform/Timer.h"
#include "platform/WindowPlacement.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

DeleteConfirmWindow::DeleteConfirmWindow(ToolContext& ctx, QWidget* owner)
    : QDialog(owner)
    , ctx_(ctx) {
    setObjectName("Abfrage");
    setWindowTitle("Löschen von Senor bestätigen");
    lbl_request = new QLabel("Wollen Sie den Sensor löschen?", this);
    lbl_request->setObjectName("lbl_request");
    Ja = new QPushButton("Ja", this);
    Ja->setObjectName("Ja");
    Nein = new QPushButton("Nein", this);
    Nein->setObjectName("Nein");
    Ja->setAutoDefault(false);
    Nein->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Ja);
    buttons->addWidget(Nein);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbl_request);
    layout->addLayout(buttons);
    connect(Ja, &QPushButton::clicked, this, [this] { Ja_Click(); });
    connect(Nein, &QPushButton::clicked, this, [this] { Nein_Click(); });
}

void DeleteConfirmWindow::Form_Load() {
    if (ctx_.main.LocaliseWindow(1)) {
        setWindowTitle("Confirming delete of sensor");
        lbl_request->setText("Do you want to delete the Sensor?");
        Ja->setText("Yes");
        Nein->setText("No");
    }
    centreOnScreen(*this);
}

void DeleteConfirmWindow::Ja_Click() {
    ProgramSettings& s = ctx_.settings;
    const std::optional<QString> address = gatewayAddress(ctx_.main);
    if (!address || !isSensorRow(s.CurrentRow)) {
        close();
        return;
    }
    s.RequestKind = RequestKinds::WriteSensorEntry;
    s.LearnOrgText = "00";
    s.LearnIdText = "00000000";
    // A table read running while the window was open moves RegisterCounter; the RTU frame and
    // the slot watch both take the row's block from it.
    s.RegisterCounter = static_cast<int16_t>(s.CurrentRow * 10);
    s.RequestText = sensorEntryWriteRequest(*address, s.CurrentRow, "00", "00000000");
    ctx_.link.send();
    ctx_.timers.Timer2.setEnabled(true);
    close();
}

void DeleteConfirmWindow::Nein_Click() {
    close();
}
