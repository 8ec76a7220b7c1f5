#include "TestSupport.h"
#include "app/Records.h"
#include "app/Twips.h"
#include "display/ColorBar.h"
#include "monitor/KavomonitoringForm.h"

#include <QFrame>
#include <QtTest>

// The scales as painted, and as the monitoring window lays them out.
class TestColorBar : public QObject
{
    Q_OBJECT
private slots:
    void paintedCells_data();
    void paintedCells();
    void windowScalesForAVeltoStart();
};

void TestColorBar::paintedCells_data()
{
    QTest::addColumn<int>("selector");
    QTest::addColumn<RemoteKind>("kind");
    QTest::addColumn<int>("width");

    QTest::newRow("Ardix RSSI scale, frame width") << 0 << RemoteKind::Ardix << 222;
    QTest::newRow("Velto RSSI scale, wider") << 0 << RemoteKind::Velto << 480;
    QTest::newRow("Velto SNR scale, frame width") << 1 << RemoteKind::Velto << 222;
}

void TestColorBar::paintedCells()
{
    QFETCH(int, selector);
    QFETCH(RemoteKind, kind);
    QFETCH(int, width);

    TestStore store;
    sessionSettings.remoteKind = kind;
    ColorBar bar{ColorBarModel::Selector(selector)};
    bar.resize(width, 17);
    bar.model().InitColorBar();
    linkStatistics.rssiThreshold = 90;
    linkStatistics.snrThreshold = 20;
    linkStatistics.snrThresholdBar = 40;
    bar.model().UpdateColorBar();

    const QImage image = bar.grab().toImage();
    QCOMPARE(image.width(), width);
    for (int i = 0; i < ColorBarModel::kCellCount; ++i) {
        // The part of a cell that the next one does not cover.
        const int left = bar.cellLeft(i);
        const int right = i + 1 < ColorBarModel::kCellCount ? bar.cellLeft(i + 1) : width;
        QVERIFY2(right > left, qPrintable(QStringLiteral("cell %1 is visible").arg(i)));
        for (int x : {left, right - 1}) {
            const QColor painted = image.pixelColor(x, image.height() / 2);
            QVERIFY2(painted == bar.cellColour(i),
                     qPrintable(QStringLiteral("cell %1 at x %2: %3, model %4")
                                    .arg(i)
                                    .arg(x)
                                    .arg(painted.name(), bar.cellColour(i).name())));
        }
    }
}

void TestColorBar::windowScalesForAVeltoStart()
{
    TestStore store;
    sessionSettings.remoteKind = RemoteKind::Velto;
    KavomonitoringForm form;
    form.RssiColorBarFrame->show();

    // The load's RSSI scale, the Velto start's SNR scale, the thresholds the
    // start reads, then its updates of both.
    form.InitColorBar(0);
    form.InitColorBar(1);
    QVERIFY(form.RssiColorBarFrame->isHidden());
    QVERIFY(form.SNRColorBarFrame->isHidden());
    QCOMPARE(int(linkStatistics.rssiThreshold), 95);
    linkStatistics.rssiThreshold = 90;
    linkStatistics.snrThreshold = 20;
    linkStatistics.snrThresholdBar = 40;
    form.UpdateColorBar(0);
    form.UpdateColorBar(1);

    auto *rssi = form.findChild<ColorBar *>(QStringLiteral("RssiColorBar"));
    auto *snr = form.findChild<ColorBar *>(QStringLiteral("SNRColorBar"));
    QVERIFY(rssi && snr);
    QCOMPARE(rssi->parentWidget(), form.RssiColorBarFrame);
    QCOMPARE(snr->parentWidget(), form.SNRColorBarFrame);
    QCOMPARE(rssi->cellColour(19), QColor(127, 0, 0));
    QCOMPARE(rssi->cellColour(20), QColor(0, 0, 0));
    QCOMPARE(rssi->cellColour(36), QColor(255, 255, 0));
    QCOMPARE(snr->cellColour(39), QColor(127, 0, 0));
    QCOMPARE(snr->cellColour(40), QColor(0, 0, 0));
    QCOMPARE(snr->cellColour(66), QColor(0, 255, 0));

    // Frames as designed: 3328 twips wide, 250 high, at 825 and 1900 twips.
    for (QFrame *frame : {form.RssiColorBarFrame, form.SNRColorBarFrame}) {
        QCOMPARE(frame->width(), Twips::toPixels(3328));
        QCOMPARE(frame->height(), Twips::toPixels(250));
    }
    QCOMPARE(form.RssiColorBarFrame->y(), Twips::toPixels(825));
    QCOMPARE(form.SNRColorBarFrame->y(), Twips::toPixels(1900));

    // A second InitColorBar reuses the scale.
    form.InitColorBar(0);
    QCOMPARE(form.findChildren<ColorBar *>().size(), 2);
    QCOMPARE(rssi->cellColour(0), QColor(255, 0, 0));
}

QTEST_MAIN(TestColorBar)
#include "tst_colorbar.moc"
