#include "stream/MulticastMembership.h"
#include "stream/WinSockModule.h"

#include <QFile>
#include <QNetworkInterface>
#include <QProcess>
#include <QStandardPaths>
#include <QUdpSocket>
#include <QtTest>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Two network namespaces of this test's own, joined by a veth pair: nothing
// sent in them can leave the machine. Needs root and the ip tool.
class PrivateNetwork
{
public:
    PrivateNetwork()
        : m_a(QStringLiteral("kavo-mc-%1-a").arg(::getpid())),
          m_b(QStringLiteral("kavo-mc-%1-b").arg(::getpid())),
          m_loopbackOnly(QStringLiteral("kavo-mc-%1-c").arg(::getpid()))
    {}

    ~PrivateNetwork()
    {
        for (const QString &ns : std::as_const(m_made))
            ip({QStringLiteral("netns"), QStringLiteral("del"), ns});
    }

    QString a() const { return m_a; }
    QString b() const { return m_b; }
    QString loopbackOnly() const { return m_loopbackOnly; }
    static QString receiverAddress() { return QStringLiteral("198.18.213.1"); }
    static QString senderAddress() { return QStringLiteral("198.18.213.2"); }

    // Empty when ready, otherwise why not.
    QString make()
    {
        if (::geteuid() != 0)
            return QStringLiteral("network namespaces need root");
        if (QStandardPaths::findExecutable(QStringLiteral("ip")).isEmpty())
            return QStringLiteral("the ip tool is missing");
        for (const QString &ns : {m_a, m_b, m_loopbackOnly}) {
            if (!ip({QStringLiteral("netns"), QStringLiteral("add"), ns}))
                return QStringLiteral("cannot create network namespace ") + ns;
            m_made << ns;
            if (!ip({QStringLiteral("-n"), ns, QStringLiteral("link"), QStringLiteral("set"),
                     QStringLiteral("lo"), QStringLiteral("up")}))
                return QStringLiteral("cannot bring loopback up");
        }
        const bool ok = ip({"-n", m_a, "link", "add", "va", "type", "veth", "peer", "name", "vb",
                            "netns", m_b}) &&
                        ip({"-n", m_a, "addr", "add", receiverAddress() + "/30", "dev", "va"}) &&
                        ip({"-n", m_a, "link", "set", "va", "up"}) &&
                        ip({"-n", m_b, "addr", "add", senderAddress() + "/30", "dev", "vb"}) &&
                        ip({"-n", m_b, "link", "set", "vb", "up"});
        return ok ? QString() : QStringLiteral("cannot set up the veth pair");
    }

private:
    static bool ip(const QStringList &arguments)
    {
        QProcess p;
        p.start(QStringLiteral("ip"), arguments);
        return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit &&
               p.exitCode() == 0;
    }

    QString m_a, m_b, m_loopbackOnly;
    QStringList m_made;
};

// While alive, this thread (the test's only one) works in the named namespace;
// sockets made meanwhile stay in it.
class InNamespace
{
public:
    explicit InNamespace(const QString &name)
    {
        m_home = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
        const int target =
            ::open(QByteArray("/run/netns/" + name.toLatin1()).constData(), O_RDONLY | O_CLOEXEC);
        m_entered = m_home >= 0 && target >= 0 && ::setns(target, CLONE_NEWNET) == 0;
        if (target >= 0)
            ::close(target);
    }
    ~InNamespace()
    {
        if (m_entered)
            ::setns(m_home, CLONE_NEWNET);
        if (m_home >= 0)
            ::close(m_home);
    }
    bool entered() const { return m_entered; }

private:
    int m_home = -1;
    bool m_entered = false;
};

// Memberships of the group 224.1.2.3 on an interface, as the kernel lists
// them for the calling thread's namespace.
bool groupJoinedOn(const QString &interfaceName)
{
    QFile igmp(QStringLiteral("/proc/thread-self/net/igmp"));
    if (!igmp.open(QIODevice::ReadOnly))
        return false;
    QString device;
    for (const QByteArray &line : igmp.readAll().split('\n')) {
        if (!line.startsWith('\t') && line.contains(':'))
            device = QString::fromLatin1(line.split('\t').value(1).split(':').first()).trimmed();
        else if (line.trimmed().startsWith("030201E0") && device == interfaceName)
            return true;
    }
    return false;
}

} // namespace

