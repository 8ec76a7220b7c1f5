#include "TestSupport.h"
#include "app/Records.h"
#include "display/ColorBarModel.h"

#include <QtTest>

namespace {

// Part of a scale as the operator sees it.
struct Span
{
    enum Kind
    {
        Solid,        // every cell the colour
        RedToYellow,  // red full, green rising to full, blue none
        YellowToGreen // green full, red falling to none, blue none
    };
    int first = 0;
    int last = 0;
    Kind kind = Solid;
    CellColour colour{};
};

Span solid(int first, int last, CellColour colour)
{
    return {first, last, Span::Solid, colour};
}
Span redToYellow(int first, int last)
{
    return {first, last, Span::RedToYellow, {}};
}
Span yellowToGreen(int first, int last)
{
    return {first, last, Span::YellowToGreen, {}};
}

struct Thresholds
{
    qint16 rssi = 0;
    qint16 snr = 0;
    qint16 snrBar = 0;
};

QString describe(const CellColour &c)
{
    return QStringLiteral("(%1, %2, %3)").arg(c.red).arg(c.green).arg(c.blue);
}

} // namespace

Q_DECLARE_METATYPE(QList<Span>)
Q_DECLARE_METATYPE(CellColour)

// The 80 cells of the RSSI and SNR scales for the thresholds of a run.
class TestColorBarModel : public QObject
{
    Q_OBJECT
private slots:
    void scales_data();
    void scales();
    void pinnedCells_data();
    void pinnedCells();
    void gradientChoice_data();
    void gradientChoice();
    void startingThreshold_data();
    void startingThreshold();
    void rssiThresholdNotReadYet();
    void snrThresholdNotReadYet();
    void uncoveredCellKeepsItsColour();
    void thresholdsBeyondTheScale_data();
    void thresholdsBeyondTheScale();

private:
    static ColorBarModel paintedScale(ColorBarModel::Selector selector, RemoteKind kind,
                                      Thresholds read);
};

ColorBarModel TestColorBarModel::paintedScale(ColorBarModel::Selector selector, RemoteKind kind,
                                              Thresholds read)
{
    sessionSettings.remoteKind = kind;
    ColorBarModel scale(selector);
    scale.InitColorBar();
    linkStatistics.rssiThreshold = read.rssi;
    linkStatistics.snrThreshold = read.snr;
    linkStatistics.snrThresholdBar = read.snrBar;
    scale.UpdateColorBar();
    return scale;
}

void TestColorBarModel::scales_data()
{
    using namespace ScaleColours;
    QTest::addColumn<int>("selector");
    QTest::addColumn<RemoteKind>("kind");
    QTest::addColumn<int>("rssiThreshold");
    QTest::addColumn<int>("snrThreshold");
    QTest::addColumn<QList<Span>>("spans");

    QTest::newRow("Ardix run") << 0 << RemoteKind::Ardix << 100 << 0
                               << QList<Span>{solid(0, 0, brightRed), redToYellow(1, 15),
                                              solid(16, 25, yellow),  yellowToGreen(26, 40),
                                              solid(41, 78, green),   solid(79, 79, white)};
    QTest::newRow("Velto at -90 dBm")
        << 0 << RemoteKind::Velto << 90 << 0
        << QList<Span>{solid(0, 19, darkRed), solid(20, 20, black),  redToYellow(21, 35),
                       solid(36, 45, yellow), yellowToGreen(46, 60), solid(61, 78, green),
                       solid(79, 79, white)};
    QTest::newRow("Velto at -85 dBm")
        << 0 << RemoteKind::Velto << 85 << 0
        << QList<Span>{solid(0, 29, darkRed), solid(30, 30, black),  redToYellow(31, 42),
                       solid(43, 50, yellow), yellowToGreen(51, 62), solid(63, 78, green),
                       solid(79, 79, white)};
    QTest::newRow("Velto at -61 dBm: every gradient cut at the end")
        << 0 << RemoteKind::Velto << 61 << 0
        << QList<Span>{solid(0, 77, darkRed), solid(78, 78, black), solid(79, 79, white)};
    QTest::newRow("SNR at 20 dB") << 1 << RemoteKind::Velto << 90 << 20
                                  << QList<Span>{solid(0, 39, darkRed), solid(40, 40, black),
                                                 redToYellow(41, 50),   solid(51, 54, yellow),
                                                 yellowToGreen(55, 65), solid(66, 78, green),
                                                 solid(79, 79, white)};
    QTest::newRow("SNR at 30 dB: the bar reaches the end")
        << 1 << RemoteKind::Velto << 90 << 30
        << QList<Span>{solid(0, 78, darkRed), solid(79, 79, black)};
}

