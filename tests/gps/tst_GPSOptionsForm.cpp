// The GPS options dialog: what it shows from the store, and what OK and
// Cancel leave in the store and in the session.
#include "TestSupport.h"
#include "app/Records.h"
#include "app/SettingsStore.h"
#include "gps/GPSOptionsForm.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

const QString kSection = QString::fromUtf16(SettingsStore::kGpsOptions);
const QString kMissing = QStringLiteral("<missing>");

QString rawOr(const TestStore &store, const QString &key)
{
    return store.raw(kSection, key).value_or(kMissing);
}

} // namespace

class TestGPSOptionsForm : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void load_data();
    void load();
    void portClicks();
    void ok_data();
    void ok();
    void cancel();
    void devicePaths_data();
    void devicePaths();

private:
    GPSOptionsForm *openDialog();
    void store(const QString &key, const QString &value)
    {
        if (value != kMissing)
            m_store->put(kSection, key, value);
    }

    std::unique_ptr<TestStore> m_store;
    std::unique_ptr<MessageRecorder> m_messages;
    QPointer<GPSOptionsForm> m_dialog;
};

void TestGPSOptionsForm::init()
{
    m_store = std::make_unique<TestStore>();
    m_messages = std::make_unique<MessageRecorder>();
}

void TestGPSOptionsForm::cleanup()
{
    delete m_dialog;
    m_messages.reset();
    m_store.reset();
}

GPSOptionsForm *TestGPSOptionsForm::openDialog()
{
    m_dialog = GPSOptionsForm::showModeless();
    return m_dialog;
}

void TestGPSOptionsForm::load_data()
{
    QTest::addColumn<QString>("storedEnabled");
    QTest::addColumn<QString>("storedPort");
    QTest::addColumn<bool>("enabledBefore"); // in memory before the dialog opens
    QTest::addColumn<int>("portBefore");
    QTest::addColumn<bool>("boxSet");
    QTest::addColumn<bool>("comOne");
    QTest::addColumn<bool>("comTwo");
    QTest::addColumn<bool>("gpsEnabled");
    QTest::addColumn<int>("gpsComPort");

    QTest::newRow("nothing stored") << kMissing << kMissing << false << 0 //
                                    << false << false << false << false << 0;
    QTest::newRow("nothing stored, chosen in this run") << kMissing << kMissing << true << 2 //
                                                        << true << false << true << true << 2;
    QTest::newRow("enabled on Com 1") << "True"
                                      << "1" << false << 0 //
                                      << true << true << false << true << 1;
    QTest::newRow("enabled on Com 2") << "True"
                                      << "2" << false << 0 //
                                      << true << false << true << true << 2;
    QTest::newRow("stored port 0") << "True"
                                   << "0" << true << 1 //
                                   << false << false << false << false << 0;
    QTest::newRow("disabled, port kept") << "False"
                                         << "2" << true << 0 //
                                         << false << false << true << false << 2;
    QTest::newRow("lower-case true is not enabled") << "true"
                                                    << "1" << false << 0 //
                                                    << false << true << false << false << 1;
    QTest::newRow("unknown port number") << "True"
                                         << "3" << false << 0 //
                                         << true << false << false << true << 3;
    QTest::newRow("port read as a number") << "True"
                                           << "1.5" << false << 0 //
                                           << true << false << true << true << 2;
}

void TestGPSOptionsForm::load()
{
    QFETCH(QString, storedEnabled);
    QFETCH(QString, storedPort);
    QFETCH(bool, enabledBefore);
    QFETCH(int, portBefore);
    QFETCH(bool, boxSet);
    QFETCH(bool, comOne);
    QFETCH(bool, comTwo);
    QFETCH(bool, gpsEnabled);
    QFETCH(int, gpsComPort);
    store(QStringLiteral("GPS Enabled"), storedEnabled);
    store(QStringLiteral("ComPort"), storedPort);
    sessionSettings.gpsEnabled = enabledBefore;
    sessionSettings.gpsComPort = static_cast<qint16>(portBefore);

    GPSOptionsForm *dialog = openDialog();
    QCOMPARE(dialog->windowTitle(), QStringLiteral("GPS Options"));
    QCOMPARE(dialog->GPSEnabled->isChecked(), boxSet);
    QCOMPARE(dialog->ComOne->isChecked(), comOne);
    QCOMPARE(dialog->ComTwo->isChecked(), comTwo);
    for (QWidget *w :
         {static_cast<QWidget *>(dialog->ComOne), static_cast<QWidget *>(dialog->ComTwo),
          static_cast<QWidget *>(dialog->ComPort_label)})
        QCOMPARE(w->isEnabled(), boxSet);
    QCOMPARE(sessionSettings.gpsEnabled, gpsEnabled);
    QCOMPARE(int(sessionSettings.gpsComPort), gpsComPort);
}

