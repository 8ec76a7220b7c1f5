// What a GPS daemon's watch delivers, and the receivers the system names by
// their identity.
#include "gps/GpsdLines.h"
#include "gps/SerialDevices.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestGpsdLines : public QObject
{
    Q_OBJECT
private slots:
    void takeSentences_data();
    void takeSentences();
    void receiversById();
};

void TestGpsdLines::takeSentences_data()
{
    QTest::addColumn<QByteArray>("arrived");
    QTest::addColumn<QString>("sentences");
    QTest::addColumn<QByteArray>("left");

    const QByteArray gga = "$GPGGA,1,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,M,,*47";
    const QByteArray report = R"({"class":"TPV","lat":48.1,"lon":11.5})";
    QTest::newRow("reports dropped, sentence kept")
        << report + "\n" + gga + "\r\n" + report + "\n"
        << QString::fromLatin1(gga + "\r\n") << QByteArray();
    QTest::newRow("unfinished sentence waits")
        << gga + "\r\n" + gga.left(20) << QString::fromLatin1(gga + "\r\n") << gga.left(20);
    QTest::newRow("nothing finished") << gga.left(20) << QString() << gga.left(20);
    QTest::newRow("AIS and LF-only lines")
        << QByteArray("!AIVDM,1\n$GPGSA,A*1\n") << u"!AIVDM,1\r\n$GPGSA,A*1\r\n"_s << QByteArray();
    QTest::newRow("endless line dropped") << QByteArray(20000, 'x') << QString() << QByteArray();
}

void TestGpsdLines::takeSentences()
{
    QFETCH(QByteArray, arrived);
    QFETCH(QString, sentences);
    QFETCH(QByteArray, left);
    QByteArray pending = arrived;
    QCOMPARE(GpsdLines::takeSentences(pending), sentences);
    QCOMPARE(pending, left);
}

void TestGpsdLines::receiversById()
{
    QTemporaryDir dir;
    const QString byId = dir.filePath(u"by-id"_s);
    QVERIFY(QDir().mkpath(byId) && QFile(dir.filePath(u"ttyUSB1"_s)).open(QIODevice::WriteOnly));
    QVERIFY(QFile::link(dir.filePath(u"ttyUSB1"_s), byId + u"/usb-B_Receiver"_s));
    QVERIFY(QFile::link(dir.filePath(u"none"_s), byId + u"/usb-A_Receiver"_s));

    QCOMPARE(SerialDevices::receiversById(byId),
             QStringList({byId + u"/usb-A_Receiver"_s, byId + u"/usb-B_Receiver"_s}));
    QCOMPARE(SerialDevices::byIdPathOf(dir.filePath(u"ttyUSB1"_s), byId),
             byId + u"/usb-B_Receiver"_s);
    QCOMPARE(SerialDevices::byIdPathOf(dir.filePath(u"ttyUSB9"_s), byId), QString());
}

QTEST_GUILESS_MAIN(TestGpsdLines)
#include "tst_GpsdLines.moc"
