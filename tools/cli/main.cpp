#include "cli.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QStringList>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // The same data and config folders as the desktop program.
    QCoreApplication::setApplicationName(QStringLiteral("tandor28"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    QTextStream in(stdin);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    // Quiet unless asked; QT_LOGGING_RULES still overrides this.
    if (arguments.removeAll(QStringLiteral("--verbose")) > 0)
        QLoggingCategory::setFilterRules(QStringLiteral("tandor28.*=true"));
    return tandor28::cli::runCli(arguments, {out, err, in});
}
