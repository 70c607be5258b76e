#include "args.h"

namespace tandor28::cli {

std::optional<int> Args::intValue(const QString& name) const
{
    if (!options.contains(name))
        return std::nullopt;
    bool ok = false;
    const int value = options.value(name).toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

Args parseArgs(const QStringList& words, const QStringList& flagNames)
{
    Args args;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        if (word.startsWith(QLatin1String("--")) && word.size() > 2) {
            const QString name = word.mid(2);
            args.optionOrder.append(name);
            if (flagNames.contains(name)) {
                args.options.insert(name, QString());
                continue;
            }
            if (i + 1 >= words.size()) {
                args.error = QStringLiteral("option --%1 needs a value").arg(name);
                return args;
            }
            args.options.insert(name, words[++i]);
        } else {
            args.positional.append(word);
        }
    }
    return args;
}

namespace {

QString optionUsage(const Option& option)
{
    QString text = QLatin1String("--") + option.name;
    if (!option.value.isEmpty())
        text += u' ' + option.value;
    return option.required ? text : u'[' + text + u']';
}

const Option* findOption(const CommandForm& form, const QString& name)
{
    for (const Option& option : form.options) {
        if (option.name == name)
            return &option;
    }
    return nullptr;
}

} // namespace

QString formUsage(const CommandForm& form)
{
    QStringList parts{form.words};
    QStringList groups;
    for (const Option& option : form.options) {
        if (option.group.isEmpty()) {
            parts << optionUsage(option);
        } else if (!groups.contains(option.group)) {
            groups << option.group;
            parts << option.group;
        }
    }
    if (!form.positional.isEmpty())
        parts << form.positional;
    QString usage = parts.join(u' ');
    if (!form.note.isEmpty())
        usage += QStringLiteral(" (%1)").arg(form.note);
    return usage;
}

void printOptionHelp(const CommandForm& form, QTextStream& out)
{
    QStringList groups;
    for (const Option& option : form.options) {
        if (option.group.isEmpty()) {
            out << "  " << optionUsage(option) << "  " << option.help << '\n';
        } else if (!groups.contains(option.group)) {
            groups << option.group;
            out << option.help << '\n';
        }
    }
}

std::optional<Args> parseForm(const QStringList& words, const CommandForm& form, QTextStream& err)
{
    QStringList flagNames;
    for (const Option& option : form.options) {
        if (option.value.isEmpty())
            flagNames << option.name;
    }
    Args args = parseArgs(words, flagNames);
    // An option the command does not have is named as unknown, even when no value follows it.
    for (const QString& name : args.optionOrder) {
        if (!findOption(form, name)) {
            err << "unknown option --" << name << " (" << form.words << " --help lists the options)\n";
            return std::nullopt;
        }
    }
    if (!args.error.isEmpty()) {
        err << args.error << '\n';
        return std::nullopt;
    }
    if (form.positional.isEmpty() && !args.positional.isEmpty()) {
        err << "unexpected argument: " << args.positional.first() << '\n';
        return std::nullopt;
    }
    // The command's own options first, then the groups': a FEED is read after everything else.
    for (const bool grouped : {false, true}) {
        for (const Option& option : form.options) {
            const bool present = args.has(option.name);
            if (option.group.isEmpty() == grouped || !option.check || (!present && !option.required))
                continue;
            const QString reason =
                option.check(present ? std::optional<QString>(args.value(option.name)) : std::nullopt, args);
            if (!reason.isEmpty()) {
                err << reason << '\n';
                return std::nullopt;
            }
        }
    }
    return args;
}

namespace checks {

OptionCheck wholeNumber(const QString& name, int low, int high)
{
    return wholeNumberIn(name, [low, high](const Args&) { return std::pair(low, high); });
}

OptionCheck wholeNumberIn(const QString& name, std::function<std::pair<int, int>(const Args&)> range)
{
    return [name, range](const std::optional<QString>& value, const Args& args) {
        const auto [low, high] = range(args);
        bool ok = false;
        const int number = value.value_or(QString()).toInt(&ok);
        if (ok && number >= low && number <= high)
            return QString();
        return QStringLiteral("--%1 must be a whole number from %2 to %3").arg(name).arg(low).arg(high);
    };
}

OptionCheck anyWholeNumber(const QString& name)
{
    return [name](const std::optional<QString>& value, const Args&) {
        bool ok = false;
        value.value_or(QString()).toInt(&ok);
        return ok ? QString() : QStringLiteral("--%1 must be a whole number").arg(name);
    };
}

OptionCheck oneOf(const QStringList& words, const QString& reason)
{
    return [words, reason](const std::optional<QString>& value, const Args&) {
        return value && words.contains(*value) ? QString() : reason;
    };
}

OptionCheck given(const QString& reason)
{
    return [reason](const std::optional<QString>& value, const Args&) {
        return value && !value->isEmpty() ? QString() : reason;
    };
}

} // namespace checks

} // namespace tandor28::cli
