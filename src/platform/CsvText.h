#pragma once
// CSV text as RFC 4180 has it, for the files the tool writes (history, traffic) and reads (the
// site file). A CSV text cut into records and fields as RFC 4180 describes it: fields separated by
// the separator, records by CR LF (or LF, or CR alone); a field in double quotes may hold the
// separator, line breaks and doubled quotes. Spreadsheets put blanks around fields now and then:
// blanks before an opening or after a closing quote are taken. Works on bytes, so that a field's
// UTF-8 is decoded (and checked) by the caller, which names the line and the column.

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

struct CsvRecord {
    int line = 0; // the file's line on which the record starts, from 1
    std::vector<QByteArray> fields;
    bool blank() const; // no field holds anything but blanks (";;;;" from a spreadsheet)
};

enum class CsvFault {
    QuoteNotClosed,  // the file ends inside a quoted field
    TextAfterQuote,  // "abc"x
    QuoteInsideField // ab"c
};

struct CsvProblem {
    CsvFault fault;
    int line = 0;
    int field = 0; // from 0
};

struct CsvSplit {
    std::vector<CsvRecord> records;
    std::optional<CsvProblem> problem; // the records up to it are kept
};

// The separator of a file: the first comma or semicolon outside quotes in its first line
// (German spreadsheets write semicolons); a comma when there is neither.
char csvSeparator(const QByteArray& text);
CsvSplit splitCsv(const QByteArray& text, char separator);
// A field in UTF-8 as a spreadsheet needs it: in quotes, its quotes doubled, when it holds the
// separator, a quote or a line break.
QByteArray csvField(const QString& text, char separator = ',');
