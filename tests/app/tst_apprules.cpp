// The rules of the engine's base layer: alignment aids, number reading,
// text contrast, the local address and the settings store.
#include "TestSupport.h"
#include "app/AimingToneGenerator.h"
#include "app/AlignmentStatistics.h"
#include "app/FastReadingPacer.h"
#include "app/LocalAddress.h"
#include "app/Numeric.h"
#include "app/PeakHold.h"
#include "app/SettingsStore.h"
#include "app/TextContrast.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <cmath>
#include <netdb.h>
#include <sys/stat.h>

class TestAppRules : public QObject
{
    Q_OBJECT
private slots:
    void statistics_data()
    {
        QTest::addColumn<QList<double>>("readings"); // NaN stands for a reset
        QTest::addColumn<QList<double>>("currentMinMaxAverage");
        QTest::newRow("reset forgets the extremes")
            << QList<double>{-40, -99, std::nan(""), -80, -70} << QList<double>{-70, -80, -70, -75};
        QTest::newRow("positive SNR") << QList<double>{12, 30, 0} << QList<double>{0, 0, 30, 14};
    }

    void statistics()
    {
        AlignmentStatistics stats;
        for (double r : fetched<QList<double>>("readings"))
            std::isnan(r) ? stats.reset() : stats.add(r);
        stats.add(std::nan("")); // a missing value changes nothing
        QTEST(QList<double>({stats.current(), stats.minimum(), stats.maximum(), stats.average()}),
              "currentMinMaxAverage");
    }

    void peakHold_data()
    {
        // Hold 2000 ms, then 5 units a second.
        QTest::addColumn<QList<QPointF>>("readingsAt"); // x: ms, y: value
        QTest::addColumn<int>("askedAtMs");
        QTest::addColumn<double>("mark");
        const QList<QPointF> peakThenDrop{{0, -60}, {100, -80}};
        QTest::newRow("held within the hold time") << peakThenDrop << 1900 << -60.0;
        QTest::newRow("sinking after the hold time") << peakThenDrop << 3000 << -65.0;
        QTest::newRow("never below the newest reading") << peakThenDrop << 60000 << -80.0;
        QTest::newRow("a reading at the sunk mark restarts the hold")
            << QList<QPointF>{{0, -60}, {100, -80}, {3000, -65}, {3100, -90}} << 4900 << -65.0;
    }

    void peakHold()
    {
        QFETCH(int, askedAtMs);
        PeakHold hold(2000, 5);
        for (const QPointF &r : fetched<QList<QPointF>>("readingsAt"))
            hold.add(r.y(), qint64(r.x()));
        QTEST(hold.mark(askedAtMs).value_or(0), "mark");
        hold.reset();
        QVERIFY(!hold.mark(askedAtMs));
    }

    void tone_data()
    {
        QTest::addColumn<double>("rssiDbm");
        QTest::addColumn<double>("thresholdDbm");
        QTest::addColumn<double>("pitchHz");
        QTest::addColumn<bool>("pulsed");
        QTest::newRow("below the scale is held") << -120.0 << -95.0 << 300.0 << true;
        QTest::newRow("strong") << -50.0 << -95.0 << 1300.0 << false;
        QTest::newRow("above the scale is held") << -10.0 << -95.0 << 1500.0 << false;
        QTest::newRow("at the threshold is steady") << -85.0 << -85.0 << 600.0 << false;
        QTest::newRow("just under the threshold beeps") << -85.5 << -85.0 << 590.0 << true;
    }

    void tone()
    {
        QFETCH(double, pitchHz);
        QFETCH(bool, pulsed);
        const AimingTonePlan::Tone tone =
            AimingTonePlan::toneFor(fetched<double>("rssiDbm"), fetched<double>("thresholdDbm"));
        QCOMPARE(tone.frequencyHz, pitchHz);
        QCOMPARE(tone.pulsed, pulsed);
        // Two seconds of the tone, measured by sox: a steady one at the pitch,
        // a beeping one silent about half the time.
        QTemporaryDir dir;
        const QString wav = dir.filePath("tone.wav");
        AimingToneGenerator generator;
        generator.setTone(tone);
        QVERIFY(generator.writeWav(wav, 2));
        QProcess sox;
        sox.start("sox", {wav, "-n", "stat"});
        QVERIFY2(sox.waitForFinished(10000) && sox.exitCode() == 0, "sox must be installed");
        const QString report = QString::fromLatin1(sox.readAllStandardError());
        auto figure = [&report](const QString &name) {
            return QRegularExpression(name + ":\\s+([0-9.]+)").match(report).captured(1).toDouble();
        };
        if (!pulsed)
            QVERIFY(qAbs(figure("Rough\\s+frequency") - pitchHz) < pitchHz * 0.03);
        // A sine's RMS is 0.707 of its peak; half of the time silent gives 0.5.
        const double rmsShare = figure("RMS\\s+amplitude") / figure("Maximum\\s+amplitude");
        QVERIFY2(qAbs(rmsShare - (pulsed ? 0.5 : 0.707)) < 0.05, qPrintable(report));
    }

