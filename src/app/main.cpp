#include "app/applog.h"
#include "app/mainwindow.h"
#include "app/qttranslations.h"
#include "app/uifont.h"

#include "archive/drawarchive.h"
#include "paths/filelocations.h"

#include <QApplication>
#include <QIcon>
#include <QLoggingCategory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tandor28"));
    QApplication::setApplicationVersion(QStringLiteral(TANDOR28_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("tandor28"));
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/tandor28-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    // Quiet unless asked; QT_LOGGING_RULES still overrides this.
    if (QApplication::arguments().contains(QStringLiteral("--verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("tandor28.*=true"));
    // The secondary windows never keep the program alive: it ends with the main window.
    QApplication::setQuitOnLastWindowClosed(false);
    tandor28::installQtTranslations(app);
    tandor28::applyApplicationFont();

    const tandor28::FileLocations locations = tandor28::fileLocations();
    qCInfo(lcApp) << (locations.portable ? "portable:" : "user folders:") << "data" << locations.dataFile << "settings"
                  << locations.settingsFile;
    // A data file left beside the program from before it was installed is carried over once.
    (void)tandor28::adoptOldDataFile(locations);

    tandor28::MainWindowServices services;
    // The long-run analysis reads the draw archive on its worker thread, opening it there; an archive
    // that cannot be opened reads as no draws and the tab works from the feed alone, one that is
    // damaged is named in the tab.
    services.archive = tandor28::archiveFileReader(tandor28::defaultArchivePath());
    tandor28::MainWindow window(std::move(services));
    if (window.start() != tandor28::StartOutcome::Running)
        return 0;
    window.show();
    return QApplication::exec();
}
