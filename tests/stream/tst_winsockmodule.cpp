#include "TestSupport.h"
#include "stream/NetworkFunctions.h"
#include "stream/WinSockModule.h"

#include <QtTest>
#include <cerrno>
#include <netdb.h>

// The local address look-up and the socket error messages.
class TestWinSockModule : public QObject
{
    Q_OBJECT
private slots:
    void errorMessages_data();
    void errorMessages();
    void resolverFailures_data();
    void resolverFailures();
    void systemErrors_data();
    void systemErrors();
    void localAddress_data();
    void localAddress();
    void hostNameIsCutAndTrimmed();
    void systemResolverReadsNumericNames();
};

void TestWinSockModule::errorMessages_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");

    QTest::newRow("10004") << 10004
                           << "A blocking Windows Socket 1.1 call was canceled through "
                              "WSACancelBlockingCall.";
    QTest::newRow("10014") << 10014
                           << "The name parameter is not a valid part of the user address space.";
    QTest::newRow("10022") << 10022
                           << "The Windows Sockets version specified by the application is not "
                              "supported by this DLL.";
    QTest::newRow("10036") << 10036
                           << "A blocking Windows Sockets 1.1 call is in progress, or the service "
                              "provider is still processing a callback function.";
    QTest::newRow("10050") << 10050 << "The network subsystem has failed.";
    QTest::newRow("10091") << 10091
                           << "The underlying network subsystem is not ready for network "
                              "communication.";
    QTest::newRow("10092") << 10092
                           << "The version of Windows Sockets API support requested is not "
                              "provided by this particular Windows Sockets implementation.";
    QTest::newRow("10093") << 10093
                           << "A successful WSAStartup call must occur before using this function.";
    QTest::newRow("11001") << 11001 << "Authoritative answer host not found.";
    QTest::newRow("11002") << 11002 << "Nonauthoritative host not found, or server failure.";
    QTest::newRow("11003") << 11003 << "A nonrecoverable error occurred.";
    QTest::newRow("11004") << 11004 << "Valid name, no data record of requested type.";
    QTest::newRow("outside the table: an empty box") << 10048 << "";
    QTest::newRow("zero: an empty box") << 0 << "";
}

void TestWinSockModule::errorMessages()
{
    QFETCH(int, code);
    QFETCH(QString, text);

    MessageRecorder recorder;
    NetworkFunctions::ShowWinsockError(code);
    QCOMPARE(recorder.messages.size(), 1);
    QCOMPARE(recorder.messages[0].title, QStringLiteral("Kavo Connectivity Window"));
    QCOMPARE(recorder.messages[0].icon, MessageIcon::Exclamation);
    QCOMPARE(recorder.messages[0].text, text);
}

void TestWinSockModule::resolverFailures_data()
{
    QTest::addColumn<int>("resolverError");
    QTest::addColumn<int>("systemError");
    QTest::addColumn<int>("code");

    QTest::newRow("host not found") << EAI_NONAME << 0 << 11001;
    QTest::newRow("try again") << EAI_AGAIN << 0 << 11002;
    QTest::newRow("no recovery") << EAI_FAIL << 0 << 11003;
    QTest::newRow("no data") << EAI_NODATA << 0 << 11004;
    QTest::newRow("no address of the family") << EAI_ADDRFAMILY << 0 << 11004;
    QTest::newRow("system error: interrupted") << EAI_SYSTEM << EINTR << 10004;
    QTest::newRow("system error: network down") << EAI_SYSTEM << ENETDOWN << 10050;
    QTest::newRow("out of memory") << EAI_MEMORY << 0 << 11003;
}

void TestWinSockModule::resolverFailures()
{
    QFETCH(int, resolverError);
    QFETCH(int, systemError);
    QFETCH(int, code);

    const auto failing = [&](const QByteArray &) {
        WinSockModule::ResolverAnswer answer;
        answer.resolverError = resolverError;
        answer.systemError = systemError;
        return answer;
    };
    const WinSockModule::LocalAddressLookup lookup =
        WinSockModule::lookUpAddress("station", failing);
    QCOMPARE(lookup.errorCode, code);
    QVERIFY(lookup.address.isEmpty());
}

void TestWinSockModule::systemErrors_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("code");

    QTest::newRow("EINTR") << EINTR << 10004;
    QTest::newRow("EFAULT") << EFAULT << 10014;
    QTest::newRow("EINVAL") << EINVAL << 10022;
    QTest::newRow("EINPROGRESS") << EINPROGRESS << 10036;
    QTest::newRow("EADDRINUSE") << EADDRINUSE << 10048;
    QTest::newRow("ENETDOWN") << ENETDOWN << 10050;
    QTest::newRow("ENOMEM is out of buffers") << ENOMEM << 10055;
    QTest::newRow("no socket counterpart") << ENOENT << 10050;
}

void TestWinSockModule::systemErrors()
{
    QFETCH(int, error);
    QFETCH(int, code);
    QCOMPARE(WinSockModule::winsockCodeForErrno(error), code);
}

void TestWinSockModule::localAddress_data()
{
    QTest::addColumn<QList<quint32>>("addresses");
    QTest::addColumn<QString>("dotted");
    QTest::addColumn<int>("code");

    QTest::newRow("single address") << QList<quint32>{0x0A000005} << "10.0.0.5" << 0;
    QTest::newRow("the first of several")
        << QList<quint32>{0xC0A80114, 0x0A000005} << "192.168.1.20" << 0;
    QTest::newRow("no leading zeros, top byte unsigned")
        << QList<quint32>{0xFF000A01} << "255.0.10.1" << 0;
    QTest::newRow("an answer without IPv4 addresses") << QList<quint32>{} << "" << 11004;
}

void TestWinSockModule::localAddress()
{
    QFETCH(QList<quint32>, addresses);
    QFETCH(QString, dotted);
    QFETCH(int, code);

    const auto resolver = [&](const QByteArray &) {
        WinSockModule::ResolverAnswer answer;
        answer.ipv4Addresses = addresses;
        return answer;
    };
    const WinSockModule::LocalAddressLookup lookup =
        WinSockModule::lookUpAddress("station", resolver);
    QCOMPARE(lookup.address, dotted);
    QCOMPARE(lookup.errorCode, code);
}

void TestWinSockModule::hostNameIsCutAndTrimmed()
{
    QByteArray asked;
    const auto resolver = [&](const QByteArray &name) {
        asked = name;
        WinSockModule::ResolverAnswer answer;
        answer.ipv4Addresses = {0x0A000005};
        return answer;
    };
    QByteArray buffer("  field-laptop ");
    buffer.append('\0');
    buffer.append("left-over");
    buffer.append(256 - buffer.size(), '\0');
    WinSockModule::lookUpAddress(buffer, resolver);
    QCOMPARE(asked, QByteArray("field-laptop"));
}

void TestWinSockModule::systemResolverReadsNumericNames()
{
    // A numeric name never leaves the machine.
    const WinSockModule::ResolverAnswer answer = WinSockModule::resolveHostName("127.0.0.5");
    QCOMPARE(answer.resolverError, 0);
    QCOMPARE(answer.ipv4Addresses, QList<quint32>{0x7F000005});
    QCOMPARE(WinSockModule::dottedAddress(answer.ipv4Addresses.first()),
             QStringLiteral("127.0.0.5"));
}

QTEST_GUILESS_MAIN(TestWinSockModule)
#include "tst_winsockmodule.moc"