void TestColorBarModel::scales()
{
    QFETCH(int, selector);
    QFETCH(RemoteKind, kind);
    QFETCH(int, rssiThreshold);
    QFETCH(int, snrThreshold);
    QFETCH(QList<Span>, spans);

    TestStore store;
    // The bar position as the Velto start computes it: (s - 10) x 3.95,
    // halves to the even neighbour.
    const qint16 bar = qint16(std::nearbyint((snrThreshold - 10) * 3.95));
    const ColorBarModel scale = paintedScale(ColorBarModel::Selector(selector), kind,
                                             {qint16(rssiThreshold), qint16(snrThreshold), bar});
    const auto &cells = scale.cells();

    int covered = 0;
    for (const Span &span : spans) {
        for (int i = span.first; i <= span.last; ++i) {
            const CellColour &c = cells[i];
            const QString where = QStringLiteral("cell %1 is %2").arg(i).arg(describe(c));
            switch (span.kind) {
            case Span::Solid:
                QVERIFY2(c == span.colour, qPrintable(where));
                break;
            case Span::RedToYellow:
                QVERIFY2(c.red == 255 && c.blue == 0, qPrintable(where));
                QVERIFY2(i == span.first || c.green > cells[i - 1].green, qPrintable(where));
                break;
            case Span::YellowToGreen:
                QVERIFY2(c.green == 255 && c.blue == 0, qPrintable(where));
                QVERIFY2(i == span.first || c.red < cells[i - 1].red, qPrintable(where));
                break;
            }
            ++covered;
        }
        if (span.kind == Span::RedToYellow)
            QVERIFY(cells[span.last] == ScaleColours::yellow);
        if (span.kind == Span::YellowToGreen)
            QVERIFY(cells[span.last] == ScaleColours::green);
    }
    QCOMPARE(covered, ColorBarModel::kCellCount);
}

void TestColorBarModel::pinnedCells_data()
{
    QTest::addColumn<int>("selector");
    QTest::addColumn<RemoteKind>("kind");
    QTest::addColumn<int>("rssiThreshold");
    QTest::addColumn<int>("snrThreshold");
    QTest::addColumn<int>("cell");
    QTest::addColumn<CellColour>("colour");

    QTest::newRow("Ardix cell 1") << 0 << RemoteKind::Ardix << 100 << 0 << 1
                                  << CellColour{255, 17, 0};
    QTest::newRow("Ardix cell 26")
        << 0 << RemoteKind::Ardix << 100 << 0 << 26 << CellColour{238, 255, 0};
    QTest::newRow("SNR 20 cell 41")
        << 1 << RemoteKind::Velto << 90 << 20 << 41 << CellColour{255, 26, 0};
    QTest::newRow("SNR 20 cell 55 starts yellow")
        << 1 << RemoteKind::Velto << 90 << 20 << 55 << ScaleColours::yellow;
}

void TestColorBarModel::pinnedCells()
{
    QFETCH(int, selector);
    QFETCH(RemoteKind, kind);
    QFETCH(int, rssiThreshold);
    QFETCH(int, snrThreshold);
    QFETCH(int, cell);
    QFETCH(CellColour, colour);

    TestStore store;
    const qint16 bar = qint16(std::nearbyint((snrThreshold - 10) * 3.95));
    const ColorBarModel scale = paintedScale(ColorBarModel::Selector(selector), kind,
                                             {qint16(rssiThreshold), qint16(snrThreshold), bar});
    QVERIFY2(scale.cells()[cell] == colour, qPrintable(describe(scale.cells()[cell])));
}

