#include "TestSupport.h"
#include "app/Records.h"
#include "app/ThresholdRules.h"
#include "display/AlignmentWindow.h"
#include "display/ColorBar.h"
#include "display/HelpWindow.h"
#include "display/RssiThresholdDialog.h"
#include "display/SnrThresholdDialog.h"
#include "display/TrafficHistory.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace ThresholdRules;

namespace {

// Compares the 80 cells with runs as the operator sees them: "D20 K1 r15"
// is 20 dark red cells, the black mark, 15 cells shading from red to yellow.
// R bright red, D dark red, K black, Y yellow, G green, W white; r shades red
// to yellow (red full, green rising, ends yellow), g yellow to green (green
// full, red falling, ends green); "#rrggbb" is one cell of exactly that colour.
// Returns what differs, or nothing.
QString differences(const ColorBarModel &scale, const QString &runs)
{
    using namespace ScaleColours;
    const QHash<QChar, CellColour> solid = {{'R', brightRed}, {'D', darkRed}, {'K', black},
                                            {'Y', yellow},    {'G', green},   {'W', white}};
    const auto &cells = scale.cells();
    int i = 0;
    for (const QString &run : runs.split(' ')) {
        const QChar kind = run[0];
        const int count = kind == '#' ? 1 : run.mid(1).toInt();
        for (int k = 0; k < count; ++k, ++i) {
            if (i == ColorBarModel::kCellCount)
                return u"more than 80 cells in the runs"_s;
            const CellColour &c = cells[i];
            bool ok = false;
            if (kind == 'r')
                ok = c.red == 255 && c.blue == 0 && (k == 0 || c.green > cells[i - 1].green);
            else if (kind == 'g')
                ok = c.green == 255 && c.blue == 0 && (k == 0 || c.red < cells[i - 1].red);
            else if (kind == '#')
                ok = QColor(c.red, c.green, c.blue) == QColor(run);
            else
                ok = solid.contains(kind) && c == solid[kind];
            if (!ok)
                return QString::asprintf("cell %d is (%d, %d, %d) in run %s", i, c.red, c.green,
                                         c.blue, qPrintable(run));
        }
        if ((kind == 'r' && cells[i - 1] != yellow) || (kind == 'g' && cells[i - 1] != green))
            return u"run %1 ends at cell %2 short of its colour"_s.arg(run).arg(i - 1);
    }
    return i == ColorBarModel::kCellCount ? QString() : u"the runs cover %1 cells"_s.arg(i);
}

} // namespace

// What the monitoring window draws from the link: the 80 cells of the RSSI
// and SNR scales for the thresholds of a run, and the traffic history behind
// the chart; and what the threshold dialogs show, accept and refuse (what is
// sent and kept once accepted is checked against a real agent).
class TestDisplayRules : public QObject
{
    Q_OBJECT
private slots:
    void scales_data()
    {
        QTest::addColumn<int>("selector");
        QTest::addColumn<RemoteKind>("kind");
        // Thresholds after the first paint: RSSI "t", SNR "t:bar".
        QTest::addColumn<QString>("updates");
        QTest::addColumn<QString>("cells");
        QTest::addColumn<int>("rssiThreshold"); // afterwards

        const RemoteKind ardix = RemoteKind::Ardix;
        const RemoteKind velto = RemoteKind::Velto;
        const auto rssi = [](const char *name, RemoteKind kind, const char *updates,
                             const char *cells, int threshold) {
            QTest::newRow(name) << 0 << kind << QString(updates) << QString(cells) << threshold;
        };
        // The SNR scale of a Velto run leaves the RSSI threshold as the start set it.
        const auto snr = [](const char *name, const char *updates, const char *cells) {
            QTest::newRow(name) << 1 << RemoteKind::Velto << QString(updates) << QString(cells)
                                << 95;
        };
        rssi("Ardix start", ardix, "", "R1 #ff1100 r14 Y10 #eeff00 g14 G38 W1", 100);
        rssi("Velto start", velto, "", "R11 r15 Y10 g15 G28 W1", 95);
        rssi("unknown kind keeps the threshold", RemoteKind(7), "", "R79 W1", 0);
        rssi("Velto at -90 dBm", velto, "90", "D20 K1 r15 Y10 g15 G18 W1", 90);
        rssi("Velto at -85 dBm", velto, "85", "D30 K1 r12 Y8 g12 G16 W1", 85);
        rssi("Velto at -61 dBm: every shading cut at the end", velto, "61", "D78 K1 W1", 61);
        // Either side of each step in the shading's width (90, 85 and SNR 20 are above).
        rssi("Velto at -89 dBm", velto, "89", "D22 K1 r12 Y8 g12 G24 W1", 89);
        rssi("Velto at -84 dBm", velto, "84", "D32 K1 r10 Y5 g10 G21 W1", 84);
        rssi("Velto at -80 dBm", velto, "80", "D40 K1 r10 Y5 g10 G13 W1", 80);
        rssi("Velto at -79 dBm", velto, "79", "D42 K1 r5 Y5 g5 G21 W1", 79);
        rssi("Velto, threshold not read yet", velto, "90 0", "R1 r15 Y10 g15 G38 W1", 100);
        rssi("Ardix has no mark: the threshold cell keeps its colour", ardix, "90",
             "D20 Y1 r15 Y10 g15 G18 W1", 90);
        // A threshold text like "--5" reads as -5 dB: beyond the weak end.
        rssi("RSSI threshold above 0 dBm", velto, "-5", "D79 W1", -5);
        rssi("RSSI threshold below -100 dBm", velto, "120", "G79 W1", 120);
        snr("SNR at 20 dB", "20:40", "D40 K1 #ff1a00 r9 Y4 #ffff00 g10 G13 W1");
        snr("SNR at 15 dB", "15:20", "D20 K1 r15 Y9 g16 G18 W1");
        snr("SNR at 16 dB", "16:24", "D24 K1 r12 Y7 g13 G22 W1");
        snr("SNR at 17 dB", "17:28", "D28 K1 r12 Y7 g13 G18 W1");
        snr("SNR at 18 dB", "18:32", "D32 K1 r10 Y4 g11 G21 W1");
        snr("SNR at 21 dB", "21:43", "D43 K1 r5 Y4 g6 G20 W1");
        snr("SNR at 30 dB: the bar reaches the end", "30:79", "D79 K1");
        snr("SNR threshold not read yet", "20:40 0:0", "K1 #ff1100 r14 Y9 g16 G38 W1");
        snr("SNR bar beyond the end", "30:200", "D79 W1");
        snr("SNR bar before the start", "30:-30", "G79 W1");
    }

