#include "TestSupport.h"
#include "app/Records.h"
#include "display/RSSIThresholdChanges.h"
#include "display/SNRThresholdChanges.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QtTest>

class TestThresholdDialogs : public QObject
{
    Q_OBJECT
private slots:
    void currentRssiValueHasOneMinus_data();
    void currentRssiValueHasOneMinus();
    void rssiEntriesRefused_data();
    void rssiEntriesRefused();
    void snrEmptyEntryKeepsTheBox();
    void snrEntriesRefused_data();
    void snrEntriesRefused();
    void stoppedMonitoringClosesWithoutChange();
};

void TestThresholdDialogs::currentRssiValueHasOneMinus_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("answered with minus") << "-90"
                                         << "-90 dBm";
    QTest::newRow("answered without minus") << "90"
                                            << "-90 dBm";
    QTest::newRow("two minus signs") << "--90"
                                     << "-90 dBm";
}

void TestThresholdDialogs::currentRssiValueHasOneMinus()
{
    TestStore store;
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    linkStatistics.rssiThresholdText = stored;
    RSSIThresholdChanges dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Change the RSSI Threshold"));
    QCOMPARE(dialog.currentValueLabel->objectName(), QStringLiteral("CurRSSIThreshLabel"));
    QCOMPARE(dialog.currentValueLabel->text(), shown);
}

void TestThresholdDialogs::rssiEntriesRefused_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("-130") << "-130";
    QTest::newRow("5") << "5";
    QTest::newRow("letters") << "abc";
    QTest::newRow("empty") << "";
}

void TestThresholdDialogs::rssiEntriesRefused()
{
    TestStore store;
    MessageRecorder messages;
    QFETCH(QString, typed);
    linkStatistics.rssiThresholdText = QStringLiteral("-90");
    linkStatistics.rssiThreshold = 90;
    auto *dialog = new RSSIThresholdChanges;
    QPointer<RSSIThresholdChanges> guard(dialog);
    dialog->show();
    dialog->thresholdBox->setText(typed);
    dialog->OK_Click();

    QCOMPARE(messages.messages.size(), 1);
    QCOMPARE(messages.messages.first().title, QStringLiteral("Error"));
    QCOMPARE(messages.messages.first().icon, MessageIcon::Exclamation);
    QCOMPARE(messages.messages.first().text,
             QStringLiteral("Please enter a RSSI Threshold between -120 and 0.\r\n"
                            "Include the negative sign for negative numbers."));
    QCOMPARE(dialog->thresholdBox->text(), QString());
    QVERIFY(dialog->isVisible());
    QCOMPARE(linkStatistics.rssiThreshold, qint16(90));
    delete guard;
}

void TestThresholdDialogs::snrEmptyEntryKeepsTheBox()
{
    TestStore store;
    MessageRecorder messages;
    linkStatistics.snrThresholdText = QStringLiteral("20");
    SNRThresholdChanges dialog;
    dialog.show();
    QCOMPARE(dialog.currentValueLabel->text(), QStringLiteral("20 dB"));
    dialog.OK_Click();
    QCOMPARE(messages.messages.size(), 1);
    QCOMPARE(messages.messages.first().text,
             QStringLiteral("Please enter a SNR threshold between 0 and 40."));
    QVERIFY(dialog.isVisible());
}

void TestThresholdDialogs::snrEntriesRefused_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("41") << "41";
    QTest::newRow("-1") << "-1";
    QTest::newRow("letters count as 60") << "lots";
}

void TestThresholdDialogs::snrEntriesRefused()
{
    TestStore store;
    MessageRecorder messages;
    QFETCH(QString, typed);
    SNRThresholdChanges dialog;
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    dialog.thresholdBox->setText(typed);
    dialog.OK_Click();
    QCOMPARE(messages.messages.size(), 1);
    QCOMPARE(messages.messages.first().title, QStringLiteral("Error"));
    QCOMPARE(dialog.thresholdBox->text(), QString());
    QTRY_VERIFY(dialog.thresholdBox->hasFocus());
    QVERIFY(dialog.isVisible());
}

void TestThresholdDialogs::stoppedMonitoringClosesWithoutChange()
{
    TestStore store;
    MessageRecorder messages;
    monitorState.monitoringStopped = true;
    linkStatistics.rssiThresholdText = QStringLiteral("-90");
    linkStatistics.rssiThreshold = 90;
    linkStatistics.snrThresholdText = QStringLiteral("20");
    linkStatistics.snrThreshold = 20;

    QPointer<RSSIThresholdChanges> rssi = RSSIThresholdChanges::showModeless();
    rssi->thresholdBox->setText(QStringLiteral("-85"));
    rssi->OK_Click();
    QPointer<SNRThresholdChanges> snr = SNRThresholdChanges::showModeless();
    snr->thresholdBox->setText(QStringLiteral("12"));
    snr->OK_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QVERIFY(rssi.isNull());
    QVERIFY(snr.isNull());
    QVERIFY(messages.messages.isEmpty());
    QCOMPARE(linkStatistics.rssiThresholdText, QStringLiteral("-90"));
    QCOMPARE(linkStatistics.rssiThreshold, qint16(90));
    QCOMPARE(linkStatistics.snrThresholdText, QStringLiteral("20"));
    QCOMPARE(linkStatistics.snrThreshold, qint16(20));
}

QTEST_MAIN(TestThresholdDialogs)
#include "tst_thresholddialogs.moc"
