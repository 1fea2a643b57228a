#include "commission/CommissionTexts.h"

#include "core/Localisation.h"

#include <QStringList>

namespace {
struct StateWording {
    SensorState kind;
    const char* code;
    const char* german; // %1, %2 as stateParts gives them
    const char* english;
    const char* germanFix;
    const char* englishFix;
};
constexpr StateWording kWordings[] = {
    {SensorState::Verified, "verified", "bestätigt", "verified", "", ""},
    {SensorState::Unchecked, "unchecked", "nicht geprüft", "not checked", "", ""},
    {SensorState::Missing, "missing", "fehlt", "missing",
     "Einlernen: „Fehlende schreiben…“ (qrx-cli commission --apply) oder per Lerntaste.",
     "Learn it in: \"Write missing…\" (qrx-cli commission --apply) or by its learn button."},
    {SensorState::RowTaken, "row_taken", "fehlt; Zeile %1 hält %2", "missing; row %1 holds %2",
     "Zeile %1 hält einen anderen Sensor: dort löschen oder diesem Sensor in der Anlagenliste "
     "eine andere Zeile geben.",
     "Row %1 holds another sensor: delete it there, or give this sensor another row in the site "
     "file."},
    {SensorState::NoFreeRow, "no_free_row", "fehlt; keine Zeile frei", "missing; no free row",
     "Nicht mehr benötigte Sensoren löschen oder ein anderes Gateway nehmen.",
     "Delete sensors that are no longer needed, or use another gateway."},
    {SensorState::OtherRow, "other_row", "in Zeile %1 statt %2", "in row %1, not %2",
     "In Zeile %1 löschen und in Zeile %2 einlernen, oder die Anlagenliste berichtigen.",
     "Delete it from row %1 and learn it into row %2, or correct the site file."},
    {SensorState::WrongOrg, "wrong_org", "ORG %1 statt %2", "ORG %1, not %2",
     "Sensortyp prüfen: mit ORG %2 neu einlernen oder die Anlagenliste berichtigen.",
     "Check the sensor's type: learn it in again with ORG %2, or correct the site file."},
    {SensorState::InversionDiffers, "inversion_differs", "invertiert: %1 statt %2",
     "inverted: %1, not %2",
     "Invertierung von Datenbyte 1 setzen: „Fehlende schreiben…“ (--apply) oder im Fenster der "
     "Sensoreinstellungen.",
     "Set the inversion of data byte 1: \"Write missing…\" (--apply) or the sensor settings "
     "window."},
    {SensorState::LearnedTwice, "learned_twice", "doppelt eingelernt (Zeilen %1)",
     "learned twice (rows %1)", "Den überzähligen Eintrag löschen (Zeilen %1).",
     "Delete the surplus entry (rows %1)."},
    {SensorState::Extra, "extra", "nicht in der Anlagenliste", "not in the site file",
     "Löschen oder in die Anlagenliste aufnehmen.", "Delete it, or add it to the site file."},
    {SensorState::WriteFailed, "write_failed", "Schreiben fehlgeschlagen: %3", "write failed: %3",
     "Leitung prüfen und erneut schreiben.", "Check the line and write again."},
    {SensorState::Silent, "silent", "kein Telegramm", "no telegram",
     "Lerntaste drücken oder Batterie und Reichweite prüfen.",
     "Press its learn button or check its battery and range."},
};

const StateWording& wording(SensorState kind) {
    for (const StateWording& w : kWordings)
        if (w.kind == kind)
            return w;
    return kWordings[0];
}

QString rowList(const std::vector<int>& rows) {
    QStringList out;
    for (int row : rows)
        out << QString::number(row);
    return out.join(", ");
}

// %1, %2, %3 of a state's texts.
QStringList stateParts(SensorState kind, const SensorCheck& s, bool english) {
    switch (kind) {
    case SensorState::RowTaken:
        return {QString::number(s.writeRow), s.writeDetail};
    case SensorState::OtherRow:
        return {QString::number(s.row), QString::number(s.expected.row.value_or(-1))};
    case SensorState::WrongOrg:
        return {s.slot.orgText(), s.expected.orgText()};
    case SensorState::InversionDiffers:
        return {yesNo(s.slot.inverted, english),
                yesNo(s.expected.inverted.value_or(false), english)};
    case SensorState::LearnedTwice:
        return {rowList(s.rows)};
    case SensorState::WriteFailed:
        return {{}, {}, s.writeDetail};
    default:
        return {};
    }
}
} // namespace

QString orgName(uint8_t org, bool english) {
    switch (org) {
    case 0x05:
        return english ? "05 rocker switch" : "05 Taster";
    case 0x06:
        return english ? "06 1 byte sensor" : "06 1-Byte-Sensor";
    case 0x07:
        return english ? "07 4 byte sensor" : "07 4-Byte-Sensor";
    }
    return QString("%1").arg(org, 2, 16, QChar('0')).toUpper();
}

QString stateCode(SensorState state) {
    return QString::fromLatin1(wording(state).code);
}

QString deficiencyText(SensorState kind, const SensorCheck& s, bool english) {
    const StateWording& w = wording(kind);
    return fillIn(QString::fromUtf8(english ? w.english : w.german), stateParts(kind, s, english));
}

QString fixText(SensorState kind, const SensorCheck& s, bool english) {
    const StateWording& w = wording(kind);
    return fillIn(QString::fromUtf8(english ? w.englishFix : w.germanFix),
                  stateParts(kind, s, english));
}

QString stateText(const SensorCheck& s, bool english) {
    const std::vector<SensorState> all = s.deficiencies();
    if (all.empty())
        return s.write == WriteOutcome::Written
                   ? (english ? "written and verified" : "geschrieben und bestätigt")
                   : deficiencyText(SensorState::Verified, s, english);
    QStringList parts;
    for (SensorState kind : all)
        parts << deficiencyText(kind, s, english);
    return parts.join("; ");
}

QString gatewayFailureText(const QString& failure, bool english) {
    return (english ? "the gateway did not answer: " : "Das Gateway antwortet nicht: ") + failure;
}

QString gatewayFixText(bool english) {
    return english ? "Check the gateway's address, the line settings, the wiring and its power "
                     "supply; then verify again."
                   : QString::fromUtf8("Adresse des Gateways, Leitungseinstellungen, Verdrahtung "
                                       "und Stromversorgung prüfen; dann erneut prüfen.");
}

QString yesNo(bool yes, bool english) {
    return yes ? (english ? "yes" : "ja") : (english ? "no" : "nein");
}

QString dataBytesText(const std::array<uint8_t, 4>& data) {
    return QString("%1 %2 %3 %4")
        .arg(data[0], 2, 16, QChar('0'))
        .arg(data[1], 2, 16, QChar('0'))
        .arg(data[2], 2, 16, QChar('0'))
        .arg(data[3], 2, 16, QChar('0'))
        .toUpper();
}
