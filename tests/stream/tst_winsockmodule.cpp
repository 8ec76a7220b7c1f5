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
    void lookUp_data();
    void lookUp();
    void systemResolverReadsNumericNames();
};

void TestWinSockModule::errorMessages_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");

    const auto row = [](int code, const char *text) {
        QTest::addRow("%d", code) << code << QString::fromLatin1(text);
    };
    row(10004, "A blocking Windows Socket 1.1 call was canceled through WSACancelBlockingCall.");
    row(10014, "The name parameter is not a valid part of the user address space.");
    row(10022, "The Windows Sockets version specified by the application is not supported by "
               "this DLL.");
    row(10036, "A blocking Windows Sockets 1.1 call is in progress, or the service provider is "
               "still processing a callback function.");
    row(10050, "The network subsystem has failed.");
    row(10091, "The underlying network subsystem is not ready for network communication.");
    row(10092, "The version of Windows Sockets API support requested is not provided by this "
               "particular Windows Sockets implementation.");
    row(10093, "A successful WSAStartup call must occur before using this function.");
    row(11001, "Authoritative answer host not found.");
    row(11002, "Nonauthoritative host not found, or server failure.");
    row(11003, "A nonrecoverable error occurred.");
    row(11004, "Valid name, no data record of requested type.");
    row(10048, ""); // outside the table: an empty box
    row(0, "");
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

void TestWinSockModule::lookUp_data()
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

void TestWinSockModule::lookUp()
{
    QFETCH(int, resolverError);
    QFETCH(int, systemError);
    QFETCH(QList<quint32>, addresses);
    QFETCH(QString, dotted);
    QFETCH(int, code);

    QByteArray asked;
    const auto resolver = [&](const QByteArray &name) {
        asked = name;
        return WinSockModule::ResolverAnswer{resolverError, systemError, addresses};
    };
    // gethostname's buffer: the name, a NUL, whatever was there before.
    QByteArray buffer("  field-laptop ");
    buffer.append('\0').append("left-over");
    buffer.append(256 - buffer.size(), '\0');
    const WinSockModule::LocalAddressLookup lookup = WinSockModule::lookUpAddress(buffer, resolver);
    QCOMPARE(asked, QByteArray("field-laptop"));
    QCOMPARE(lookup.address, dotted);
    QCOMPARE(lookup.errorCode, code);
}

void TestWinSockModule::systemResolverReadsNumericNames()
{
    // A numeric name never leaves the machine.
    const WinSockModule::ResolverAnswer answer = WinSockModule::resolveHostName("127.0.0.5");
    QCOMPARE(answer.resolverError, 0);
    QCOMPARE(answer.ipv4Addresses, QList<quint32>{0x7F000005});
}

QTEST_GUILESS_MAIN(TestWinSockModule)
#include "tst_winsockmodule.moc"
