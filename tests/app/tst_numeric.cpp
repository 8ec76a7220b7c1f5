#include "app/Numeric.h"

#include <QtTest>

class TestNumeric : public QObject
{
    Q_OBJECT
private slots:
    void reading_data();
    void reading();
    void roundHalfEven_data();
    void roundHalfEven();
    void narrowing();
};

void TestNumeric::reading_data()
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

void TestNumeric::reading()
{
    QFETCH(QString, text);
    QFETCH(double, leadingNumber);
    QFETCH(bool, isNumber);
    QCOMPARE(Numeric::leadingNumber(text), leadingNumber);
    QCOMPARE(Numeric::isNumber(text), isNumber);
}

void TestNumeric::roundHalfEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");

    QTest::newRow("42.5 down to even") << 42.5 << 42.0;
    QTest::newRow("43.5 up to even") << 43.5 << 44.0;
    QTest::newRow("-75.5 to -76") << -75.5 << -76.0;
    QTest::newRow("-74.5 to -74") << -74.5 << -74.0;
    QTest::newRow("12.5 to 12") << 12.5 << 12.0;
    QTest::newRow("not a half") << 2.6 << 3.0;
}

void TestNumeric::roundHalfEven()
{
    QFETCH(double, value);
    QFETCH(double, expected);
    QCOMPARE(Numeric::roundHalfEven(value), expected);
}

void TestNumeric::narrowing()
{
    QCOMPARE(Numeric::toInt16(32767.4), std::optional<qint16>(32767));
    QCOMPARE(Numeric::toInt16(-32768.0), std::optional<qint16>(-32768));
    QVERIFY(!Numeric::toInt16(32767.5)); // rounds to 32768, which does not fit
    QVERIFY(!Numeric::toInt16(-40000.0));
    QCOMPARE(Numeric::toInt32(2147483647.0), std::optional<qint32>(2147483647));
    QVERIFY(!Numeric::toInt32(2147483648.0));
    QVERIFY(!Numeric::toInt32(std::numeric_limits<double>::quiet_NaN()));
}

QTEST_APPLESS_MAIN(TestNumeric)
#include "tst_numeric.moc"