    void pacer_data()
    {
        // Events: "s@ms" sent, "a" answered, "t@ms" timed out, "x" abandoned.
        // Interval 250 ms, cap 1000 ms.
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<int>("askedAtMs");
        QTest::addColumn<bool>("maySend");
        QTest::addColumn<int>("waitMs");
        QTest::newRow("never two out") << QStringList{"s@0"} << 5000 << false << 0;
        QTest::newRow("four a second")
            << QStringList{"s@0", "a", "s@250", "a"} << 400 << false << 100;
        QTest::newRow("slow answer: next at once") << QStringList{"s@0", "a"} << 400 << true << 0;
        QTest::newRow("time-out doubles") << QStringList{"s@0", "t@300"} << 700 << false << 100;
        QTest::newRow("time-outs stop at the cap")
            << QStringList{"s@0", "t@0", "s@500", "t@500", "s@1500", "t@1500", "s@2500", "t@2500"}
            << 3400 << false << 100;
        QTest::newRow("an answer ends the back-off")
            << QStringList{"s@0", "t@0", "s@500", "t@500", "s@1500", "a", "s@1600", "a"} << 1700
            << false << 150;
        QTest::newRow("abandoned is no time-out") << QStringList{"s@0", "x"} << 250 << true << 0;
    }

    void pacer()
    {
        QFETCH(int, askedAtMs);
        FastReadingPacer pacer(250, 1000);
        for (const QString &e : fetched<QStringList>("events")) {
            const qint64 at = e.section(QLatin1Char('@'), 1).toLongLong();
            if (e.startsWith(QLatin1Char('s')))
                pacer.sent(at);
            else if (e.startsWith(QLatin1Char('t')))
                pacer.timedOut(at);
            else
                e == QLatin1String("a") ? pacer.answered() : pacer.abandoned();
        }
        QTEST(pacer.maySend(askedAtMs), "maySend");
        if (!pacer.outstanding())
            QCOMPARE(pacer.msUntilNext(askedAtMs), fetched<int>("waitMs"));
    }

    void reading_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("leadingNumber");
        QTest::addColumn<bool>("isNumber"); // the whole text, blanks around aside
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
        QTEST(Numeric::leadingNumber(text), "leadingNumber");
        QTEST(Numeric::isNumber(text), "isNumber");
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

    void lookUp_data()
    {
        QTest::addColumn<int>("resolverError");
        QTest::addColumn<int>("systemError");
        QTest::addColumn<QList<quint32>>("addresses");
        QTest::addColumn<QString>("dotted");
        QTest::addColumn<int>("code");
        const auto failure = [](const char *name, int resolverError, int systemError, int code) {
            QTest::newRow(name) << resolverError << systemError << QList<quint32>() << "" << code;
        };
        QTest::newRow("the first of several")
            << 0 << 0 << QList<quint32>{0xC0A80114, 0x0A000005} << "192.168.1.20" << 0;
        QTest::newRow("no leading zeros, top byte unsigned")
            << 0 << 0 << QList<quint32>{0xFF000A01} << "255.0.10.1" << 0;
        failure("an answer without IPv4 addresses", 0, 0, 11004);
        failure("host not found", EAI_NONAME, 0, 11001);
        failure("try again", EAI_AGAIN, 0, 11002);
        failure("no recovery", EAI_FAIL, 0, 11003);
        failure("no data", EAI_NODATA, 0, 11004);
        failure("out of memory", EAI_MEMORY, 0, 11003);
        failure("EINTR", EAI_SYSTEM, EINTR, 10004);
        failure("EADDRINUSE", EAI_SYSTEM, EADDRINUSE, 10048);
        failure("ENOMEM is out of buffers", EAI_SYSTEM, ENOMEM, 10055);
        failure("no socket counterpart", EAI_SYSTEM, ENOENT, 10050);
    }

