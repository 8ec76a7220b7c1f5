#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

// This host's IPv4 address, as the Velto start looks it up.
//
// Failures are reported with Windows Sockets error codes, because the
// operator's messages (SocketErrorMessage) are worded for them. Linux
// failures map to the code of the same meaning:
// - resolver (getaddrinfo): EAI_NONAME -> 11001 host not found, EAI_AGAIN ->
//   11002 try again, EAI_FAIL -> 11003 no recovery, EAI_NODATA and
//   EAI_ADDRFAMILY -> 11004 no data of the requested type, EAI_SYSTEM -> the
//   code of errno, anything else -> 11003;
// - errno -> 10000 plus the BSD number of the same error (EINTR 10004, EFAULT
//   10014, EINVAL 10022, EINPROGRESS 10036, ENETDOWN 10050, ...), ENOMEM ->
//   10055 (no buffer space), an errno without a socket counterpart -> 10050
//   (the network subsystem has failed);
// - gethostname: any failure means the buffer could not take the name, which
//   Windows Sockets reports as 10014.
namespace LocalAddress {

// What the resolver said about a host name.
struct ResolverAnswer
{
    int resolverError = 0;        // an EAI_ code, 0 on success
    int systemError = 0;          // errno, when resolverError is EAI_SYSTEM
    QList<quint32> ipv4Addresses; // host order, in the resolver's order
};
using Resolver = std::function<ResolverAnswer(const QByteArray &hostName)>;

// The system resolver (getaddrinfo), IPv4 addresses only.
ResolverAnswer resolveHostName(const QByteArray &hostName);

struct Lookup
{
    QString address;   // dotted text, empty on failure
    int errorCode = 0; // Windows Sockets code of the failure, 0 on success
};

// The address of a host name as gethostname returned it: the name is cut at
// its first NUL and trimmed of blanks, then resolved; the first IPv4 address
// is written as dotted decimal (10.0.0.5).
Lookup lookUpAddress(const QByteArray &rawHostName, const Resolver &resolve);
// This host's address: gethostname, then the system resolver.
Lookup lookUpLocalAddress();

} // namespace LocalAddress