void TestGPSOptionsForm::portClicks()
{
    m_store->put(kSection, QStringLiteral("GPS Enabled"), QStringLiteral("True"));
    m_store->put(kSection, QStringLiteral("ComPort"), QStringLiteral("3"));
    GPSOptionsForm *dialog = openDialog();

    QTest::mouseClick(dialog->ComOne, Qt::LeftButton);
    QCOMPARE(int(sessionSettings.gpsComPort), 1);
    QTest::mouseClick(dialog->ComTwo, Qt::LeftButton);
    QCOMPARE(int(sessionSettings.gpsComPort), 2);
    QVERIFY(!dialog->ComOne->isChecked());
    // Clicking the chosen port again keeps it chosen.
    QTest::mouseClick(dialog->ComTwo, Qt::LeftButton);
    QVERIFY(dialog->ComTwo->isChecked());
    QCOMPARE(int(sessionSettings.gpsComPort), 2);

    QTest::mouseClick(dialog->GPSEnabled, Qt::LeftButton);
    QVERIFY(!sessionSettings.gpsEnabled);
    QVERIFY(!dialog->ComTwo->isEnabled());
    QVERIFY(!dialog->Com2Device->isEnabled());
    QTest::mouseClick(dialog->GPSEnabled, Qt::LeftButton);
    QVERIFY(sessionSettings.gpsEnabled);
    QVERIFY(dialog->ComTwo->isEnabled());
    QVERIFY(dialog->Com2Device->isEnabled());
}

void TestGPSOptionsForm::ok_data()
{
    QTest::addColumn<QString>("storedPort");
    QTest::addColumn<bool>("checkBox"); // the box after the operator's clicks
    QTest::addColumn<int>("clickPort"); // 0: no port clicked
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QString>("enabledAfter"); // stored texts afterwards
    QTest::addColumn<QString>("portAfter");

    QTest::newRow("box set, no port") << kMissing << true << 0 << true << kMissing << kMissing;
    QTest::newRow("box set, stored port 0") << "0" << true << 0 << true << kMissing << "0";
    QTest::newRow("box cleared, no port") << kMissing << false << 0 << false << "False"
                                          << "0";
    QTest::newRow("box cleared, port kept") << "2" << false << 0 << false << "False"
                                            << "2";
    QTest::newRow("box set, Com 1") << kMissing << true << 1 << false << "True"
                                    << "1";
    QTest::newRow("box set, Com 2") << "1" << true << 2 << false << "True"
                                    << "2";
}

void TestGPSOptionsForm::ok()
{
    QFETCH(QString, storedPort);
    QFETCH(bool, checkBox);
    QFETCH(int, clickPort);
    QFETCH(bool, refused);
    QFETCH(QString, enabledAfter);
    QFETCH(QString, portAfter);
    store(QStringLiteral("ComPort"), storedPort);

    GPSOptionsForm *dialog = openDialog();
    if (dialog->GPSEnabled->isChecked() != checkBox)
        QTest::mouseClick(dialog->GPSEnabled, Qt::LeftButton);
    if (clickPort == 1)
        QTest::mouseClick(dialog->ComOne, Qt::LeftButton);
    if (clickPort == 2)
        QTest::mouseClick(dialog->ComTwo, Qt::LeftButton);
    QTest::mouseClick(dialog->OKButton, Qt::LeftButton);

    QCOMPARE(dialog->isVisible(), refused);
    QCOMPARE(m_messages->messages.size(), refused ? 1 : 0);
    if (refused) {
        const OperatorMessage &m = m_messages->messages.first();
        QCOMPARE(m.title, QStringLiteral("Error"));
        QCOMPARE(m.icon, MessageIcon::Exclamation);
        QCOMPARE(m.text,
                 QStringLiteral("You must select a Com Port for communication with the GPS "
                                "Device.\r\n\r\nIf you do not wish to enable the GPS features, "
                                "press Cancel."));
    }
    QCOMPARE(rawOr(*m_store, QStringLiteral("GPS Enabled")), enabledAfter);
    QCOMPARE(rawOr(*m_store, QStringLiteral("ComPort")), portAfter);
}