    void lookUp()
    {
        QByteArray asked;
        const auto resolver = [&](const QByteArray &name) {
            asked = name;
            return LocalAddress::ResolverAnswer{fetched<int>("resolverError"),
                                                fetched<int>("systemError"),
                                                fetched<QList<quint32>>("addresses")};
        };
        // gethostname's buffer: the name, a NUL, whatever was there before.
        QByteArray buffer("  field-laptop ");
        buffer.append('\0').append("left-over").append(256 - 25, '\0');
        const LocalAddress::Lookup lookup = LocalAddress::lookUpAddress(buffer, resolver);
        QCOMPARE(asked, "field-laptop");
        QTEST(lookup.address, "dotted");
        QTEST(lookup.errorCode, "code");
    }

    void systemResolverReadsNumericNames()
    {
        // A numeric name never leaves the machine.
        const LocalAddress::ResolverAnswer answer = LocalAddress::resolveHostName("127.0.0.5");
        QCOMPARE(answer.resolverError, 0);
        QCOMPARE(answer.ipv4Addresses, QList<quint32>{0x7F000005});
    }

    void readBack_data()
    {
        QTest::addColumn<QString>("value"); // null: never written
        QTest::addColumn<QString>("expected");
        QTest::newRow("missing key gives the default") << QString() << "default";
        QTest::newRow("empty value is not missing") << QString("") << QString("");
        for (const char *text : {"True", "0042", "/home/op/My Logs/V.txt", "a,b", "@weird",
                                 "  padded  ", "a=b", "[x]"})
            QTest::newRow(text) << text << text;
        QTest::newRow("line end cannot split the setting") << "a.txt\r\nRemoteChoice=Torvik"
                                                           << "a.txt  RemoteChoice=Torvik";
    }

    void readBack()
    {
        QFETCH(QString, value);
        TestStore store;
        if (!value.isNull()) {
            SettingsStore::writePreference("Key", value);
            // A hand edit (with CR LF line ends) makes the store read the file
            // again rather than answer from what it kept of its own write.
            const QByteArray written = fileContent(store.iniPath());
            QVERIFY(writeFileContent(store.iniPath(), written + "[Other]\r\nKey=x\r\n"));
        }
        QTEST(SettingsStore::readPreference("Key", "default"), "expected");
        QVERIFY(!store.raw("Preferences", "RemoteChoice"));
    }

    // Garbage reads as the defaults; what is written over it is plain text,
    // on disk before the next call returns.
    void garbageGivesWayToPlainText()
    {
        TestStore store;
        QVERIFY(store.replaceFile(TestStore::Replacement::Bytes,
                                  QByteArray("\x00\xff[[[=\n==\x01garbage", 17)));
        QCOMPARE(SettingsStore::readPreference("RemoteChoice", "none"), "none");
        SettingsStore::writePreference("RemoteChoice", "Ardix");
        SettingsStore::writePreference("Velto LogName", "My Log.txt");
        SettingsStore::write("GPS Options", "GPS Enabled", "True");
        QCOMPARE(fileContent(store.iniPath()),
                 "[GPS Options]\nGPS Enabled=True\n\n[Preferences]\nRemoteChoice=Ardix\n"
                 "Velto LogName=My Log.txt\n");
        QCOMPARE(SettingsStore::read("GPS Options", "GPS Enabled"), "True");
    }

    // The store holds the community strings: only its owner may read it.
    void ownerOnlyAfterWrite_data()
    {
        QTest::addColumn<int>("modeBefore"); // 0: no file yet
        QTest::newRow("fresh store") << 0;
        QTest::newRow("existing world-readable file") << 0644;
    }

    void ownerOnlyAfterWrite()
    {
        QFETCH(int, modeBefore);
        TestStore store;
        if (modeBefore) {
            store.put("Preferences", "SNMPReadCommString", "public");
            QCOMPARE(::chmod(QFile::encodeName(store.iniPath()).constData(), mode_t(modeBefore)),
                     0);
        }
        SettingsStore::writePreference("SNMPWriteCommString", "s3cret");
        QCOMPARE(QFile::permissions(store.iniPath()),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        QCOMPARE(SettingsStore::readPreference("SNMPReadCommString"),
                 modeBefore ? "public" : QString());
    }
};

QTEST_GUILESS_MAIN(TestAppRules)
#include "tst_apprules.moc"
