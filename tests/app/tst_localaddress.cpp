#include "app/LocalAddress.h"

#include <QtTest>
#include <cerrno>
#include <netdb.h>

class TestLocalAddress : public QObject
{
    Q_OBJECT
private slots:
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
        QTest::newRow("single address") << 0 << 0 << QList<quint32>{0x0A000005} << "10.0.0.5" << 0;
        QTest::newRow("the first of several")
            << 0 << 0 << QList<quint32>{0xC0A80114, 0x0A000005} << "192.168.1.20" << 0;
        QTest::newRow("no leading zeros, top byte unsigned")
            << 0 << 0 << QList<quint32>{0xFF000A01} << "255.0.10.1" << 0;
        failure("an answer without IPv4 addresses", 0, 0, 11004);
        failure("host not found", EAI_NONAME, 0, 11001);
        failure("try again", EAI_AGAIN, 0, 11002);
        failure("no recovery", EAI_FAIL, 0, 11003);
        failure("no data", EAI_NODATA, 0, 11004);
        failure("no address of the family", EAI_ADDRFAMILY, 0, 11004);
        failure("out of memory", EAI_MEMORY, 0, 11003);
        failure("EINTR", EAI_SYSTEM, EINTR, 10004);
        failure("EADDRINUSE", EAI_SYSTEM, EADDRINUSE, 10048);
        failure("ENETDOWN", EAI_SYSTEM, ENETDOWN, 10050);
        failure("ENOMEM is out of buffers", EAI_SYSTEM, ENOMEM, 10055);
        failure("no socket counterpart", EAI_SYSTEM, ENOENT, 10050);
    }

    void lookUp()
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
        buffer.append('\0').append("left-over").append(256 - 25, '\0');
        const LocalAddress::Lookup lookup = LocalAddress::lookUpAddress(buffer, resolver);
        QCOMPARE(asked, "field-laptop");
        QCOMPARE(lookup.address, dotted);
        QCOMPARE(lookup.errorCode, code);
    }

    void systemResolverReadsNumericNames()
    {
        // A numeric name never leaves the machine.
        const LocalAddress::ResolverAnswer answer = LocalAddress::resolveHostName("127.0.0.5");
        QCOMPARE(answer.resolverError, 0);
        QCOMPARE(answer.ipv4Addresses, QList<quint32>{0x7F000005});
    }
};

QTEST_GUILESS_MAIN(TestLocalAddress)
#include "tst_localaddress.moc"