void TestColorBarModel::gradientChoice_data()
{
    QTest::addColumn<int>("selector");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("offset");

    QTest::newRow("RSSI 100") << 0 << 100 << 15 << 25;
    QTest::newRow("RSSI 90") << 0 << 90 << 15 << 25;
    QTest::newRow("RSSI 89") << 0 << 89 << 12 << 20;
    QTest::newRow("RSSI 85") << 0 << 85 << 12 << 20;
    QTest::newRow("RSSI 84") << 0 << 84 << 10 << 15;
    QTest::newRow("RSSI 80") << 0 << 80 << 10 << 15;
    QTest::newRow("RSSI 79") << 0 << 79 << 5 << 10;
    QTest::newRow("RSSI 61") << 0 << 61 << 5 << 10;
    QTest::newRow("SNR 10") << 1 << 10 << 15 << 25;
    QTest::newRow("SNR 15") << 1 << 15 << 15 << 25;
    QTest::newRow("SNR 16") << 1 << 16 << 12 << 20;
    QTest::newRow("SNR 17") << 1 << 17 << 12 << 20;
    QTest::newRow("SNR 18") << 1 << 18 << 10 << 15;
    QTest::newRow("SNR 20") << 1 << 20 << 10 << 15;
    QTest::newRow("SNR 21") << 1 << 21 << 5 << 10;
    QTest::newRow("SNR 30") << 1 << 30 << 5 << 10;
}

void TestColorBarModel::gradientChoice()
{
    QFETCH(int, selector);
    QFETCH(int, threshold);
    QFETCH(int, width);
    QFETCH(int, offset);

    TestStore store;
    sessionSettings.remoteKind = RemoteKind::Velto;
    linkStatistics.rssiThreshold = qint16(selector == 0 ? threshold : 90);
    linkStatistics.snrThreshold = qint16(selector == 1 ? threshold : 0);
    ColorBarModel scale{ColorBarModel::Selector(selector)};
    scale.PaintColorBar();
    QCOMPARE(scale.gradientWidth(), width);
    QCOMPARE(scale.greenOffset(), offset);
    // The second gradient starts one offset after the first, unless cut.
    QVERIFY(scale.SecondGradientStart() == std::min(79, scale.FirstGradientStart() + offset));
    QVERIFY(scale.SecondGradientEnd() <= 79);
}

void TestColorBarModel::startingThreshold_data()
{
    QTest::addColumn<RemoteKind>("kind");
    QTest::addColumn<int>("selector");
    QTest::addColumn<int>("threshold");

    QTest::newRow("Ardix, RSSI scale") << RemoteKind::Ardix << 0 << 100;
    QTest::newRow("Velto, RSSI scale") << RemoteKind::Velto << 0 << 95;
    QTest::newRow("Velto, SNR scale") << RemoteKind::Velto << 1 << 95;
    QTest::newRow("unknown kind keeps it") << RemoteKind(7) << 0 << 42;
}

void TestColorBarModel::startingThreshold()
{
    QFETCH(RemoteKind, kind);
    QFETCH(int, selector);
    QFETCH(int, threshold);

    TestStore store;
    sessionSettings.remoteKind = kind;
    linkStatistics.rssiThreshold = 42;
    ColorBarModel scale{ColorBarModel::Selector(selector)};
    scale.InitColorBar();
    QCOMPARE(int(linkStatistics.rssiThreshold), threshold);
}

void TestColorBarModel::rssiThresholdNotReadYet()
{
    TestStore store;
    sessionSettings.remoteKind = RemoteKind::Velto;
    ColorBarModel scale(ColorBarModel::Rssi);
    linkStatistics.rssiThreshold = 90;
    scale.UpdateColorBar();
    QVERIFY(scale.cells()[5] == ScaleColours::darkRed);

    // No threshold: the dark part and the mark go, the scale starts at -100 dBm.
    linkStatistics.rssiThreshold = 0;
    scale.UpdateColorBar();
    QCOMPARE(int(linkStatistics.rssiThreshold), 100);
    QVERIFY(scale.cells()[0] == ScaleColours::brightRed);
    QVERIFY(scale.cells()[1] == (CellColour{255, 17, 0}));
    QVERIFY(scale.cells()[20] == ScaleColours::yellow);
}

