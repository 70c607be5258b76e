#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <functional>

namespace tandor28 {

// Why a path cannot be read or written as a plain file: the empty text for a regular file (or a
// link to one) and for a path where nothing exists yet. A FIFO, a device, a socket or a folder
// gets its reason, so that no reader ever opens one and waits forever for a writer.
[[nodiscard]] QString specialFileReason(const QString& path);

// Writes the content of a replacement file; false (with the reason in `why` when it knows one)
// stops the replacement.
using ContentWriter = std::function<bool(QIODevice& out, QString* why)>;

// Replaces the file at `path` atomically: the new content goes to a temporary file beside it, is
// written, flushed and synced, and only then takes the old file's place. A write that fails at
// any step (a full disk, a size limit, an I/O error) leaves the old file exactly as it was and
// gives false with the reason in `error`. The folder must exist.
[[nodiscard]] bool replaceFile(const QString& path, const ContentWriter& writeContent, QString* error = nullptr);
[[nodiscard]] bool replaceFile(const QString& path, const QByteArray& content, QString* error = nullptr);

} // namespace tandor28
