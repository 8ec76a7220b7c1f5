#include "app/Numeric.h"

#include <QtTest>

class TestNumeric : public QObject
{
    Q_OBJECT
private slots:
    void reading_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("leadingNumber");
        QTest::addColumn<bool>("isNumber"); // the whole text, blanks around aside
        QTest::newRow("plain") << "30000" << 30000.0 << true;
        QTest::newRow("negative dBm") << "-85" << -85.0 << true;
        QTest::newRow("fraction") << "1.5" << 1.5 << true;
        QTest::newRow("blanks around") << "  \t42 " << 42.0 << true;
        QTest::newRow("trailing text") << "120kbps" << 120.0 << false;
        QTest::newRow("two numbers") << "1 2" << 1.0 << false;
        QTest::newRow("exponent") << "1.234568E+07" << 12345680.0 << true;
        QTest::newRow("e without digits is not an exponent") << "5e" << 5.0 << false;
        QTest::newRow("empty") << "" << 0.0 << false;
        QTest::newRow("letters first") << "abc12" << 0.0 << false;
        QTest::newRow("lone sign") << "-" << 0.0 << false;
        QTest::newRow("lone point") << "." << 0.0 << false;
        QTest::newRow("point then digits") << ".5" << 0.5 << true;
        QTest::newRow("plus sign") << "+7" << 7.0 << true;
        QTest::newRow("huge exponent reads as 0, not infinity") << "1e999" << 0.0 << true;
    }

    void reading()
    {
        QFETCH(QString, text);
        QFETCH(double, leadingNumber);
        QFETCH(bool, isNumber);
        QCOMPARE(Numeric::leadingNumber(text), leadingNumber);
        QCOMPARE(Numeric::isNumber(text), isNumber);
    }

    void roundHalfEven()
    {
        const QList<QPair<double, double>> cases = {{42.5, 42.0},   {43.5, 44.0}, {-75.5, -76.0},
                                                    {-74.5, -74.0}, {12.5, 12.0}, {2.6, 3.0}};
        for (const auto &[value, expected] : cases)
            QCOMPARE(Numeric::roundHalfEven(value), expected);
    }

    void narrowing()
    {
        QCOMPARE(Numeric::toInt16(32767.4), std::optional<qint16>(32767));
        QCOMPARE(Numeric::toInt16(-32768.0), std::optional<qint16>(-32768));
        QVERIFY(!Numeric::toInt16(32767.5)); // rounds to 32768, which does not fit
        QVERIFY(!Numeric::toInt16(-40000.0));
        QCOMPARE(Numeric::toInt32(2147483647.0), std::optional<qint32>(2147483647));
        QVERIFY(!Numeric::toInt32(2147483648.0));
        QVERIFY(!Numeric::toInt32(std::numeric_limits<double>::quiet_NaN()));
    }
};

QTEST_APPLESS_MAIN(TestNumeric)
#include "tst_numeric.moc"
