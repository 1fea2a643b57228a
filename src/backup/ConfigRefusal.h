#pragma once
// Why a configuration file is refused, in words for the user in German or English. The field is
// named as a path into the file ("sensors[3].id"); a JSON syntax error names its line.

#include <QString>

enum class RefusalKind {
    Unreadable,     // field: the path; value: the reason
    TooLarge,       // more than a configuration can be
    NotJson,        // line, value: the parser's words
    NotThisFormat,  // field "format" missing or another value
    UnknownVersion, // value: the version
    Missing,        // field
    NotAnObject,    // field
    NotAList,       // field
    NotText,        // field
    NotAFlag,       // field: true or false
    NotInRange,     // field, value, limit: a whole number 0..limit
    RowOutOfRange,  // field, value, limit: a row 0..limit
    RowTwice,       // field, value: the row
    RowMissing,     // field: the list, value: the row
    BadOrg,         // field, value
    BadId,          // field, value
    BadDevice,      // field, value
    BadTime,        // field, value
};

struct ConfigRefusal {
    RefusalKind kind = RefusalKind::NotJson;
    QString field;
    QString value;
    int limit = 0;
    int line = 0;
    QString text(bool english) const;
};
