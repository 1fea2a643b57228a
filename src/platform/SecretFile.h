#pragma once
// A secret given in a file, never on the command line (which every user sees with ps): the
// first line of the file, without its line end; the file is at most 4 KiB. A refusal names the
// option and the file: "--password-file: the first line of /etc/x is empty".

#include <QByteArray>
#include <QString>
#include <optional>

// option: "--password-file"; what: "password".
std::optional<QByteArray> readSecretFile(const QString& path, const QString& option,
                                         const QString& what, QString& error);
