// The GPS options dialog: what it shows from the store, and what OK and
// Cancel leave in the store and in the session.
#include "TestSupport.h"
#include "app/SettingsStore.h"
#include "monitor/StationWindows.h"
#include "session/GpsOptionsDialog.h"
#include "session/StationSession.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

const QString kSection = QString::fromUtf16(SettingsStore::kGpsOptions);
const QString kMissing = QStringLiteral("<missing>");

} // namespace

class TestGpsOptionsDialog : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_store.emplace();
        m_session.emplace();
        m_messages.clear();
    }
    void cleanup() { delete m_dialog; }
    void load_data();
    void load();
    void ok_data();
    void ok();
    void arrowKeyMovesThePort();
    void cancel();

private:
    void store(const QString &key, const QString &value)
    {
        if (value != kMissing)
            m_store->put(kSection, key, value);
    }
    QString stored(const QString &key) const
    {
        return m_store->raw(kSection, key).value_or(kMissing);
    }
    GpsOptionsDialog *open()
    {
        return m_dialog = GpsOptionsDialog::showModeless(m_session->settings);
    }

    std::optional<StationSession> m_session;
    std::optional<TestStore> m_store;
    MessageRecorder m_messages;
    QPointer<GpsOptionsDialog> m_dialog;
};

void TestGpsOptionsDialog::load_data()
{
    QTest::addColumn<QString>("storedEnabled");
    QTest::addColumn<QString>("storedPort");
    QTest::addColumn<bool>("enabledBefore"); // in memory before the dialog opens
    QTest::addColumn<int>("portBefore");
    QTest::addColumn<bool>("enabled"); // the box, its port choice and the session
    QTest::addColumn<int>("checkedPort");
    QTest::addColumn<int>("gpsComPort");

    const auto row = [](const char *name, const QString &storedEnabled, const QString &storedPort,
                        bool enabledBefore, int portBefore, bool enabled, int checked, int port) {
        QTest::newRow(name) << storedEnabled << storedPort << enabledBefore << portBefore << enabled
                            << checked << port;
    };
    row("nothing stored", kMissing, kMissing, false, 0, false, 0, 0);
    row("nothing stored, chosen in this run", kMissing, kMissing, true, 2, true, 2, 2);
    row("enabled on Com 1", "True", "1", false, 0, true, 1, 1);
    row("enabled on Com 2", "True", "2", false, 0, true, 2, 2);
    row("stored port 0", "True", "0", true, 1, false, 0, 0);
    row("disabled, port kept", "False", "2", true, 0, false, 2, 2);
    row("lower-case true is not enabled", "true", "1", false, 0, false, 1, 1);
    row("unknown port number", "True", "3", false, 0, true, 0, 3);
    row("port read as a number", "True", "1.5", false, 0, true, 2, 2);
}

void TestGpsOptionsDialog::load()
{
    QFETCH(QString, storedEnabled);
    QFETCH(QString, storedPort);
    QFETCH(bool, enabledBefore);
    QFETCH(int, portBefore);
    QFETCH(bool, enabled);
    QFETCH(int, checkedPort);
    QFETCH(int, gpsComPort);
    store(QStringLiteral("GPS Enabled"), storedEnabled);
    store(QStringLiteral("ComPort"), storedPort);
    m_session->settings.gpsEnabled = enabledBefore;
    m_session->settings.gpsComPort = qint16(portBefore);

    GpsOptionsDialog *dialog = open();
    QCOMPARE(dialog->GPSEnabled->isChecked(), enabled);
    QCOMPARE(dialog->ComOne->isChecked(), checkedPort == 1);
    QCOMPARE(dialog->ComTwo->isChecked(), checkedPort == 2);
    for (QWidget *w :
         QWidgetList{dialog->ComOne, dialog->ComTwo, dialog->ComPort_label, dialog->Com2Device})
        QCOMPARE(w->isEnabled(), enabled);
    QCOMPARE(m_session->settings.gpsEnabled, enabled);
    QCOMPARE(int(m_session->settings.gpsComPort), gpsComPort);
}

void TestGpsOptionsDialog::ok_data()
{
    QTest::addColumn<QString>("storedPort");
    QTest::addColumn<QString>("storedDevice2");
    QTest::addColumn<QString>("shownDevice2");
    QTest::addColumn<bool>("checkBox");    // the box after the operator's clicks
    QTest::addColumn<int>("clickPort");    // 0: no port clicked, 3: gpsd
    QTest::addColumn<QString>("typed2");   // typed into the Com 2 field before OK
    QTest::addColumn<QStringList>("kept"); // GPS Enabled, ComPort, Com2Device afterwards

    const auto row = [](const char *name, const QString &port, const QString &device2,
                        const QString &shown2, bool box, int click, const QString &typed2,
                        const QStringList &kept) {
        QTest::newRow(name) << port << device2 << shown2 << box << click << typed2 << kept;
    };
    const QString s1 = QStringLiteral("/dev/ttyS1");
    const QString m = kMissing;
    // A refused OK stores nothing.
    row("box set, no port", m, m, s1, true, 0, m, {m, m, m});
    row("box set, stored port 0", "0", m, s1, true, 0, m, {m, "0", m});
    row("box cleared, no port", m, m, s1, false, 0, m, {"False", "0", s1});
    row("box cleared, port kept", "2", m, s1, false, 0, m, {"False", "2", s1});
    row("box set, Com 1", m, m, s1, true, 1, m, {"True", "1", s1});
    row("box set, USB receiver on Com 2", "1", "/dev/ttyUSB0", "/dev/ttyUSB0", true, 2, m,
        {"True", "2", "/dev/ttyUSB0"});
    row("Com 2 device typed", m, m, s1, true, 2, "/dev/ttyACM0", {"True", "2", "/dev/ttyACM0"});
    row("box set, gpsd instead of Com 1", "1", m, s1, true, 3, m, {"True", "0", s1});
    row("blank device means the default, typed one trimmed", m, "", s1, true, 2, " /dev/ttyUSB1 ",
        {"True", "2", "/dev/ttyUSB1"});
}

