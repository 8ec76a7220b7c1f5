#include "TestSupport.h"
#include "app/Records.h"
#include "app/ThresholdRules.h"
#include "display/RssiThresholdDialog.h"
#include "display/SnrThresholdDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace ThresholdRules;

namespace {

std::unique_ptr<ThresholdDialog> open(bool rssi, ThresholdLink link = {})
{
    if (rssi)
        return std::make_unique<RssiThresholdDialog>(std::move(link));
    return std::make_unique<SnrThresholdDialog>(std::move(link));
}

} // namespace

// What the threshold dialogs accept and refuse; what is sent and kept once
// accepted is checked against a real agent (tst_thresholdsnmpd).
class TestThresholdDialogs : public QObject
{
    Q_OBJECT
private slots:
    void currentValue_data()
    {
        QTest::addColumn<bool>("rssi");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");

        QTest::newRow("RSSI answered with minus") << true << u"-90"_s << u"-90 dBm"_s;
        QTest::newRow("RSSI answered without minus") << true << u"90"_s << u"-90 dBm"_s;
        QTest::newRow("RSSI with two minus signs") << true << u"--90"_s << u"-90 dBm"_s;
        QTest::newRow("SNR") << false << u"20"_s << u"20 dB"_s;
    }

    void currentValue()
    {
        QFETCH(bool, rssi);
        QFETCH(QString, stored);
        QFETCH(QString, shown);

        ThresholdLink link;
        link.currentValue = stored;
        const std::unique_ptr<ThresholdDialog> dialog = open(rssi, link);
        QCOMPARE(dialog->currentValueLabel->text(), shown);
    }

    void refusedEntries_data()
    {
        QTest::addColumn<bool>("rssi");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("focused"); // the box takes the focus again

        QTest::newRow("RSSI -130") << true << u"-130"_s << false;
        QTest::newRow("RSSI 5") << true << u"5"_s << false;
        QTest::newRow("RSSI number with letters") << true << u"-85dBm"_s << false;
        QTest::newRow("SNR 41") << false << u"41"_s << true;
        QTest::newRow("SNR -1") << false << u"-1"_s << true;
        QTest::newRow("SNR letters count as 60") << false << u"lots"_s << true;
        QTest::newRow("SNR beyond 16 bits") << false << u"99999"_s << true;
        QTest::newRow("SNR empty") << false << u""_s << false;
    }

    void refusedEntries()
    {
        QFETCH(bool, rssi);
        QFETCH(QString, typed);
        QFETCH(bool, focused);

        MessageRecorder messages;
        int sent = 0;
        const std::unique_ptr<ThresholdDialog> dialog =
            open(rssi, {[&sent](const QString &value) -> std::optional<QString> {
                            ++sent;
                            return value;
                        },
                        {},
                        {}});
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        dialog->thresholdBox->setText(typed);
        dialog->OK->setFocus(); // as a click on OK leaves it
        QTRY_VERIFY(dialog->OK->hasFocus());
        dialog->OK_Click();

        QCOMPARE(messages.titles(), QStringList{u"Error"_s});
        QCOMPARE(dialog->thresholdBox->text(), QString());
        if (focused)
            QTRY_VERIFY(dialog->thresholdBox->hasFocus());
        QVERIFY(dialog->isVisible());
        QCOMPARE(sent, 0);
    }

    void rules_data()
    {
        QTest::addColumn<char>(
            "rule"); // 'r' RSSI entry, 's' SNR entry, 'a' the radio's RSSI answer
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("result"); // the RSSI magnitude kept, the SNR value sent, accepted

        QTest::newRow("RSSI -120 is held at 100") << 'r' << u"-120"_s << 100;
        QTest::newRow("RSSI -60 is held at 61") << 'r' << u"-60"_s << 61;
        QTest::newRow("RSSI 0 is accepted") << 'r' << u"0"_s << 61;
        QTest::newRow("RSSI -85.5 rounds to even") << 'r' << u"-85.5"_s << 86;
        QTest::newRow("SNR 13.5 rounds to even") << 's' << u"13.5"_s << 14;
        QTest::newRow("SNR 0") << 's' << u"0"_s << 0;
        QTest::newRow("SNR 40") << 's' << u"40"_s << 40;
        QTest::newRow("answer echoed") << 'a' << u"-85"_s << 1;
        QTest::newRow("answer zero") << 'a' << u"0"_s << 1;
        QTest::newRow("answer error") << 'a' << u"ERROR"_s << 0;
        QTest::newRow("answer without minus") << 'a' << u"85"_s << 0;
    }

    void rules()
    {
        QFETCH(char, rule);
        QFETCH(QString, text);
        QFETCH(int, result);

        if (rule == 'r') {
            QVERIFY(isValidRssiEntry(text));
            QCOMPARE(int(rssiThresholdFromEntry(text)), result);
        } else if (rule == 's') {
            QCOMPARE(snrEntryValue(text).value_or(-1), result);
        } else {
            QCOMPARE(int(radioAcceptedRssi(text)), result);
        }
    }
};

QTEST_MAIN(TestThresholdDialogs)
#include "tst_thresholddialogs.moc"
