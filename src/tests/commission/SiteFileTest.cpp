// The site file: what a planner's spreadsheet sends is read (any column order, German names,
// semicolons, a BOM, quoted fields), and every fault is refused naming its line and column.

#include "commission/SiteFile.h"

#include <gtest/gtest.h>

TEST(SiteFile, ReadsASpreadsheetsExport) {
    const QByteArray csv = "\xEF\xBB\xBF"
                           "Bezeichnung;ID;Zeile;org;INVERTIERT;Adresse;\r\n"
                           "\"Flur; Taster \"\"Licht\"\"\nLinks\";0021a3f1;3;5;ja;2;\r\n"
                           ";;;;;;\r\n"
                           "Büro;0081B220;;06;;1;\r\n";
    const SiteLoad load = parseSiteFile(csv);
    ASSERT_TRUE(load.site) << load.refusal->text(true).toStdString();
    const SiteFile& f = *load.site;
    ASSERT_EQ(f.sensors.size(), 2u);
    const SiteSensor& a = f.sensors[0];
    EXPECT_EQ(a.label, "Flur; Taster \"Licht\"\nLinks");
    EXPECT_EQ(a.idText(), "0021A3F1");
    EXPECT_EQ(a.row, 3);
    EXPECT_EQ(a.org, 5);
    EXPECT_EQ(a.inverted, true);
    EXPECT_EQ(a.address, 2);
    EXPECT_EQ(f.sensors[1].line, 5); // the quoted line break counts
    EXPECT_FALSE(f.sensors[1].row);
    EXPECT_FALSE(f.sensors[1].inverted);
    EXPECT_EQ(f.addresses(), (std::vector<uint8_t>{1, 2}));
    EXPECT_EQ(f.labels(), (SiteLabelMap{{{2, 3}, a.label}}));

    SiteFile one = *parseSiteFile("id,org,row\n01834C17,07,4\n").site;
    EXPECT_FALSE(one.addressColumn);
    one.placeAt(9);
    EXPECT_EQ(one.addresses(), std::vector<uint8_t>{9});
}

TEST(SiteFile, RefusesWithLineAndColumn) {
    struct Case {
        QByteArray csv;
        const char* english;
    };
    const QByteArray head = "address,row,id,org,label,inverted\n";
    const Case cases[] = {
        {"", "The file is empty: its first line must name the columns (address, row, id, org, "
             "label, inverted)."},
        {head, "The file names no sensor: there is nothing below the header line."},
        {"id,org,room\n", "Line 1, column 3: the column \"room\" is unknown. Known are "
                          "address/adresse, row/zeile, id, org, label/bezeichnung and "
                          "inverted/invertiert."},
        {"id,org,ID\n", "Line 1, column 3: the column \"ID\" appears twice."},
        {"id;label\n", "Line 1: the column \"org\" is missing."},
        {head + "1,0,0021A3F1,05,x,no,7\n",
         "Line 2, column 7: there is a value here, but the header line names no such column."},
        {head + "1,0,21A3F1,05,,\n", "Line 2, column \"id\": the ID \"21A3F1\" is not 8 hex "
                                     "digits."},
        {head + "1,0,0021A3G1,05,,\n", "Line 2, column \"id\": the ID \"0021A3G1\" is not 8 hex "
                                       "digits."},
        {head + "1,0,0021A3F1,08,,\n",
         "Line 2, column \"org\": the ORG \"08\" is not 05, 06 or 07."},
        {head + "1,32,0021A3F1,05,,\n", "Line 2, column \"row\": the row \"32\" is not a number "
                                        "from 0 to 31 (empty: any free row)."},
        {head + "248,1,0021A3F1,05,,\n", "Line 2, column \"address\": the address \"248\" is not "
                                         "a number from 1 to 247."},
        {head + ",1,0021A3F1,05,,\n", "Line 2, column \"address\": the address is missing."},
        {head + "1,1,0021A3F1,05,,maybe\n", "Line 2, column \"inverted\": \"maybe\" is neither yes "
                                            "nor no (ja/nein; empty: not checked)."},
        {head + "1,1,0021A3F1,05,,\n2,1,0081B220,06,,\n1,1,0081B221,06,,\n",
         "Line 4, column \"row\": sensor row 1 of this gateway is already taken in line 2."},
        {head + "1,1,0021A3F1,05,,\n1,,0021a3f1,05,,\n",
         "Line 3, column \"id\": the ID 0021A3F1 is already listed for this gateway in line 2."},
        {head + "1,1,0021A3F1,05,\"EG \"Flur\",\n",
         "Line 2, column \"label\": quotes go around the whole field, and are doubled inside it "
         "(\"\")."},
        {head + "1,1,0021A3F1,05,\"EG\n", "Line 2: the quote is not closed before the end of the "
                                          "file."},
        {head + "1,1,0021A3F1,05,K\xFChlraum,\n",
         "Line 2, column \"label\": the text is not UTF-8. "
         "Please save the file as \"CSV UTF-8\"."},
        {head + QByteArray(kSiteFileMaxBytes, ' '),
         "The file is larger than 1 MB: not a site file."},
    };
    for (const Case& c : cases) {
        const SiteLoad load = parseSiteFile(c.csv);
        ASSERT_TRUE(load.refusal) << c.english;
        EXPECT_FALSE(load.site);
        EXPECT_EQ(load.refusal->text(true).toStdString(), c.english);
        EXPECT_FALSE(load.refusal->text(false).isEmpty());
    }
    EXPECT_EQ(parseSiteFile(head + "1,0,0021A3F1,08,,\n").refusal->text(false),
              "Zeile 2, Spalte „org“: Das ORG „08“ ist nicht 05, 06 oder 07.");
}
