#include "cli.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QTextStream in(stdin);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return tandor28::cli::runCli(arguments, {out, err, in});
}
