#include "app/TextContrast.h"

#include <QtTest>

Q_DECLARE_METATYPE(RgbColour)

class TestTextContrast : public QObject
{
    Q_OBJECT
private slots:
    void readableShade_data()
    {
        QTest::addColumn<RgbColour>("text");
        QTest::addColumn<RgbColour>("background");
        QTest::addColumn<bool>("kept");
        const RgbColour light{240, 240, 240};
        const RgbColour dark{30, 30, 30};
        QTest::newRow("black on light") << RgbColour{0, 0, 0} << light << true;
        QTest::newRow("green on light") << RgbColour{0, 255, 0} << light << false;
        QTest::newRow("yellow on white")
            << RgbColour{255, 255, 0} << RgbColour{255, 255, 255} << false;
        QTest::newRow("dark red on light") << RgbColour{128, 0, 0} << light << true;
        QTest::newRow("yellow on dark") << RgbColour{255, 255, 0} << dark << true;
        QTest::newRow("black on dark") << RgbColour{0, 0, 0} << dark << false;
        QTest::newRow("dark red on dark") << RgbColour{128, 0, 0} << dark << false;
        QTest::newRow("mid grey on mid grey")
            << RgbColour{119, 119, 119} << RgbColour{118, 118, 118} << false;
    }
    void readableShade()
    {
        QFETCH(RgbColour, text);
        QFETCH(RgbColour, background);
        QFETCH(bool, kept);
        const RgbColour shade = TextContrast::readableShade(text, background);
        QVERIFY(TextContrast::ratio(shade, background) >= TextContrast::kReadableRatio);
        QCOMPARE(shade == text, kept);
        // The same hue: the channels keep their order.
        QCOMPARE(shade.red >= shade.green, text.red >= text.green);
        QCOMPARE(shade.green >= shade.blue, text.green >= text.blue);
        // The least change: one step less would not be readable.
        if (!kept)
            QVERIFY(TextContrast::ratio(shade, background) < TextContrast::kReadableRatio + 0.3);
    }
    void ratioOfBlackOnWhite()
    {
        QCOMPARE(qRound(TextContrast::ratio({0, 0, 0}, {255, 255, 255})), 21);
        QCOMPARE(TextContrast::ratio({9, 9, 9}, {9, 9, 9}), 1.0);
    }
};

QTEST_GUILESS_MAIN(TestTextContrast)
#include "tst_textcontrast.moc"
