// What a session keeps: the GPS and network options dialogs (what they show
// from the store, what OK and Cancel leave in the store and in the session),
// the command line, and what the remote-selection dialog keeps in the store
// beside its controls (the address list, the first use of a family for
// logging).
#include "TestSupport.h"
#include "app/Records.h"
#include "app/SettingsStore.h"
#include "session/CommandLine.h"
#include "session/GpsOptionsDialog.h"
#include "session/NetworkOptionsDialog.h"
#include "session/StoredSession.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
const QString kMissing = u"<missing>"_s;

// One visit of the GPS options dialog: what the store and the run hold
// before, what it shows, what the operator does, what is stored afterwards.
struct GpsVisit
{
    QString storedEnabled, storedPort;
    bool enabledBefore; // the run's choice before the dialog opens
    int portBefore;
    bool shownEnabled; // the box at load, and the run's choice
    int shownPort;     // the port button checked at load, 0: none
    int runPort;       // the run's port after the load
    bool checkBox;     // the box after the operator's clicks
    int clickPort;     // clicked twice; 0: none, 3: gpsd
    QString typed2;    // typed into the Com 2 field before OK
    QStringList kept;  // GPS Enabled, ComPort, Com2Device afterwards
};

} // namespace

class TestSessionSettings : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_store.emplace();
        m_settings = {};
        m_messages.clear();
    }
    void cleanup() { delete m_dialog; }
    void gps_data()
    {
        QTest::addColumn<GpsVisit>("visit");
        const QString s1 = u"/dev/ttyS1"_s; // the default shown for the blank device
        const QString m = kMissing;
        QTest::newRow("nothing stored, chosen in this run; a typed device trimmed") << GpsVisit{
            m, m, true, 2, true, 2, 2, true, 2, " /dev/ttyUSB1 ", {"True", "2", "/dev/ttyUSB1"}};
        QTest::newRow("enabled on Com 1, gpsd instead")
            << GpsVisit{"True", "1", false, 0, true, 1, 1, true, 3, m, {"True", "0", s1}};
        // A refused OK stores nothing: the blank device stays blank.
        QTest::newRow("stored port 0 turns GPS off; on again with no port")
            << GpsVisit{"True", "0", true, 1, false, 0, 0, true, 0, m, {"True", "0", ""}};
        QTest::newRow("disabled, port kept")
            << GpsVisit{"False", "2", true, 0, false, 2, 2, false, 0, m, {"False", "2", s1}};
        QTest::newRow("unknown port number, Com 1 chosen")
            << GpsVisit{"True", "3", false, 0, true, 0, 3, true, 1, m, {"True", "1", s1}};
    }

    void gps()
    {
        const auto &[storedEnabled, storedPort, enabledBefore, portBefore, shownEnabled, shownPort,
                     runPort, checkBox, clickPort, typed2, kept] = fetched<GpsVisit>("visit");
        store(u"GPS Enabled"_s, storedEnabled);
        store(u"ComPort"_s, storedPort);
        store(u"Com1Device"_s, u"  "_s);
        store(u"Com2Device"_s, QString());
        m_settings.gpsEnabled = enabledBefore;
        m_settings.gpsComPort = qint16(portBefore);

        GpsOptionsDialog *dialog = open();
        QCOMPARE(dialog->GPSEnabled->isChecked(), shownEnabled);
        QCOMPARE(dialog->ComOne->isChecked(), shownPort == 1);
        QCOMPARE(dialog->ComTwo->isChecked(), shownPort == 2);
        QCOMPARE(m_settings.gpsEnabled, shownEnabled);
        QCOMPARE(int(m_settings.gpsComPort), runPort);
        if (dialog->GPSEnabled->isChecked() != checkBox)
            QTest::mouseClick(dialog->GPSEnabled, Qt::LeftButton);
        // A second click on the chosen port keeps it chosen; the other one is cleared.
        QWidget *port =
            QWidgetList{dialog->ComOne, dialog->ComTwo, dialog->GpsdOption}.value(clickPort - 1);
        for (int click = 0; port && click < 2; ++click)
            QTest::mouseClick(port, Qt::LeftButton);
        if (port)
            QCOMPARE(dialog->ComOne->isChecked(), clickPort == 1);
        QCOMPARE(dialog->Com2Device->isEnabled(), checkBox);
        if (typed2 != kMissing)
            dialog->Com2Device->setCurrentText(typed2);
        QTest::mouseClick(dialog->OKButton, Qt::LeftButton);

        const bool refused = kept[2].isEmpty(); // the blank device as it was stored
        QCOMPARE(dialog->isVisible(), refused);
        QCOMPARE(m_messages.messages.size(), refused ? 1 : 0);
        QCOMPARE(
            QStringList({stored(u"GPS Enabled"_s), stored(u"ComPort"_s), stored(u"Com2Device"_s)}),
            kept);
        QCOMPARE(stored(u"Com1Device"_s), refused ? "  " : "/dev/ttyS0");
        // The daemon chosen is no port left unchosen: the next dialog keeps GPS on.
        delete m_dialog.data();
        QCOMPARE(open()->GpsdOption->isChecked() && m_dialog->GPSEnabled->isChecked(),
                 clickPort == 3);
    }

    // The ports are one group: an arrow key moves the choice, as a click does.
    // Cancel turns GPS off for the run and clears the port choice.
    void gpsArrowKeyThenCancel()
    {
        store(u"GPS Enabled"_s, u"True"_s);
        store(u"ComPort"_s, u"1"_s);
        GpsOptionsDialog *dialog = open();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        dialog->ComOne->setFocus();
        QTest::keyClick(dialog->ComOne, Qt::Key_Down);
        QVERIFY(dialog->ComTwo->isChecked() && !dialog->ComOne->isChecked());
        QCOMPARE(int(m_settings.gpsComPort), 2);

        QTest::mouseClick(dialog->CancelButton, Qt::LeftButton);
        QVERIFY(!dialog->isVisible() && !m_settings.gpsEnabled);
        QVERIFY(!dialog->GPSEnabled->isChecked() && !dialog->ComTwo->isEnabled());
        QVERIFY(!dialog->ComOne->isChecked() && !dialog->ComTwo->isChecked());
    }

    // A missing string shows its default, a stored empty one shows empty; the
    // write community stays hidden until asked for; OK keeps any text.
    void communities()
    {
        SettingsStore::writePreference(u"SNMPReadCommString"_s, QString());
        NetworkOptionsDialog form(m_settings);
        QCOMPARE(form.SNMPReadCommunityString->text(), QString());
        QCOMPARE(form.SNMPWriteCommunityString->echoMode(), QLineEdit::Password);
        form.showWriteCommunity->setChecked(true);
        QCOMPARE(form.SNMPWriteCommunityString->echoMode(), QLineEdit::Normal);
        form.SNMPReadCommunityString->setText(u"field"_s);
        form.SNMPWriteCommunityString->setText(u"s3cret"_s);
        form.OKButton_Click();
        QCOMPARE(preference(u"SNMPWriteCommString"_s), u"s3cret"_s);
        QCOMPARE(m_settings.writeCommunity, u"s3cret"_s);
        QCOMPARE(m_settings.readCommunity, u"field"_s);
    }

    void commandLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("result"); // the outcome, or the remote started
        const auto row = [](const char *line, const char *result) {
            QTest::newRow(line) << QString(line) << QString(result);
        };
        row("-platform offscreen -reverse", "run");
        row("--help", "help");
        row("--version", "version");
        row("--remote velto:10.20.30.40", "velto 10.20.30.40");
        row("-style fusion --remote=ardix:30000", "ardix 30000");
        row("--remote ardix:29999", "refused");
        row("--remote ardix:60001", "refused");
        row("--remote velto:", "refused");
        row("--remote velto:10.0.0.1;reboot", "refused");
        row("--remote torvik:10.0.0.1", "refused");
        row("--remote", "refused");
    }

    void commandLine()
    {
        const CommandLine::Reading reading =
            CommandLine::read(QStringList{QStringLiteral("kavo-station")} +
                              fetched<QString>("line").split(u' ', Qt::SkipEmptyParts));
        const char *outcomes[] = {"run", "help", "version", "refused"};
        QString got = QLatin1String(outcomes[int(reading.outcome)]);
        if (reading.remote)
            got = reading.remote->kind == RemoteKind::Ardix
                      ? QStringLiteral("ardix %1").arg(reading.remote->destPort)
                      : QStringLiteral("velto ") + reading.remote->address;
        QTEST(got, "result");
        // Help, version and refusals have something to say; a start has not.
        QCOMPARE(reading.text.isEmpty(), reading.outcome == CommandLine::Reading::Outcome::Run);
    }

    void addressList_data()
    {
        QTest::addColumn<QString>("count");
        QTest::addColumn<int>("entries");      // loaded
        QTest::addColumn<QString>("storedAs"); // the key of one more, empty: none taken
        QTest::newRow("zero loads nothing and does not re-initialise") << "0" << 0 << "1";
        QTest::newRow("leading number") << "2 entries" << 2 << "3";
        QTest::newRow("last place of the list") << "32766" << 32766 << "32767";
        QTest::newRow("full list") << "32767" << 32767 << "";
        QTest::newRow("highest 32-bit count") << "2147483647" << 32767 << "";
        QTest::newRow("beyond 32 bits") << "1e99" << 32767 << "";
        QTest::newRow("negative count") << "-3" << 0 << "";
    }

    void addressList()
    {
        QFETCH(QString, count);
        QFETCH(QString, storedAs);
        SettingsStore::writePreference("NumberOfIPAddressed", count);
        SettingsStore::writePreference("1", "Add IP Address");
        SettingsStore::writePreference("2", "10.1.1.1");
        QTEST(int(StoredSession::loadAddressList().size()), "entries");
        StoredSession::appendAddress("10.0.0.7");
        QCOMPARE(preference("NumberOfIPAddressed"), storedAs.isEmpty() ? count : storedAs);
        QCOMPARE(preference(storedAs.isEmpty() ? "2" : storedAs),
                 storedAs.isEmpty() ? "10.1.1.1" : "10.0.0.7");
    }

    void firstUseOfFamilyForLogging_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("storedName");
        QTest::addColumn<QString>("expectedName");
        QTest::addColumn<QString>("expectedEnabled");
        QTest::newRow("Ardix, first use")
            << u"Ardix"_s << QString() << u"ArdixMonitoring_Log.txt"_s << u"True"_s;
        QTest::newRow("Velto, name already chosen")
            << u"Velto"_s << u"/logs/v.txt"_s << u"/logs/v.txt"_s << u"False"_s;
        QTest::newRow("unknown family writes nothing")
            << u"Torvik"_s << QString() << kMissing << u"False"_s;
    }

    void firstUseOfFamilyForLogging()
    {
        QFETCH(QString, choice);
        QFETCH(QString, storedName);
        const QString key = choice + " LogName";
        SettingsStore::writePreference("logEnabledValue", "False");
        if (!storedName.isEmpty())
            SettingsStore::writePreference(key, storedName);
        StoredSession::firstUseOfFamilyForLogging(choice);
        QTEST(preference(key).value_or(kMissing), "expectedName");
        QTEST(preference("logEnabledValue").value_or(kMissing), "expectedEnabled");
    }

private:
    void store(const QString &key, const QString &value)
    {
        if (value != kMissing)
            m_store->put(u"GPS Options"_s, key, value);
    }
    QString stored(const QString &key) const
    {
        return m_store->raw(u"GPS Options"_s, key).value_or(kMissing);
    }
    GpsOptionsDialog *open() { return m_dialog = GpsOptionsDialog::showModeless(m_settings); }
    std::optional<QString> preference(const QString &key) const
    {
        return m_store->raw(u"Preferences"_s, key);
    }

    std::optional<TestStore> m_store;
    SessionSettings m_settings;
    MessageRecorder m_messages;
    QPointer<GpsOptionsDialog> m_dialog;
};

QTEST_MAIN(TestSessionSettings)
#include "tst_sessionsettings.moc"
