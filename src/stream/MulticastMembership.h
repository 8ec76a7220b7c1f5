#pragma once

#include <QList>
#include <QString>
#include <functional>

// Membership of the stream socket in the Ardix multicast group.
//
// A field laptop often has several interfaces, and the one the system would
// pick for a join on "any interface" need not be the one the radio is on. So
// the group is joined on every interface that is up, can multicast and has an
// IPv4 address, each by its index; the join fails only when no interface
// could be joined. A laptop with nothing but loopback up (the radio's cable
// not yet plugged in) joins on loopback, so the run starts and the arrival
// supervision tells the operator that no data comes.
class MulticastMembership
{
public:
    // What the choice needs to know of one interface.
    struct InterfaceFacts
    {
        int index = 0;
        bool up = false;
        bool canMulticast = false;
        bool loopback = false;
        bool hasIPv4 = false;
    };

    // Indexes of the interfaces to join, in the order given.
    static QList<int> chooseInterfaces(const QList<InterfaceFacts> &interfaces);
    // The choice among this machine's interfaces.
    static QList<int> machineInterfaces();

    // Where the interface indexes come from: machineInterfaces() unless
    // replaced. Tests name loopback alone, so no membership report leaves the
    // machine. Returns the previous source.
    using InterfaceSource = std::function<QList<int>()>;
    static InterfaceSource setInterfaceSource(InterfaceSource source);

    // Joins groupAddress (dotted text) on the socket, on every interface of
    // the source (IP_ADD_MEMBERSHIP). True when at least one join succeeded.
    bool JoinMulticastGroup(qintptr socketHandle, const QString &groupAddress);

    // Drops every membership made (IP_DROP_MEMBERSHIP) when socketHandle is
    // still the socket that joined. A socket that was closed meanwhile took
    // its memberships with it, and its descriptor may belong to another file
    // by now, so nothing is sent to it then. True when every drop succeeded.
    bool LeaveMulticastGroup(qintptr socketHandle);

    QList<int> joinedInterfaces() const { return m_joined; }

private:
    bool setMembership(int option, int interfaceIndex);

    qintptr m_socketHandle = -1;
    quint32 m_group = 0; // network order
    QList<int> m_joined;
};
