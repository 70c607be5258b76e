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

} // namespace tandor28::cli
