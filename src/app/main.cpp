#include "app/mainwindow.h"
#include "app/uifont.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The secondary windows never keep the program alive: it ends with the main window.
    QApplication::setQuitOnLastWindowClosed(false);
    tandor28::applyApplicationFont();

    tandor28::MainWindow window;
    if (window.start() != tandor28::StartOutcome::Running)
        return 0;
    window.show();
    return QApplication::exec();
}
