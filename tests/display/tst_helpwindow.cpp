#include "TestSupport.h"
#include "display/HelpWindow.h"
#include "monitor/StationWindows.h"
#include "session/RemoteSelectionDialog.h"
#include "session/StationSession.h"

#include <QAction>
#include <QApplication>
#include <QtTest>

class TestHelpWindow : public QObject
{
    Q_OBJECT
private slots:
    void topicsListEveryOperatorSubject();
    void f1InTheDialogOpensTheTopics();
};

void TestHelpWindow::topicsListEveryOperatorSubject()
{
    QVERIFY(HelpWindow::helpFilePath().endsWith(QLatin1String("/KAVOCONNECTIVITYWINDOW.HLP")));
    HelpWindow *window = HelpWindow::showTopics();
    QVERIFY(window->hasContent());
    const QStringList topics = window->topicTitles();
    for (const char *subject : {"Choosing a remote", "Reading the meters and scales",
                                "Connection state and lamps", "Messages and what to do", "Logging",
                                "GPS", "Locking the station", "Where settings and logs live"})
        QVERIFY2(topics.contains(QLatin1String(subject)), subject);
    QCOMPARE(HelpWindow::showTopics(), window); // one help window, raised again
    window->close();
}

void TestHelpWindow::f1InTheDialogOpensTheTopics()
{
    TestStore store;
    StationSession session;
    StationWindows station(session);
    RemoteSelectionDialog *dialog = station.showRemoteSelection();
    QCOMPARE(dialog->helpTopics->shortcut(), QKeySequence(Qt::Key_F1));
    dialog->helpTopics->trigger();
    const auto windows = QApplication::topLevelWidgets();
    const bool shown = std::any_of(windows.begin(), windows.end(), [](QWidget *w) {
        return w->objectName() == QLatin1String("helpWindow") && w->isVisible();
    });
    QVERIFY(shown);
    dialog->close();
}

QTEST_MAIN(TestHelpWindow)
#include "tst_helpwindow.moc"
