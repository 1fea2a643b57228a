#pragma once
// Why a site file is refused, in words for the user in German or English, naming the line and
// the column ("Line 5, column "id": ID "12345" is not 8 hex digits.").

#include <QString>

enum class SiteRefusalKind {
    Unreadable,     // column: the path, value: the reason
    TooLarge,       // over 1 MB
    Empty,          // no header line
    NoSensors,      // a header line and nothing below it
    NotUtf8,        // line, column
    QuoteNotClosed, // line: where the quote opened
    BadQuote,       // line, column
    UnknownColumn,  // line, column: the name, value: its position
    ColumnTwice,    // line, column, value: its position
    MissingColumn,  // column
    TooManyValues,  // line, value: the position of a value under no named column
    BadAddress,     // line, column, value
    MissingAddress, // line, column: an empty address in a file with an address column
    BadRow,         // line, column, value
    BadId,          // line, column, value
    BadOrg,         // line, column, value
    BadInverted,    // line, column, value
    RowTwice,       // line, column, value: the row, otherLine
    IdTwice,        // line, column, value: the ID, otherLine
};

struct SiteRefusal {
    SiteRefusalKind kind = SiteRefusalKind::Empty;
    int line = 0;
    QString column{}; // as the header names it
    QString value{};
    int otherLine = 0;
    QString text(bool english) const;
};