void TestGPSOptionsForm::cancel()
{
    m_store->put(kSection, QStringLiteral("GPS Enabled"), QStringLiteral("False"));
    m_store->put(kSection, QStringLiteral("ComPort"), QStringLiteral("1"));
    GPSOptionsForm *dialog = openDialog();
    QTest::mouseClick(dialog->GPSEnabled, Qt::LeftButton);
    QVERIFY(sessionSettings.gpsEnabled);
    dialog->Com1Device->setText(QStringLiteral("/dev/ttyUSB0"));

    QTest::mouseClick(dialog->CancelButton, Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QVERIFY(!sessionSettings.gpsEnabled);
    QVERIFY(!dialog->GPSEnabled->isChecked());
    QVERIFY(!dialog->ComOne->isChecked());
    QVERIFY(!dialog->ComTwo->isChecked());
    QCOMPARE(rawOr(*m_store, QStringLiteral("GPS Enabled")), QStringLiteral("False"));
    QCOMPARE(rawOr(*m_store, QStringLiteral("ComPort")), QStringLiteral("1"));
    QCOMPARE(rawOr(*m_store, QStringLiteral("Com1Device")), kMissing);
    QVERIFY(m_messages->messages.isEmpty());
}

void TestGPSOptionsForm::devicePaths_data()
{
    QTest::addColumn<QString>("stored1");
    QTest::addColumn<QString>("stored2");
    QTest::addColumn<QString>("shown1");
    QTest::addColumn<QString>("shown2");
    QTest::addColumn<QString>("typed2"); // typed into the Com 2 field before OK
    QTest::addColumn<QString>("kept2");  // stored afterwards

    QTest::newRow("nothing stored") << kMissing << kMissing << "/dev/ttyS0"
                                    << "/dev/ttyS1"
                                    << "/dev/ttyS1"
                                    << "/dev/ttyS1";
    QTest::newRow("USB receiver on Com 2") << kMissing << "/dev/ttyUSB0"
                                           << "/dev/ttyS0"
                                           << "/dev/ttyUSB0"
                                           << "/dev/ttyACM0"
                                           << "/dev/ttyACM0";
    QTest::newRow("blank stored means the default") << "  "
                                                    << ""
                                                    << "/dev/ttyS0"
                                                    << "/dev/ttyS1"
                                                    << " /dev/ttyUSB1 "
                                                    << "/dev/ttyUSB1";
}

void TestGPSOptionsForm::devicePaths()
{
    QFETCH(QString, stored1);
    QFETCH(QString, stored2);
    QFETCH(QString, shown1);
    QFETCH(QString, shown2);
    QFETCH(QString, typed2);
    QFETCH(QString, kept2);
    store(QStringLiteral("Com1Device"), stored1);
    store(QStringLiteral("Com2Device"), stored2);

    GPSOptionsForm *dialog = openDialog();
    QCOMPARE(dialog->Com1Device->text(), shown1);
    QCOMPARE(dialog->Com2Device->text(), shown2);
    QTest::mouseClick(dialog->GPSEnabled, Qt::LeftButton);
    QTest::mouseClick(dialog->ComTwo, Qt::LeftButton);
    dialog->Com2Device->setText(typed2);
    QTest::mouseClick(dialog->OKButton, Qt::LeftButton);

    QVERIFY(!dialog->isVisible());
    QCOMPARE(rawOr(*m_store, QStringLiteral("Com2Device")), kept2);
    QCOMPARE(rawOr(*m_store, QStringLiteral("Com1Device")), shown1);
}

QTEST_MAIN(TestGPSOptionsForm)
#include "tst_GPSOptionsForm.moc"
