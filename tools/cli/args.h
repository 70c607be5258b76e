#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace tandor28::cli {

// "--name value" options and positional words of one command line. Flags without a value are
// listed in `flagNames` when parsing.
struct Args
{
    QStringList positional;
    QHash<QString, QString> options;
    QString error; // non-empty when the command line could not be parsed

    [[nodiscard]] bool has(const QString& name) const { return options.contains(name); }
    [[nodiscard]] QString value(const QString& name, const QString& fallback = {}) const
    {
        return options.value(name, fallback);
    }
    // The option as a whole decimal integer; nullopt when missing or not a number.
    [[nodiscard]] std::optional<int> intValue(const QString& name) const;
};

[[nodiscard]] Args parseArgs(const QStringList& words, const QStringList& flagNames = {});

} // namespace tandor28::cli