    void scales()
    {
        QFETCH(int, selector);
        QFETCH(int, rssiThreshold);

        SessionSettings settings;
        settings.remoteKind = fetched<RemoteKind>("kind");
        LinkStatistics link;
        ColorBar bar{ColorBarModel::Selector(selector), settings, link};
        bar.model().InitColorBar();
        for (const QString &update : fetched<QString>("updates").split(' ', Qt::SkipEmptyParts)) {
            if (selector == ColorBarModel::Rssi) {
                link.rssiThreshold = qint16(update.toInt());
            } else {
                link.snrThreshold = qint16(update.section(':', 0, 0).toInt());
                link.snrThresholdBar = qint16(update.section(':', 1).toInt());
            }
            bar.model().UpdateColorBar();
        }
        QCOMPARE(differences(bar.model(), fetched<QString>("cells")), QString());
        QCOMPARE(int(link.rssiThreshold), rssiThreshold);

        // As painted, narrow: each cell shows at its left edge.
        bar.resize(222, 17);
        const QImage image = bar.grab().toImage();
        for (int i = 0; i < ColorBarModel::kCellCount; ++i)
            QVERIFY2(image.pixelColor(bar.cellLeft(i), 8) == bar.cellColour(i),
                     qPrintable(u"cell %1"_s.arg(i)));
    }

    void samples_data()
    {
        QTest::addColumn<QString>("counters"); // transmit byte counters, one a tick
        QTest::addColumn<QString>("newestFirst");
        const auto row = [](const char *name, const QString &counters, const char *newestFirst) {
            QTest::newRow(name) << counters << QString(newestFirst);
        };
        // 37,500 bytes in 5 s are 60 kbit/s, half of the Ardix link rate.
        row("rate in percent", "1000 38500", "50 0 0");
        row("the link rate itself is 100", "1000 76000", "100 0");
        row("above the link rate repeats the previous sample", "1000 38500 138500", "50 50 0");
        row("one quiet tick repeats, the second is 0", "1000 38500 38500 38500", "0 50 50 0");
        row("a rise after one quiet tick repeats and re-bases", "1000 38500 38500 76000 113500",
            "50 50 50 50 0");
        // 30,000 / 67,500 / 30,000 bytes a tick are 40 %, 90 %, 40 %.
        row("40, 90, 40 becomes 40, 40, 40", "1000 31000 98500 128500", "40 40 40 0");
        // "_": no counter text yet.
        row("empty counters repeat (0 at start)", "_ _ _", "0 0 0");
        row("a counter that went back holds until it passes again",
            "100000 137500 5000 60000 175000", "50 50 50 50 0");
        row("exponent text from the datagram decoder", "1.2E+07 1.20375E+07", "50 0");
        // "|": a resume, so the next tick is a baseline that draws nothing and
        // the one after measures from there, not across the pause.
        row("a baseline after a resume", "1000 38500 | 900000 937500", "50 50 0");
        QStringList steady;
        for (int tick = 0; tick <= 70; ++tick)
            steady << QString::number(tick * 37500);
        const QString full = QStringList(TrafficHistory::kChartPoints, u"50"_s).join(u' ');
        row("sixty rows, shifted", steady.join(u' '), qPrintable(full));
    }

