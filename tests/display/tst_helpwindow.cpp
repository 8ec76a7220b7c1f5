#include "TestSupport.h"
#include "display/HelpWindow.h"
#include "monitor/StationWindows.h"
#include "session/RemoteSelectionDialog.h"
#include "session/StationSession.h"

#include <QApplication>
#include <QtTest>

namespace {

HelpWindow *shownHelp()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("helpWindow") && w->isVisible())
            return qobject_cast<HelpWindow *>(w);
    }
    return nullptr;
}

} // namespace

class TestHelpWindow : public QObject
{
    Q_OBJECT
private slots:
    void topicsListEveryOperatorSubject();
    void keysOpenAndClose_data();
    void keysOpenAndClose();
};

void TestHelpWindow::topicsListEveryOperatorSubject()
{
    QVERIFY(HelpWindow::helpFilePath().endsWith(QLatin1String("/KAVOCONNECTIVITYWINDOW.HLP")));
    HelpWindow *window = HelpWindow::showTopics();
    const QStringList topics = window->topicTitles();
    for (const char *subject : {"Choosing a remote", "Reading the meters and scales",
                                "Connection state and lamps", "Messages and what to do", "Logging",
                                "GPS", "Locking the station", "Where settings and logs live"})
        QVERIFY2(topics.contains(QLatin1String(subject)), subject);
    QCOMPARE(HelpWindow::showTopics(), window); // one help window, raised again
    window->close();
}

void TestHelpWindow::keysOpenAndClose_data()
{
    QTest::addColumn<QKeySequence>("closeKey");
    QTest::newRow("Escape") << QKeySequence(Qt::Key_Escape);
    QTest::newRow("Ctrl+W") << QKeySequence(Qt::CTRL | Qt::Key_W);
}

// F1 in the remote-selection dialog opens the help; the help's own keys close it.
void TestHelpWindow::keysOpenAndClose()
{
    QFETCH(QKeySequence, closeKey);
    TestStore store;
    StationSession session;
    StationWindows station(session);
    RemoteSelectionDialog *dialog = station.showRemoteSelection();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    QTest::keyClick(dialog, Qt::Key_F1);
    QPointer<HelpWindow> help = shownHelp();
    QVERIFY(help);
    QVERIFY(QTest::qWaitForWindowActive(help));
    QTest::keySequence(help, closeKey);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!help);
    QVERIFY(dialog->isVisible());
    dialog->close();
}

QTEST_MAIN(TestHelpWindow)
#include "tst_helpwindow.moc"
