// Value formats of the log records: date and time in the locale's forms, the
// two RSSI forms and the making of one line.
#include "log/LogFormat.h"

#include <QtTest>

class TestLogFormat : public QObject
{
    Q_OBJECT
private slots:
    void dateAndTime_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        const auto row = [](const char *locale, const QString &date, const QString &time) {
            QTest::newRow(locale) << QString(locale) << date << time;
        };
        // 7 March 2024, 14:05:09: the time carries seconds and never a zone.
        row("C", "7 Mar 2024", "14:05:09");
        row("en_US", "3/7/24", "2:05:09 PM");
        row("fi_FI", "7.3.2024", "14.05.09");
        row("ja_JP", "2024/03/07", "14時05分09秒");
    }

    void dateAndTime()
    {
        QFETCH(QString, locale);
        QFETCH(QString, date);
        QFETCH(QString, time);
        QCOMPARE(LogFormat::dateText(QDate(2024, 3, 7), QLocale(locale)), date);
        QCOMPARE(LogFormat::timeText(QTime(14, 5, 9), QLocale(locale)), time);
    }

    void rssi_data()
    {
        QTest::addColumn<bool>("ardix");
        QTest::addColumn<int>("rssi");
        QTest::addColumn<QString>("text");
        const auto row = [](const char *name, bool ardix, int rssi, const QString &text) {
            QTest::newRow(name) << ardix << rssi << text;
        };
        row("Ardix -85", true, -85, "-85 ");
        row("Ardix 0", true, 0, " 0 ");
        row("Ardix positive", true, 3, " 3 ");
        row("Ardix lowest", true, -32768, "-32768 ");
        row("Velto 0", false, 0, "0");
        row("Velto 85", false, 85, "-85");
    }

    void rssi()
    {
        QFETCH(bool, ardix);
        QFETCH(int, rssi);
        QFETCH(QString, text);
        const auto value = static_cast<qint16>(rssi);
        QCOMPARE(ardix ? LogFormat::ardixRssiText(value) : LogFormat::veltoRssiText(value), text);
    }

    void line_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QByteArray>("bytes");
        // Plain fields are covered by the records of tst_logfile.
        QTest::newRow("tabs and line ends inside fields")
            << QStringList{"a\tb", "c\rd", "e\n", "f\r\ng"} << QByteArray("a b\tc d\te \tf  g\r\n");
        QTest::newRow("Latin-1, and what is outside it")
            << QStringList{QStringLiteral("Stra\u00dfe"), QStringLiteral("\u00e9\u20ac5")}
            << QByteArray("Stra\xdf"
                          "e\t\xe9?5\r\n");
    }

    void line()
    {
        QFETCH(QStringList, fields);
        QFETCH(QByteArray, bytes);
        QCOMPARE(LogFormat::line(fields), bytes);
    }
};

QTEST_GUILESS_MAIN(TestLogFormat)
#include "tst_LogFormat.moc"
