#include "commission/SiteRefusal.h"

#include "core/Localisation.h"

namespace {
// %1 line, %2 column, %3 value, %4 the other line
constexpr MessageWording<SiteRefusalKind> kWordings[] = {
    {SiteRefusalKind::Unreadable, "Die Datei %2 lässt sich nicht lesen: %3",
     "Cannot read the file %2: %3"},
    {SiteRefusalKind::TooLarge, "Die Datei ist größer als 1 MB und keine Anlagenliste.",
     "The file is larger than 1 MB: not a site file."},
    {SiteRefusalKind::Empty,
     "Die Datei ist leer: Ihre erste Zeile muss die Spalten nennen (address, row, id, org, "
     "label, inverted).",
     "The file is empty: its first line must name the columns (address, row, id, org, label, "
     "inverted)."},
    {SiteRefusalKind::NoSensors, "Die Datei nennt keinen Sensor: Unter der Kopfzeile steht nichts.",
     "The file names no sensor: there is nothing below the header line."},
    {SiteRefusalKind::NotUtf8,
     "Zeile %1, Spalte „%2“: Der Text ist kein UTF-8. Bitte die Datei als „CSV UTF-8“ speichern.",
     "Line %1, column \"%2\": the text is not UTF-8. Please save the file as \"CSV UTF-8\"."},
    {SiteRefusalKind::QuoteNotClosed,
     "Zeile %1: Das Anführungszeichen wird bis zum Ende der Datei nicht geschlossen.",
     "Line %1: the quote is not closed before the end of the file."},
    {SiteRefusalKind::BadQuote,
     "Zeile %1, Spalte „%2“: Anführungszeichen gehören um das ganze Feld; im Feld werden sie "
     "verdoppelt (\"\").",
     "Line %1, column \"%2\": quotes go around the whole field, and are doubled inside it "
     "(\"\")."},
    {SiteRefusalKind::UnknownColumn,
     "Zeile %1, Spalte %3: Die Spalte „%2“ ist unbekannt. Bekannt sind address/adresse, "
     "row/zeile, id, org, label/bezeichnung und inverted/invertiert.",
     "Line %1, column %3: the column \"%2\" is unknown. Known are address/adresse, row/zeile, "
     "id, org, label/bezeichnung and inverted/invertiert."},
    {SiteRefusalKind::ColumnTwice, "Zeile %1, Spalte %3: Die Spalte „%2“ kommt zweimal vor.",
     "Line %1, column %3: the column \"%2\" appears twice."},
    {SiteRefusalKind::MissingColumn, "Zeile 1: Die Spalte „%2“ fehlt.",
     "Line 1: the column \"%2\" is missing."},
    {SiteRefusalKind::TooManyValues,
     "Zeile %1, Spalte %3: Hier steht ein Wert, doch die Kopfzeile benennt diese Spalte nicht.",
     "Line %1, column %3: there is a value here, but the header line names no such column."},
    {SiteRefusalKind::BadAddress,
     "Zeile %1, Spalte „%2“: Die Adresse „%3“ ist keine Zahl von 1 bis 247.",
     "Line %1, column \"%2\": the address \"%3\" is not a number from 1 to 247."},
    {SiteRefusalKind::MissingAddress, "Zeile %1, Spalte „%2“: Die Adresse fehlt.",
     "Line %1, column \"%2\": the address is missing."},
    {SiteRefusalKind::BadRow,
     "Zeile %1, Spalte „%2“: Die Zeile „%3“ ist keine Zahl von 0 bis 31 (leer: eine freie "
     "Zeile).",
     "Line %1, column \"%2\": the row \"%3\" is not a number from 0 to 31 (empty: any free "
     "row)."},
    {SiteRefusalKind::BadId, "Zeile %1, Spalte „%2“: Die ID „%3“ besteht nicht aus 8 Hex-Ziffern.",
     "Line %1, column \"%2\": the ID \"%3\" is not 8 hex digits."},
    {SiteRefusalKind::BadOrg, "Zeile %1, Spalte „%2“: Das ORG „%3“ ist nicht 05, 06 oder 07.",
     "Line %1, column \"%2\": the ORG \"%3\" is not 05, 06 or 07."},
    {SiteRefusalKind::BadInverted,
     "Zeile %1, Spalte „%2“: „%3“ ist weder ja noch nein (yes/no; leer: nicht prüfen).",
     "Line %1, column \"%2\": \"%3\" is neither yes nor no (ja/nein; empty: not checked)."},
    {SiteRefusalKind::RowTwice,
     "Zeile %1, Spalte „%2“: Die Sensorzeile %3 dieses Gateways ist schon in Zeile %4 vergeben.",
     "Line %1, column \"%2\": sensor row %3 of this gateway is already taken in line %4."},
    {SiteRefusalKind::IdTwice,
     "Zeile %1, Spalte „%2“: Die ID %3 steht für dieses Gateway schon in Zeile %4.",
     "Line %1, column \"%2\": the ID %3 is already listed for this gateway in line %4."},
};
} // namespace

QString SiteRefusal::text(bool english) const {
    return wordingOf(kWordings, kind, english,
                     {QString::number(line), column, value, QString::number(otherLine)});
}
