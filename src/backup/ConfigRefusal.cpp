#include "backup/ConfigRefusal.h"

#include "core/Localisation.h"

namespace {
// %1 field, %2 value, %3 limit or line
constexpr MessageWording<RefusalKind> kWordings[] = {
    {RefusalKind::Unreadable, "Die Datei %1 lässt sich nicht lesen: %2",
     "Cannot read the file %1: %2"},
    {RefusalKind::TooLarge, "Die Datei ist größer als 1 MB und keine Gateway-Konfiguration.",
     "The file is larger than 1 MB: not a gateway configuration."},
    {RefusalKind::NotJson, "Kein gültiges JSON in Zeile %3: %2", "Not valid JSON in line %3: %2"},
    {RefusalKind::NotThisFormat,
     "Keine Gateway-Konfiguration: Das Feld „%1“ fehlt oder lautet nicht „%2“.",
     "Not a gateway configuration: the field \"%1\" is missing or is not \"%2\"."},
    {RefusalKind::UnknownVersion,
     "„%1“: Die Formatversion %2 ist unbekannt; dieses Programm liest Version %3.",
     "\"%1\": format version %2 is unknown; this tool reads version %3."},
    {RefusalKind::Missing, "Das Feld „%1“ fehlt.", "The field \"%1\" is missing."},
    {RefusalKind::NotAnObject, "„%1“ muss ein Objekt { … } sein.",
     "\"%1\" must be an object { … }."},
    {RefusalKind::NotAList, "„%1“ muss eine Liste [ … ] sein.", "\"%1\" must be a list [ … ]."},
    {RefusalKind::NotText, "„%1“ muss ein Text in Anführungszeichen sein.",
     "\"%1\" must be a text in quotes."},
    {RefusalKind::NotAFlag, "„%1“ muss true oder false sein.", "\"%1\" must be true or false."},
    {RefusalKind::NotInRange, "„%1“: %2 ist keine ganze Zahl von 0 bis %3.",
     "\"%1\": %2 is not a whole number from 0 to %3."},
    {RefusalKind::RowOutOfRange, "„%1“: Die Zeile %2 liegt nicht in 0..%3.",
     "\"%1\": row %2 is outside 0..%3."},
    {RefusalKind::RowTwice, "„%1“: Die Zeile %2 kommt zweimal vor.",
     "\"%1\": row %2 appears twice."},
    {RefusalKind::RowMissing, "„%1“: Die Zeile %2 fehlt.", "\"%1\": row %2 is missing."},
    {RefusalKind::BadOrg, "„%1“: Das ORG „%2“ ist nicht 00, 05, 06 oder 07.",
     "\"%1\": ORG \"%2\" is not 00, 05, 06 or 07."},
    {RefusalKind::BadId, "„%1“: Die ID „%2“ besteht nicht aus 8 Hex-Ziffern.",
     "\"%1\": ID \"%2\" is not 8 hex digits."},
    {RefusalKind::BadDevice, "„%1“: Das Gerät „%2“ ist weder QRX40 noch QTX40.",
     "\"%1\": device \"%2\" is neither QRX40 nor QTX40."},
    {RefusalKind::BadTime, "„%1“: „%2“ ist keine Zeitangabe wie 2026-12-01T08:30:00Z.",
     "\"%1\": \"%2\" is not a time like 2026-12-01T08:30:00Z."},
};
} // namespace

QString ConfigRefusal::text(bool english) const {
    const int third = kind == RefusalKind::NotJson ? line : limit;
    return wordingOf(kWordings, kind, english, {field, value, QString::number(third)});
}
