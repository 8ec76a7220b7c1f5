#include "TestSupport.h"
#include "stream/MulticastMembership.h"

#include <QNetworkInterface>
#include <QProcess>
#include <QStandardPaths>
#include <QUdpSocket>
#include <QtTest>
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString kGroup = QStringLiteral("224.1.2.3");

// Whether the kernel lists a membership of 224.1.2.3 on the interface, in
// the calling thread's namespace.
bool groupJoinedOn(const QString &interfaceName)
{
    QProcess ip;
    ip.start(QStringLiteral("ip"), {"maddr", "show", "dev", interfaceName});
    return ip.waitForFinished(10000) &&
           ip.readAllStandardOutput().simplified().split(' ').contains("224.1.2.3");
}

} // namespace

// Joining the Ardix group on the machine's interfaces.
class TestMulticastMembership : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // Joins on the machine's own interfaces would send membership reports out.
        const int loopback = QNetworkInterface::interfaceIndexFromName(QStringLiteral("lo"));
        QVERIFY(loopback > 0);
        MulticastMembership::setInterfaceSource([loopback] { return QList<int>{loopback}; });
    }

    void closedSocketIsNotTouched()
    {
        QUdpSocket socket;
        QVERIFY(socket.bind(QHostAddress::AnyIPv4, 0, QUdpSocket::ShareAddress));
        MulticastMembership membership;
        QVERIFY(membership.JoinMulticastGroup(socket.socketDescriptor(), kGroup));

        // The socket was closed (its memberships went with it) and its number
        // may belong to another socket by now, which must keep its own membership.
        socket.close();
        const int other = ::socket(AF_INET, SOCK_DGRAM, 0);
        QVERIFY(other >= 0);
        MulticastMembership othersMembership;
        QVERIFY(othersMembership.JoinMulticastGroup(other, kGroup));
        // A group text that is no address joins nothing.
        QVERIFY(!MulticastMembership().JoinMulticastGroup(other, QStringLiteral("a.b.c")));
        QVERIFY(membership.LeaveMulticastGroup(-1));
        QVERIFY(membership.joinedInterfaces().isEmpty());
        QVERIFY(othersMembership.LeaveMulticastGroup(other)); // still there to drop
        ::close(other);
    }

    void machineInterfaces_data()
    {
        QTest::addColumn<QStringList>("setUp"); // ip commands in a fresh network namespace
        QTest::addColumn<QStringList>("joined");

        const QStringList veth = {"link set lo up", "link add va type veth peer name vb",
                                  "addr add 198.18.213.1/30 dev va", "link set va up",
                                  "link set vb up"};
        QTest::newRow("nothing up") << QStringList{} << QStringList{};
        QTest::newRow("loopback when nothing else can join")
            << QStringList{"link set lo up"} << QStringList{"lo"};
        QTest::newRow("no multicast on loopback, no address on vb") << veth << QStringList{"va"};
        QTest::newRow("every multicast interface")
            << veth + QStringList{"addr add 198.18.213.2/30 dev vb"} << QStringList{"va", "vb"};
        QTest::newRow("a loopback that can multicast counts like any other")
            << veth + QStringList{"link set lo multicast on"} << QStringList{"lo", "va"};
        QTest::newRow("an interface that is down")
            << veth + QStringList{"link set va down"} << QStringList{"lo"};
    }

    void machineInterfaces()
    {
        QFETCH(QStringList, joined);
        if (::geteuid() != 0 || QStandardPaths::findExecutable(QStringLiteral("ip")).isEmpty())
            QSKIP("a network namespace needs root and the ip tool");

        // This thread moves to a namespace of its own with nothing but a loopback
        // that is down; sockets it makes meanwhile stay there. The namespace goes
        // when the thread leaves it.
        const int home = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
        QVERIFY(home >= 0);
        QVERIFY(::unshare(CLONE_NEWNET) == 0);
        const auto goHome = qScopeGuard([home] {
            ::setns(home, CLONE_NEWNET);
            ::close(home);
        });
        for (const QString &command : fetched<QStringList>("setUp")) {
            QProcess ip;
            ip.start(QStringLiteral("ip"), command.split(' '));
            QVERIFY2(ip.waitForFinished(10000) && ip.exitCode() == 0, qPrintable(command));
        }

        const auto loopbackOnly =
            MulticastMembership::setInterfaceSource(MulticastMembership::machineInterfaces);
        const auto restore =
            qScopeGuard([&] { MulticastMembership::setInterfaceSource(loopbackOnly); });
        QUdpSocket socket;
        QVERIFY(socket.bind(QHostAddress::AnyIPv4, 0, QUdpSocket::ShareAddress));
        MulticastMembership membership;
        QCOMPARE(membership.JoinMulticastGroup(socket.socketDescriptor(), kGroup),
                 !joined.isEmpty());
        QStringList names;
        for (int index : membership.joinedInterfaces()) {
            names << QNetworkInterface::interfaceNameFromIndex(index);
            QVERIFY(groupJoinedOn(names.last()));
        }
        names.sort();
        QCOMPARE(names, joined); // written in alphabetical order
        QVERIFY(membership.LeaveMulticastGroup(socket.socketDescriptor()));
        for (const QString &name : std::as_const(names))
            QVERIFY(!groupJoinedOn(name));
    }
};

QTEST_GUILESS_MAIN(TestMulticastMembership)
#include "tst_multicastmembership.moc"
