#pragma once
// Files the tool writes are written whole or not at all (QSaveFile): a failed write leaves an
// existing file as it was.

#include <QByteArray>
#include <QString>
#include <optional>

// nullopt when written; otherwise the reason, for the user.
std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& bytes);