void TestColorBarModel::snrThresholdNotReadYet()
{
    TestStore store;
    sessionSettings.remoteKind = RemoteKind::Velto;
    ColorBarModel scale(ColorBarModel::Snr);
    linkStatistics.snrThreshold = 20;
    linkStatistics.snrThresholdBar = 40;
    scale.UpdateColorBar();
    QVERIFY(scale.cells()[39] == ScaleColours::darkRed);

    linkStatistics.snrThreshold = 0;
    linkStatistics.snrThresholdBar = 0;
    scale.UpdateColorBar();
    QVERIFY(scale.cells()[0] == ScaleColours::black);
    QVERIFY(scale.cells()[1] == (CellColour{255, 17, 0}));
    QVERIFY(scale.cells()[41] == ScaleColours::green);
}

void TestColorBarModel::uncoveredCellKeepsItsColour()
{
    // An Ardix scale has no threshold mark: when its threshold moves, the
    // threshold cell keeps what the earlier paint gave it.
    TestStore store;
    sessionSettings.remoteKind = RemoteKind::Ardix;
    ColorBarModel scale(ColorBarModel::Rssi);
    scale.InitColorBar();
    const CellColour before = scale.cells()[20];
    QVERIFY(before == ScaleColours::yellow);
    linkStatistics.rssiThreshold = 90;
    scale.UpdateColorBar();
    QVERIFY(scale.cells()[19] == ScaleColours::darkRed);
    QVERIFY(scale.cells()[20] == before);
    QVERIFY(scale.cells()[21] == (CellColour{255, 17, 0}));
}

void TestColorBarModel::thresholdsBeyondTheScale_data()
{
    QTest::addColumn<int>("selector");
    QTest::addColumn<int>("rssiThreshold");
    QTest::addColumn<int>("snrBar");
    QTest::addColumn<CellColour>("first");
    QTest::addColumn<CellColour>("beforeLast");

    // A threshold text like "--5" reads as -5 dB: beyond the weak end.
    QTest::newRow("RSSI threshold above 0 dBm")
        << 0 << -5 << 0 << ScaleColours::darkRed << ScaleColours::darkRed;
    QTest::newRow("RSSI threshold below -100 dBm")
        << 0 << 120 << 0 << ScaleColours::green << ScaleColours::green;
    QTest::newRow("SNR bar beyond the end")
        << 1 << 90 << 200 << ScaleColours::darkRed << ScaleColours::darkRed;
    QTest::newRow("SNR bar before the start")
        << 1 << 90 << -30 << ScaleColours::green << ScaleColours::green;
}

void TestColorBarModel::thresholdsBeyondTheScale()
{
    QFETCH(int, selector);
    QFETCH(int, rssiThreshold);
    QFETCH(int, snrBar);
    QFETCH(CellColour, first);
    QFETCH(CellColour, beforeLast);

    TestStore store;
    const ColorBarModel scale =
        paintedScale(ColorBarModel::Selector(selector), RemoteKind::Velto,
                     {qint16(rssiThreshold), qint16(selector == 1 ? 30 : 0), qint16(snrBar)});
    QVERIFY2(scale.cells()[0] == first, qPrintable(describe(scale.cells()[0])));
    QVERIFY2(scale.cells()[78] == beforeLast, qPrintable(describe(scale.cells()[78])));
    for (int i = 0; i < ColorBarModel::kCellCount; ++i) {
        const CellColour &c = scale.cells()[i];
        QVERIFY(c.red >= 0 && c.red <= 255 && c.green >= 0 && c.green <= 255);
    }
}

QTEST_APPLESS_MAIN(TestColorBarModel)
#include "tst_colorbarmodel.moc"
