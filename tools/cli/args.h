#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace tandor28::cli {

// "--name value" options and positional words of one command line.
struct Args
{
    QStringList positional;
    QHash<QString, QString> options;
    QStringList optionOrder; // the options' names as the line gives them
    QString error;           // non-empty when the command line could not be parsed

    [[nodiscard]] bool has(const QString& name) const { return options.contains(name); }
    [[nodiscard]] QString value(const QString& name, const QString& fallback = {}) const
    {
        return options.value(name, fallback);
    }
    // The option as a whole decimal integer; nullopt when missing or not a number.
    [[nodiscard]] std::optional<int> intValue(const QString& name) const;
};

// Splits words into options and positional words; `flagNames` are options without a value.
[[nodiscard]] Args parseArgs(const QStringList& words, const QStringList& flagNames = {});

// What is wrong with an option's value (nullopt: the option is absent), or an empty text when it is
// fine. The other options are at hand for checks that depend on them (a plan's range on the tab).
using OptionCheck = std::function<QString(const std::optional<QString>& value, const Args& args)>;

// One option of a command, declared once: parsing, checking and help all read it.
struct Option
{
    Option(QString name, QString value, bool required, OptionCheck check, QString help, QString group = {})
        : name(std::move(name)), value(std::move(value)), required(required), check(std::move(check)),
          help(std::move(help)), group(std::move(group))
    {}

    QString name;          // without the leading "--"
    QString value;         // the value's placeholder in the usage line ("PATH", "0..3"); empty for a flag
    bool required = false; // shown without brackets; its check runs even when it is absent
    OptionCheck check;     // none: any value will do
    QString help;          // one line of `COMMAND --help`; for a group, its first member's help speaks for it
    QString group;         // options of a group (FEED) stand in the usage line as the group's name
};

// One form of a command line: `words` are the command's own ("archive import"), `positional`
// describes the words after the options ("N1 ... N20"; empty: none are taken).
struct CommandForm
{
    QString words;
    QString positional;
    std::vector<Option> options;
    QString note; // said after the usage line in brackets
};

// "archive import --db PATH FEED [--format feed|keno-json|keno-csv] ...", from the form's table.
[[nodiscard]] QString formUsage(const CommandForm& form);
// One line per option (and one per group), for `COMMAND --help`.
void printOptionHelp(const CommandForm& form, QTextStream& out);

// Parses and checks `words` by the form's table: options it does not declare, stray positional
// words, a missing value and every failed check are written to `err` (the first fault only) and
// give nullopt. Checks run in the table's order, the grouped options' (FEED) after the others.
[[nodiscard]] std::optional<Args> parseForm(const QStringList& words, const CommandForm& form, QTextStream& err);

// Checks shared by the commands' tables.
namespace checks {

// A whole number in [low, high]; "--NAME must be a whole number from LOW to HIGH".
[[nodiscard]] OptionCheck wholeNumber(const QString& name, int low, int high);
// The same with the range given by the other options (the tab).
[[nodiscard]] OptionCheck wholeNumberIn(const QString& name, std::function<std::pair<int, int>(const Args&)> range);
// Any whole number; "--NAME must be a whole number".
[[nodiscard]] OptionCheck anyWholeNumber(const QString& name);
// One of the given words; otherwise `reason`.
[[nodiscard]] OptionCheck oneOf(const QStringList& words, const QString& reason);
// Present and not empty; otherwise `reason`.
[[nodiscard]] OptionCheck given(const QString& reason);

} // namespace checks

} // namespace tandor28::cli