    void samples()
    {
        QFETCH(QString, newestFirst);
        // Transmit only; the receive counter stays put, so its quiet ticks must
        // not touch the transmit samples.
        TrafficHistory h;
        bool restart = true;
        for (const QString &tx : fetched<QString>("counters").split(u' ')) {
            if (tx == u"|") {
                restart = true;
                continue;
            }
            const bool baseline = restart; // draws nothing
            QCOMPARE(h.update(tx == u"_" ? QString() : tx, u"5000"_s, 5000, 120, restart),
                     !baseline);
        }
        QStringList shown;
        for (qsizetype i = 0; i < newestFirst.count(u' ') + 1; ++i)
            shown << QString::number(h.tx()[i]);
        QCOMPARE(shown.join(u' '), newestFirst);
    }

    // Choosing a topic brings its heading up: the topics come in the file's
    // order, so a later one lies further down; no topic chosen leaves the text.
    void helpTopics()
    {
        std::unique_ptr<HelpWindow> help(HelpWindow::showTopics());
        help->setAttribute(Qt::WA_DeleteOnClose, false);
        help->show();
        QVERIFY(QTest::qWaitForWindowExposed(help.get()));
        auto *topics = help->findChild<QListWidget *>(u"helpTopicList"_s);
        const QScrollBar *bar = help->findChild<QTextBrowser *>(u"helpText"_s)->verticalScrollBar();
        QVERIFY(topics->count() > 2);
        topics->setCurrentRow(topics->count() - 1);
        const int last = bar->value();
        topics->setCurrentRow(1);
        const int second = bar->value();
        QVERIFY(second > 0 && second < last);
        topics->setCurrentRow(-1);
        QCOMPARE(bar->value(), second);
    }

    // The alignment view opens on the reading the station holds, not on a blank.
    void alignmentViewOpensOnTheStoredReading()
    {
        SessionSettings settings;
        settings.remoteKind = RemoteKind::Ardix;
        LinkStatistics link;
        link.rssi = -70;
        AlignmentWindow view(settings, link);
        view.show();
        QVERIFY(view.findChild<QLabel *>(u"smoothedFigure"_s)->text().contains(u"-70 dBm"_s));
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

        MessageRecorder messages;
        int sent = 0;
        ThresholdLink link;
        link.write = [&sent](const QString &value) {
            ++sent;
            return std::optional(value);
        };
        std::unique_ptr<ThresholdDialog> dialog = std::make_unique<SnrThresholdDialog>(link);
        if (fetched<bool>("rssi"))
            dialog = std::make_unique<RssiThresholdDialog>(link);
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        dialog->thresholdBox->setText(fetched<QString>("typed"));
        dialog->OK->setFocus(); // as a click on OK leaves it
        QTRY_VERIFY(dialog->OK->hasFocus());
        dialog->OK_Click();

        QCOMPARE(messages.titles(), QStringList{u"Error"_s});
        QCOMPARE(dialog->thresholdBox->text(), QString());
        if (fetched<bool>("focused"))
            QTRY_VERIFY(dialog->thresholdBox->hasFocus());
        QCOMPARE(sent, 0);
    }

    void rules_data()
    {
        // 'r' RSSI entry, 's' SNR entry, 'a' the radio's RSSI answer, 'c' the
        // radio's RSSI threshold as the dialog shows it.
        QTest::addColumn<char>("rule");
        QTest::addColumn<QString>("text");
        // The RSSI magnitude kept, the SNR value sent, accepted or not, the text shown.
        QTest::addColumn<QString>("result");
        const auto row = [](const char *name, char rule, const char *text, const char *result) {
            QTest::newRow(name) << rule << QString(text) << QString(result);
        };
        row("RSSI -120 is held at 100", 'r', "-120", "100");
        row("RSSI -60 is held at 61", 'r', "-60", "61");
        row("RSSI 0 is accepted", 'r', "0", "61");
        row("RSSI -85.5 rounds to even", 'r', "-85.5", "86");
        row("SNR 13.5 rounds to even", 's', "13.5", "14");
        row("SNR 0", 's', "0", "0");
        row("SNR 40", 's', "40", "40");
        row("answer echoed", 'a', "-85", "1");
        row("answer zero", 'a', "0", "1");
        row("answer error", 'a', "ERROR", "0");
        row("answer without minus", 'a', "85", "0");
        row("current value without minus", 'c', "90", "-90 dBm");
        row("current value with two minus signs", 'c', "--90", "-90 dBm");
    }

    void rules()
    {
        QFETCH(char, rule);
        QFETCH(QString, text);
        QFETCH(QString, result);
        if (rule == 'r') {
            QVERIFY(isValidRssiEntry(text));
            QCOMPARE(QString::number(rssiThresholdFromEntry(text)), result);
        } else if (rule == 's') {
            QCOMPARE(QString::number(snrEntryValue(text).value_or(-1)), result);
        } else if (rule == 'a') {
            QCOMPARE(QString::number(radioAcceptedRssi(text)), result);
        } else {
            QCOMPARE(RssiThresholdDialog({{}, {}, text}).currentValueLabel->text(), result);
        }
    }
};

QTEST_MAIN(TestDisplayRules)
#include "tst_displayrules.moc"