void TestGpsOptionsDialog::ok()
{
    QFETCH(QString, storedPort);
    QFETCH(QString, storedDevice2);
    QFETCH(QString, shownDevice2);
    QFETCH(bool, checkBox);
    QFETCH(int, clickPort);
    QFETCH(QString, typed2);
    QFETCH(QStringList, kept);
    store(QStringLiteral("ComPort"), storedPort);
    store(QStringLiteral("Com1Device"), QStringLiteral("  "));
    store(QStringLiteral("Com2Device"), storedDevice2);

    GpsOptionsDialog *dialog = open();
    QCOMPARE(dialog->Com1Device->currentText(), QStringLiteral("/dev/ttyS0"));
    QCOMPARE(dialog->Com2Device->currentText(), shownDevice2);
    if (dialog->GPSEnabled->isChecked() != checkBox)
        QTest::mouseClick(dialog->GPSEnabled, Qt::LeftButton);
    // A second click on the chosen port keeps it chosen; the other one is cleared.
    for (int click = 0; clickPort != 0 && click < 2; ++click)
        QTest::mouseClick(
            QList<QWidget *>{dialog->ComOne, dialog->ComTwo, dialog->GpsdOption}.at(clickPort - 1),
            Qt::LeftButton);
    if (clickPort != 0)
        QCOMPARE(dialog->ComOne->isChecked(), clickPort == 1);
    QCOMPARE(dialog->Com2Device->isEnabled(), checkBox);
    if (typed2 != kMissing)
        dialog->Com2Device->setCurrentText(typed2);
    QTest::mouseClick(dialog->OKButton, Qt::LeftButton);

    const bool refused = kept[0] == kMissing;
    QCOMPARE(dialog->isVisible(), refused);
    QCOMPARE(m_messages.messages.size(), refused ? 1 : 0);
    QCOMPARE(QStringList({stored(QStringLiteral("GPS Enabled")), stored(QStringLiteral("ComPort")),
                          stored(QStringLiteral("Com2Device"))}),
             kept);
    QCOMPARE(stored(QStringLiteral("Com1Device")), refused ? "  " : "/dev/ttyS0");
    // The daemon chosen is no port left unchosen: the next dialog keeps GPS on.
    delete m_dialog.data();
    QCOMPARE(open()->GpsdOption->isChecked() && m_dialog->GPSEnabled->isChecked(), clickPort == 3);
}

// The ports are one group: an arrow key moves the choice, as a click does.
void TestGpsOptionsDialog::arrowKeyMovesThePort()
{
    store(QStringLiteral("GPS Enabled"), QStringLiteral("True"));
    store(QStringLiteral("ComPort"), QStringLiteral("1"));
    GpsOptionsDialog *dialog = open();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    dialog->ComOne->setFocus();
    QTest::keyClick(dialog->ComOne, Qt::Key_Down);
    QVERIFY(dialog->ComTwo->isChecked() && !dialog->ComOne->isChecked());
    QCOMPARE(int(m_session->settings.gpsComPort), 2);
}

void TestGpsOptionsDialog::cancel()
{
    store(QStringLiteral("GPS Enabled"), QStringLiteral("False"));
    store(QStringLiteral("ComPort"), QStringLiteral("1"));
    GpsOptionsDialog *dialog = open();
    QTest::mouseClick(dialog->GPSEnabled, Qt::LeftButton);
    QVERIFY(m_session->settings.gpsEnabled);
    dialog->Com1Device->setCurrentText(QStringLiteral("/dev/ttyUSB0"));

    QTest::mouseClick(dialog->CancelButton, Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QVERIFY(!m_session->settings.gpsEnabled);
    QVERIFY(!dialog->GPSEnabled->isChecked() && !dialog->ComTwo->isEnabled());
    QVERIFY(!dialog->ComOne->isChecked() && !dialog->ComTwo->isChecked());
    QCOMPARE(stored(QStringLiteral("GPS Enabled")), QStringLiteral("False"));
    QCOMPARE(stored(QStringLiteral("ComPort")), QStringLiteral("1"));
    QCOMPARE(stored(QStringLiteral("Com1Device")), kMissing);
    QVERIFY(m_messages.messages.isEmpty());
}

QTEST_MAIN(TestGpsOptionsDialog)
#include "tst_gpsoptionsdialog.moc"
