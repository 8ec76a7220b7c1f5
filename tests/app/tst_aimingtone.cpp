// The aiming tone's samples, measured by sox: the pitch follows the reading.
#include "app/AimingToneGenerator.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class TestAimingTone : public QObject
{
    Q_OBJECT
private slots:
    void pitch_data();
    void pitch();
};

void TestAimingTone::pitch_data()
{
    QTest::addColumn<double>("rssiDbm");
    QTest::addColumn<double>("expectedHz");
    QTest::newRow("weak signal, low pitch") << -90.0 << 500.0;
    QTest::newRow("strong signal, high pitch") << -50.0 << 1300.0;
}

void TestAimingTone::pitch()
{
    QFETCH(double, rssiDbm);
    QFETCH(double, expectedHz);
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("tone.wav"));
    AimingToneGenerator generator;
    generator.setTone(AimingTonePlan::toneFor(rssiDbm, -100)); // steady
    QVERIFY(generator.writeWav(wav, 2));

    QProcess sox;
    sox.start(QStringLiteral("sox"), {wav, QStringLiteral("-n"), QStringLiteral("stat")});
    QVERIFY2(sox.waitForFinished(10000) && sox.exitCode() == 0, "sox must be installed");
    const QString report = QString::fromLatin1(sox.readAllStandardError());
    const QRegularExpressionMatch rough =
        QRegularExpression(QStringLiteral("Rough\\s+frequency:\\s+(\\d+)")).match(report);
    QVERIFY2(rough.hasMatch(), qPrintable(report));
    qInfo("%.0f dBm: %s Hz", rssiDbm, qPrintable(rough.captured(1)));
    QVERIFY(qAbs(rough.captured(1).toDouble() - expectedHz) < expectedHz * 0.03);
}

QTEST_GUILESS_MAIN(TestAimingTone)
#include "tst_aimingtone.moc"
