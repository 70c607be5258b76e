#include "cli.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstring>

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
    const int status = tandor28::cli::runCli(arguments, {out, err, in});
    // Output to a full disk or past a size limit fails only when the buffers are written out: that
    // is a failed command, never a truncated file with a zero exit status.
    out.flush();
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        const int code = errno;
        err << "cannot write the output: " << QString::fromLocal8Bit(std::strerror(code)) << '\n';
        err.flush();
        return status == tandor28::cli::kExitOk ? tandor28::cli::kExitNothing : status;
    }
    return status;
}