// Joining the Ardix group on the machine's interfaces.
class TestMulticastMembership : public QObject
{
    Q_OBJECT
private slots:
    void interfaceChoice_data();
    void interfaceChoice();
    void noJoinableInterfaceFails();
    void closedSocketIsNotTouched();
    void multicastArrivesBetweenNamespaces();
    void loopbackAloneIsJoined();
};

using Facts = MulticastMembership::InterfaceFacts;
Q_DECLARE_METATYPE(QList<Facts>)

void TestMulticastMembership::interfaceChoice_data()
{
    QTest::addColumn<QList<Facts>>("interfaces");
    QTest::addColumn<QList<int>>("chosen");

    // index, up, can multicast, loopback, IPv4 address
    const Facts lo{1, true, false, true, true};
    const Facts wired{2, true, true, false, true};
    const Facts wireless{3, true, true, false, true};
    const Facts down{4, false, true, false, true};
    const Facts noIPv4{5, true, true, false, false};
    const Facts pointToPoint{6, true, false, false, true};

    QTest::newRow("every multicast interface")
        << QList<Facts>{lo, wired, wireless} << QList<int>{2, 3};
    QTest::newRow("down, address-less and point-to-point are left out")
        << QList<Facts>{lo, down, noIPv4, pointToPoint, wired} << QList<int>{2};
    QTest::newRow("loopback when nothing else can join")
        << QList<Facts>{lo, down, pointToPoint} << QList<int>{1};
    QTest::newRow("a loopback that can multicast counts like any other")
        << QList<Facts>{Facts{1, true, true, true, true}, wired} << QList<int>{1, 2};
    QTest::newRow("nothing up") << QList<Facts>{Facts{1, false, false, true, true}, down}
                                << QList<int>{};
}

void TestMulticastMembership::interfaceChoice()
{
    QFETCH(QList<Facts>, interfaces);
    QFETCH(QList<int>, chosen);
    QCOMPARE(MulticastMembership::chooseInterfaces(interfaces), chosen);
}

void TestMulticastMembership::noJoinableInterfaceFails()
{
    // An interface index that does not exist: the only join fails.
    const auto previous = MulticastMembership::setInterfaceSource([] { return QList<int>{}; });
    QUdpSocket socket;
    QVERIFY(socket.bind(QHostAddress::LocalHost, 0));
    MulticastMembership membership;
    QVERIFY(!membership.JoinMulticastGroup(socket.socketDescriptor(), QStringLiteral("224.1.2.3")));

    MulticastMembership::setInterfaceSource([] { return QList<int>{999999}; });
    QVERIFY(!membership.JoinMulticastGroup(socket.socketDescriptor(), QStringLiteral("224.1.2.3")));
    QCOMPARE(WinSockModule::LastApiResult, -1);
    QVERIFY(membership.joinedInterfaces().isEmpty());

    const int loopback = QNetworkInterface::interfaceIndexFromName(QStringLiteral("lo"));
    MulticastMembership::setInterfaceSource([loopback] { return QList<int>{loopback}; });
    QVERIFY(
        !membership.JoinMulticastGroup(socket.socketDescriptor(), QStringLiteral("not.a.group")));
    MulticastMembership::setInterfaceSource(previous);
}

void TestMulticastMembership::closedSocketIsNotTouched()
{
    const int loopback = QNetworkInterface::interfaceIndexFromName(QStringLiteral("lo"));
    const auto previous =
        MulticastMembership::setInterfaceSource([loopback] { return QList<int>{loopback}; });
    QUdpSocket socket;
    QVERIFY(socket.bind(QHostAddress::AnyIPv4, 0, QUdpSocket::ShareAddress));
    MulticastMembership membership;
    const qintptr handle = socket.socketDescriptor();
    QVERIFY(membership.JoinMulticastGroup(handle, QStringLiteral("224.1.2.3")));
    QCOMPARE(membership.joinedInterfaces(), QList<int>{loopback});

    // The socket was closed (its memberships went with it) and its number
    // may belong to another socket by now, which must keep its own membership.
    socket.close();
    const int other = ::socket(AF_INET, SOCK_DGRAM, 0);
    QVERIFY(other >= 0);
    MulticastMembership othersMembership;
    QVERIFY(othersMembership.JoinMulticastGroup(other, QStringLiteral("224.1.2.3")));
    WinSockModule::LastApiResult = 12345;
    QVERIFY(membership.LeaveMulticastGroup(-1));
    QCOMPARE(WinSockModule::LastApiResult, 12345); // no socket call was made
    QVERIFY(membership.joinedInterfaces().isEmpty());
    QVERIFY(othersMembership.LeaveMulticastGroup(other)); // still there to drop
    ::close(other);
    MulticastMembership::setInterfaceSource(previous);
}

