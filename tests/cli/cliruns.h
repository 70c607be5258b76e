#pragma once

// Runs the command-line companion in process, as the tests of its commands and of the window
// comparisons need it.
#include "cli.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace tandor28::clitest {

struct CliRun
{
    int status = 0;
    QString out;
    QString err;
    QStringList lines; // the output's non-empty lines
};

inline CliRun run(const QStringList& arguments, const QString& input = {})
{
    CliRun result;
    QString in = input;
    QTextStream outStream(&result.out);
    QTextStream errStream(&result.err);
    QTextStream inStream(&in);
    result.status = cli::runCli(arguments, {outStream, errStream, inStream});
    result.lines = result.out.split(u'\n', Qt::SkipEmptyParts);
    return result;
}

} // namespace tandor28::clitest
