// Pictures of every tab of the main window after its first refresh, with the clock fixed, for
// comparing the look of the window before and after a change. Not a test: scripts/screenshot-tabs
// runs it against a local draw server that answers as at the same fixed moment.
//
// Usage: tandor28-grabtabs INI OUT_DIR "YYYY-MM-DD HH:MM:SS"

#include "app/mainwindow.h"
#include "app/uifont.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

using namespace tandor28;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The font the program sets for itself.
    applyApplicationFont();
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.size() != 4) {
        err << "usage: tandor28-grabtabs INI OUT_DIR \"YYYY-MM-DD HH:MM:SS\"\n";
        return 2;
    }
    const QDateTime now = QDateTime::fromString(args.at(3), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!now.isValid()) {
        err << "the moment must read YYYY-MM-DD HH:MM:SS\n";
        return 2;
    }
    QTemporaryDir archiveDir;
    MainWindowServices services;
    services.clock = [now] { return now; };
    services.inform = [](const QString&, const QString&) {};
    services.ask = [](const QString&, const QString&) { return false; };
    services.openUrl = [](const QUrl&) {};
    services.iniPath = args.at(1);
    services.archivePath = archiveDir.filePath(QStringLiteral("draws.sqlite3"));
    services.dataFolder = archiveDir.path();
    MainWindow window(services);
    // Only the first refresh: no tick may change the countdown while the pictures are taken.
    window.refreshTimer()->setInterval(24 * 3600 * 1000);
    if (window.start() != StartOutcome::Running) {
        err << "the notice server did not answer\n";
        return 1;
    }
    window.show();
    if (!QTest::qWaitFor([&] { return window.refreshCount() >= 1 && !window.isRefreshing(); }, 30000)) {
        err << "the first refresh did not end\n";
        return 1;
    }
    window.waitForArchive();
    // The long-run analysis computes once its tab is shown, on a worker thread; its picture shows
    // the finished result.
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("tabControl"));
    if (tabs)
        tabs->setCurrentWidget(window.analysisTab());
    if (!QTest::qWaitFor([&] { return window.analysisTab()->shownCount() >= 1; }, 60000)) {
        err << "the long-run analysis did not finish\n";
        return 1;
    }
    const QDir out(args.at(2));
    for (int i = 0; tabs && i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        // The tab just shown is laid out by posted events; grab() then paints it.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        const QString file = out.filePath(QStringLiteral("tab%1.png").arg(i));
        if (!window.grab().save(file)) {
            err << "cannot write " << file << "\n";
            return 1;
        }
    }
    return 0;
}
