#include "app/LocalAddress.h"

#include <QtTest>
#include <cerrno>
#include <netdb.h>

// The local address look-up.
class TestLocalAddress : public QObject
{
    Q_OBJECT
private slots:
    void lookUp_data();
    void lookUp();
    void systemResolverReadsNumericNames();
};

void TestLocalAddress::lookUp_data()
{
    QTest::addColumn<int>("resolverError");
    QTest::addColumn<int>("systemError");
    QTest::addColumn<QList<quint32>>("addresses");
    QTest::addColumn<QString>("dotted");
    QTest::addColumn<int>("code");

    const QList<quint32> none;
    QTest::newRow("single address") << 0 << 0 << QList<quint32>{0x0A000005} << "10.0.0.5" << 0;
    QTest::newRow("the first of several")
        << 0 << 0 << QList<quint32>{0xC0A80114, 0x0A000005} << "192.168.1.20" << 0;
    QTest::newRow("no leading zeros, top byte unsigned")
        << 0 << 0 << QList<quint32>{0xFF000A01} << "255.0.10.1" << 0;
    QTest::newRow("an answer without IPv4 addresses") << 0 << 0 << none << "" << 11004;
    QTest::newRow("host not found") << EAI_NONAME << 0 << none << "" << 11001;
    QTest::newRow("try again") << EAI_AGAIN << 0 << none << "" << 11002;
    QTest::newRow("no recovery") << EAI_FAIL << 0 << none << "" << 11003;
    QTest::newRow("no data") << EAI_NODATA << 0 << none << "" << 11004;
    QTest::newRow("no address of the family") << EAI_ADDRFAMILY << 0 << none << "" << 11004;
    QTest::newRow("out of memory") << EAI_MEMORY << 0 << none << "" << 11003;
    QTest::newRow("EINTR") << EAI_SYSTEM << EINTR << none << "" << 10004;
    QTest::newRow("EADDRINUSE") << EAI_SYSTEM << EADDRINUSE << none << "" << 10048;
    QTest::newRow("ENETDOWN") << EAI_SYSTEM << ENETDOWN << none << "" << 10050;
    QTest::newRow("ENOMEM is out of buffers") << EAI_SYSTEM << ENOMEM << none << "" << 10055;
    QTest::newRow("no socket counterpart") << EAI_SYSTEM << ENOENT << none << "" << 10050;
}

void TestLocalAddress::lookUp()
{
    QFETCH(int, resolverError);
    QFETCH(int, systemError);
    QFETCH(QList<quint32>, addresses);
    QFETCH(QString, dotted);
    QFETCH(int, code);

    QByteArray asked;
    const auto resolver = [&](const QByteArray &name) {
        asked = name;
        return LocalAddress::ResolverAnswer{resolverError, systemError, addresses};
    };
    // gethostname's buffer: the name, a NUL, whatever was there before.
    QByteArray buffer("  field-laptop ");
    buffer.append('\0').append("left-over");
    buffer.append(256 - buffer.size(), '\0');
    const LocalAddress::Lookup lookup = LocalAddress::lookUpAddress(buffer, resolver);
    QCOMPARE(asked, QByteArray("field-laptop"));
    QCOMPARE(lookup.address, dotted);
    QCOMPARE(lookup.errorCode, code);
}

void TestLocalAddress::systemResolverReadsNumericNames()
{
    // A numeric name never leaves the machine.
    const LocalAddress::ResolverAnswer answer = LocalAddress::resolveHostName("127.0.0.5");
    QCOMPARE(answer.resolverError, 0);
    QCOMPARE(answer.ipv4Addresses, QList<quint32>{0x7F000005});
}

QTEST_GUILESS_MAIN(TestLocalAddress)
#include "tst_localaddress.moc"