void TestMulticastMembership::multicastArrivesBetweenNamespaces()
{
    PrivateNetwork network;
    const QString why = network.make();
    if (!why.isEmpty())
        QSKIP(qPrintable(why));

    const auto previous =
        MulticastMembership::setInterfaceSource(MulticastMembership::machineInterfaces);
    QUdpSocket receiver;
    MulticastMembership membership;
    int va = 0;
    {
        InNamespace in(network.a());
        QVERIFY(in.entered());
        QVERIFY(receiver.bind(QHostAddress::AnyIPv4, 0, QUdpSocket::ShareAddress));
        va = QNetworkInterface::interfaceIndexFromName(QStringLiteral("va"));
        QVERIFY(membership.JoinMulticastGroup(receiver.socketDescriptor(),
                                              QStringLiteral("224.1.2.3")));
        // Loopback cannot multicast, so the veth end is the only choice.
        QCOMPARE(membership.joinedInterfaces(), QList<int>{va});
        QVERIFY(groupJoinedOn(QStringLiteral("va")));
    }

    const QByteArray payload = QByteArray::fromHex("01FFB5") + QByteArray(32, '\0');
    {
        InNamespace in(network.b());
        QVERIFY(in.entered());
        const int sender = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        QVERIFY(sender >= 0);
        in_addr out{};
        ::inet_pton(AF_INET, PrivateNetwork::senderAddress().toLatin1().constData(), &out);
        QCOMPARE(::setsockopt(sender, IPPROTO_IP, IP_MULTICAST_IF, &out, sizeof out), 0);
        sockaddr_in group{};
        group.sin_family = AF_INET;
        group.sin_port = htons(receiver.localPort());
        ::inet_pton(AF_INET, "224.1.2.3", &group.sin_addr);
        const auto sent = ::sendto(sender, payload.constData(), payload.size(), 0,
                                   reinterpret_cast<const sockaddr *>(&group), sizeof group);
        ::close(sender);
        QCOMPARE(sent, payload.size());
    }

    QTRY_VERIFY(receiver.hasPendingDatagrams());
    QByteArray received(receiver.pendingDatagramSize(), '\0');
    QHostAddress from;
    receiver.readDatagram(received.data(), received.size(), &from);
    QCOMPARE(received, payload);
    QCOMPARE(from.toString(), PrivateNetwork::senderAddress());

    {
        InNamespace in(network.a());
        QVERIFY(in.entered());
        QVERIFY(membership.LeaveMulticastGroup(receiver.socketDescriptor()));
        QVERIFY(!groupJoinedOn(QStringLiteral("va")));
    }
    MulticastMembership::setInterfaceSource(previous);
}

void TestMulticastMembership::loopbackAloneIsJoined()
{
    PrivateNetwork network;
    const QString why = network.make();
    if (!why.isEmpty())
        QSKIP(qPrintable(why));

    const auto previous =
        MulticastMembership::setInterfaceSource(MulticastMembership::machineInterfaces);
    InNamespace in(network.loopbackOnly());
    QVERIFY(in.entered());
    QUdpSocket receiver;
    QVERIFY(receiver.bind(QHostAddress::AnyIPv4, 0, QUdpSocket::ShareAddress));
    MulticastMembership membership;
    QVERIFY(
        membership.JoinMulticastGroup(receiver.socketDescriptor(), QStringLiteral("224.1.2.3")));
    QCOMPARE(membership.joinedInterfaces(),
             QList<int>{QNetworkInterface::interfaceIndexFromName(QStringLiteral("lo"))});
    QVERIFY(groupJoinedOn(QStringLiteral("lo")));
    QVERIFY(membership.LeaveMulticastGroup(receiver.socketDescriptor()));
    QVERIFY(!groupJoinedOn(QStringLiteral("lo")));
    MulticastMembership::setInterfaceSource(previous);
}

QTEST_GUILESS_MAIN(TestMulticastMembership)
#include "tst_multicastmembership.moc"
