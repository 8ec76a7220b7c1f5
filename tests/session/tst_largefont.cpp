// Every window of the station with twice the font: texts whole, no control
// covering another, no list scrolling, no menu folded away; and each menu
// entry keeps an accelerator of its own.
#include "TestStation.h"
#include "display/AlignmentWindow.h"
#include "display/HelpWindow.h"
#include "display/RssiThresholdDialog.h"
#include "display/SnrThresholdDialog.h"
#include "lock/LockWindow.h"
#include "session/AboutBox.h"
#include "session/GpsOptionsDialog.h"
#include "session/NetworkOptionsDialog.h"
#include "session/RemoteSelectionDialog.h"
#include "stream/ArdixMonitor.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QtTest>

namespace {

// A label or button is the size of its text, bevel and indicator at least.
bool textCut(const QWidget *w)
{
    const auto *label = qobject_cast<const QLabel *>(w);
    if (label && label->wordWrap())
        return w->height() < label->heightForWidth(w->width());
    const QSize least = w->minimumSizeHint();
    const bool textual = label || qobject_cast<const QAbstractButton *>(w);
    return textual && (w->width() < least.width() || w->height() < least.height());
}

// Controls side by side in one window or panel do not cover each other.
QStringList overlaps(const QWidget *w)
{
    QStringList found;
    const QWidget *parent = w->parentWidget();
    for (const QWidget *other : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (other != w && other->isVisibleTo(parent) && other->geometry().intersects(w->geometry()))
            found << w->objectName() + QLatin1String(" covers ") + other->objectName();
    }
    return found;
}

QStringList faults(QWidget *window)
{
    QStringList found;
    for (const QWidget *w : window->findChildren<QWidget *>()) {
        if (w->isVisibleTo(window) && textCut(w))
            found << w->objectName() + QLatin1String(" clipped");
        if (w->isVisibleTo(window) && !w->isWindow())
            found << overlaps(w);
        const auto *label = qobject_cast<const QLabel *>(w);
        if (label && !QKeySequence::mnemonic(label->text()).isEmpty() && !label->buddy())
            found << w->objectName() + QLatin1String(" has an accelerator that leads nowhere");
        auto *list = qobject_cast<const QListWidget *>(w);
        if (list && list->verticalScrollBar()->isVisible())
            found << w->objectName() + QLatin1String(" scrolls");
        for (int row = 0; list && row < list->count(); ++row) {
            if (list->sizeHintForIndex(list->model()->index(row, 0)).width() >
                list->viewport()->width())
                found << list->item(row)->text() + QLatin1String(" cut");
        }
    }
    QList<QList<QAction *>> groups;
    for (QMenuBar *bar : window->findChildren<QMenuBar *>()) {
        if (bar->width() < bar->sizeHint().width())
            found << QStringLiteral("menu bar folded");
        groups << bar->actions();
    }
    for (QMenu *menu : window->findChildren<QMenu *>())
        groups << menu->actions();
    for (const QList<QAction *> &group : groups) {
        QSet<QKeySequence> keys;
        for (QAction *a : group) {
            const QKeySequence key = QKeySequence::mnemonic(a->text());
            if (!a->isSeparator() && (key.isEmpty() || keys.contains(key)))
                found << QLatin1String("no accelerator of its own: ") + a->text();
            keys.insert(key);
        }
    }
    return found;
}

// Opens a window as the operator sees it with the most it can show.
using Opener = std::function<QWidget *(TestStation &)>;

QWidget *selection(TestStation &station, RemoteSelectionDialog::Row family)
{
    RemoteSelectionDialog *dialog = station.windows.showRemoteSelection();
    dialog->listOfRadios->setCurrentRow(family);
    dialog->remoteIPCombo->setEditText(RemoteSelectionDialog::kAddIpAddress);
    dialog->remoteIPCombo_Click();
    return dialog;
}

QWidget *monitoring(TestStation &station)
{
    auto *form = new MonitoringWindow(station.session, station.windows);
    station.session.monitor.trafficViewState = 1; // as the load leaves it
    part<QAction>(form, "Traffic_History_Chart")->trigger();
    part<QAction>(form, "ViewSNR")->trigger();
    emit form->ardixMonitor->signalWidgetsShown(true);
    emit form->ardixMonitor->waitingNoticeShown(false); // the readings take its place
    return form;
}

} // namespace

class TestLargeFont : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QFont font = QApplication::font();
        font.setPointSizeF(font.pointSizeF() * 2);
        QApplication::setFont(font);
    }
    void textsFit_data()
    {
        QTest::addColumn<Opener>("open");
        QTest::addColumn<QStringList>("captions");
        const ThresholdLink link{{}, {}, QStringLiteral("-100")};
        const auto row = [](const char *name, const Opener &open,
                            const QStringList &captions = {}) {
            QTest::newRow(name) << open << captions;
        };
        row("remote selection, Velto",
            [](TestStation &s) { return selection(s, RemoteSelectionDialog::Velto100Row); });
        row("remote selection, Ardix",
            [](TestStation &s) { return selection(s, RemoteSelectionDialog::ArdixRow); });
        row("GPS options", [](TestStation &s) { return new GpsOptionsDialog(s.session.settings); });
        row("network options",
            [](TestStation &s) { return new NetworkOptionsDialog(s.session.settings); });
        row("about", [](TestStation &) { return new AboutBox(AboutBox::Kind::VeltoMonitoring); },
            {"Kavo Connectivity Window", "Version: 1.1.6"});
        row("RSSI threshold", [link](TestStation &) { return new RssiThresholdDialog(link); });
        row("SNR threshold", [link](TestStation &) { return new SnrThresholdDialog(link); });
        row("help", [](TestStation &) { return HelpWindow::showTopics(); });
        row("alignment",
            [](TestStation &s) { return new AlignmentWindow(s.session.settings, s.session.link); });
        row("lock", [](TestStation &) { return LockWindow::load(); });
        row("monitoring, chart and SNR shown", monitoring);
    }
    void textsFit()
    {
        QFETCH(QStringList, captions); // shown whole in labels of their own
        TestStation station;
        QWidget *window = fetched<Opener>("open")(station);
        // The station's own dialog stays with the station; the others go with the test.
        std::unique_ptr<QWidget> own(window == station.windows.snifferForm() ? nullptr : window);
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCoreApplication::processEvents();
        QStringList found = faults(window);
        for (const QLabel *label : window->findChildren<QLabel *>()) {
            if (label->isVisibleTo(window))
                captions.removeAll(label->text());
        }
        found << captions;
        QVERIFY2(found.isEmpty(), qPrintable(found.join(u", ")));
    }
};

QTEST_MAIN(TestLargeFont)
#include "tst_largefont.moc"
