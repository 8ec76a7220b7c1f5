#include "MulticastMembership.h"

#include <QNetworkInterface>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

MulticastMembership::InterfaceSource &currentSource()
{
    static MulticastMembership::InterfaceSource source = MulticastMembership::machineInterfaces;
    return source;
}

} // namespace

QList<int> MulticastMembership::chooseInterfaces(const QList<InterfaceFacts> &interfaces)
{
    QList<int> chosen;
    for (const InterfaceFacts &i : interfaces) {
        if (i.up && i.canMulticast && i.hasIPv4)
            chosen << i.index;
    }
    if (chosen.isEmpty()) {
        for (const InterfaceFacts &i : interfaces) {
            if (i.up && i.loopback)
                chosen << i.index;
        }
    }
    return chosen;
}

QList<int> MulticastMembership::machineInterfaces()
{
    QList<InterfaceFacts> facts;
    for (const QNetworkInterface &nic : QNetworkInterface::allInterfaces()) {
        InterfaceFacts f;
        f.index = nic.index();
        f.up = nic.flags().testFlag(QNetworkInterface::IsUp);
        f.canMulticast = nic.flags().testFlag(QNetworkInterface::CanMulticast);
        f.loopback = nic.flags().testFlag(QNetworkInterface::IsLoopBack);
        for (const QNetworkAddressEntry &entry : nic.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                f.hasIPv4 = true;
        }
        facts << f;
    }
    return chooseInterfaces(facts);
}

MulticastMembership::InterfaceSource MulticastMembership::setInterfaceSource(InterfaceSource source)
{
    InterfaceSource previous = std::move(currentSource());
    currentSource() = source ? std::move(source) : InterfaceSource(machineInterfaces);
    return previous;
}

bool MulticastMembership::setMembership(int option, int interfaceIndex)
{
    // The request names the interface by index (ip_mreqn), so an interface
    // with several addresses is joined once.
    ip_mreqn request{};
    request.imr_multiaddr.s_addr = m_group;
    request.imr_address.s_addr = htonl(INADDR_ANY);
    request.imr_ifindex = interfaceIndex;
    return ::setsockopt(static_cast<int>(m_socketHandle), IPPROTO_IP, option, &request,
                        sizeof request) != -1;
}

bool MulticastMembership::JoinMulticastGroup(qintptr socketHandle, const QString &groupAddress)
{
    m_socketHandle = socketHandle;
    m_joined.clear();
    in_addr group{};
    if (::inet_pton(AF_INET, groupAddress.toLatin1().constData(), &group) != 1)
        return false;
    m_group = group.s_addr;
    for (int index : currentSource()()) {
        if (setMembership(IP_ADD_MEMBERSHIP, index))
            m_joined << index;
    }
    return !m_joined.isEmpty();
}

bool MulticastMembership::LeaveMulticastGroup(qintptr socketHandle)
{
    bool allDropped = true;
    if (socketHandle == m_socketHandle && socketHandle != -1) {
        for (int index : std::as_const(m_joined))
            allDropped = setMembership(IP_DROP_MEMBERSHIP, index) && allDropped;
    }
    m_joined.clear();
    m_socketHandle = -1;
    return allDropped;
}
