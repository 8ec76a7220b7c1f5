#include "TestStation.h"
#include "display/HelpWindow.h"
#include "session/RemoteSelectionDialog.h"

#include <QApplication>
#include <QtTest>

class TestHelpWindow : public QObject
{
    Q_OBJECT
private slots:
    void keysOpenAndClose_data();
    void keysOpenAndClose();
};

void TestHelpWindow::keysOpenAndClose_data()
{
    QTest::addColumn<QKeySequence>("closeKey");
    QTest::newRow("Escape") << QKeySequence(Qt::Key_Escape);
    QTest::newRow("Ctrl+W") << QKeySequence(Qt::CTRL | Qt::Key_W);
}

// F1 in the remote-selection dialog opens the help on its topics, one help
// window however often it is asked for; the help's own keys close it.
void TestHelpWindow::keysOpenAndClose()
{
    QFETCH(QKeySequence, closeKey);
    TestStation station;
    RemoteSelectionDialog *dialog = station.windows.showRemoteSelection();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    QTest::keyClick(dialog, Qt::Key_F1);
    QPointer<HelpWindow> help;
    for (QWidget *w : QApplication::topLevelWidgets())
        help = w->isVisible() && qobject_cast<HelpWindow *>(w) ? qobject_cast<HelpWindow *>(w)
                                                               : help.data();
    QVERIFY(help);
    QCOMPARE(HelpWindow::showTopics(), help.data());
    const QStringList topics = help->topicTitles();
    for (const char *subject : {"Choosing a remote", "Connection state and lamps", "GPS"})
        QVERIFY2(topics.contains(QLatin1String(subject)), subject);

    QVERIFY(QTest::qWaitForWindowActive(help));
    QTest::keySequence(help, closeKey);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!help);
    QVERIFY(dialog->isVisible());
}

QTEST_MAIN(TestHelpWindow)
#include "tst_helpwindow.moc"
