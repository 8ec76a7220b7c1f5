#include "app/MessageBoxPresenter.h"
#include "app/StationIcons.h"
#include "app/StationWindows.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kavo Connectivity Window"));
    QApplication::setApplicationVersion(QStringLiteral("1.1.6"));
    QApplication::setDesktopFileName(QStringLiteral("kavo-station"));
    QApplication::setWindowIcon(StationIcons::product());
    // The station decides itself when it ends: the monitoring window closes
    // the remote-selection dialog while it opens, and may bring it back.
    QApplication::setQuitOnLastWindowClosed(false);
    MessageBoxPresenter::install();

    StationWindows::showSnifferForm();
    return QApplication::exec();
}
