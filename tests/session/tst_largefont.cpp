// Every dialog with twice the font: texts whole, no control on another, no
// list scrolling, no menu folded, the window within the screen.
#include "TestSupport.h"
#include "display/RssiThresholdDialog.h"
#include "display/SnrThresholdDialog.h"
#include "monitor/StationWindows.h"
#include "session/AboutBox.h"
#include "session/GpsOptionsDialog.h"
#include "session/NetworkOptionsDialog.h"
#include "session/RemoteSelectionDialog.h"
#include "session/StationSession.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QScrollBar>
#include <QtTest>

namespace {

bool tooSmall(const QWidget *w)
{
    const auto *label = qobject_cast<const QLabel *>(w);
    if (label && label->wordWrap())
        return w->height() < label->heightForWidth(w->width());
    const QSize least = w->minimumSizeHint();
    const bool textual = label || qobject_cast<const QAbstractButton *>(w);
    return w->height() < least.height() || (textual && w->width() < least.width());
}

QStringList faults(QWidget *window)
{
    QStringList found;
    QWidgetList shown;
    for (QWidget *w : window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (!w->isVisible() || w->objectName().isEmpty())
            continue;
        if (tooSmall(w))
            found << w->objectName() + QLatin1String(" clipped");
        for (QWidget *other : shown) {
            if (w->geometry().intersects(other->geometry()))
                found << w->objectName() + QLatin1String(" on ") + other->objectName();
        }
        shown << w;
        if (auto *list = qobject_cast<QListWidget *>(w);
            list && list->verticalScrollBar()->isVisible())
            found << w->objectName() + QLatin1String(" scrolls");
        if (auto *bar = qobject_cast<QMenuBar *>(w); bar && bar->width() < bar->sizeHint().width())
            found << QStringLiteral("menu bar folded");
    }
    if (window->width() > 1366 || window->height() > 768)
        found << QStringLiteral("larger than the screen");
    return found;
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
        QTest::addColumn<int>("dialog");
        int row = 0;
        for (const char *name :
             {"remote selection, Velto", "remote selection, Ardix", "GPS options",
              "network options", "about", "RSSI threshold", "SNR threshold"})
            QTest::newRow(name) << row++;
    }
    void textsFit()
    {
        QFETCH(int, dialog);
        TestStore store;
        StationSession session;
        StationWindows windows(session);
        std::unique_ptr<QWidget> other;
        QWidget *window = nullptr;
        if (dialog < 2) {
            RemoteSelectionDialog *selection = windows.showRemoteSelection();
            selection->listOfRadios->setCurrentRow(dialog == 0 ? RemoteSelectionDialog::Velto100Row
                                                               : RemoteSelectionDialog::ArdixRow);
            selection->remoteIPCombo->setEditText(RemoteSelectionDialog::kAddIpAddress);
            selection->remoteIPCombo_Click();
            window = selection;
        } else {
            const ThresholdLink link{{}, {}, QStringLiteral("-100")};
            switch (dialog) {
            case 2:
                other = std::make_unique<GpsOptionsDialog>(session.settings);
                break;
            case 3:
                other = std::make_unique<NetworkOptionsDialog>(session.settings);
                break;
            case 4:
                other = std::make_unique<AboutBox>(AboutBox::Kind::VeltoMonitoring);
                break;
            case 5:
                other = std::make_unique<RssiThresholdDialog>(link);
                break;
            default:
                other = std::make_unique<SnrThresholdDialog>(link);
                break;
            }
            window = other.get();
        }
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(faults(window), QStringList());
        if (dialog < 2)
            windows.closeSelection();
    }
};

QTEST_MAIN(TestLargeFont)
#include "tst_largefont.moc"
