#include "LocalAddress.h"

#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace LocalAddress {

namespace {

constexpr int kHostNameBufferSize = 256;
constexpr int kWsaHostNotFound = 11001;
constexpr int kWsaTryAgain = 11002;
constexpr int kWsaNoRecovery = 11003;
constexpr int kWsaNoData = 11004;
constexpr int kWsaFault = 10014;
constexpr int kWsaNoBuffers = 10055;
constexpr int kWsaNetworkDown = 10050;

struct ErrnoCode
{
    int error;
    int code;
};

// Linux errno values and the Windows Sockets codes of the same meaning.
constexpr ErrnoCode kErrnoCodes[] = {
    {EINTR, 10004},           {EBADF, 10009},        {EACCES, 10013},
    {EFAULT, 10014},          {EINVAL, 10022},       {EMFILE, 10024},
    {EWOULDBLOCK, 10035},     {EINPROGRESS, 10036},  {EALREADY, 10037},
    {ENOTSOCK, 10038},        {EDESTADDRREQ, 10039}, {EMSGSIZE, 10040},
    {EPROTOTYPE, 10041},      {ENOPROTOOPT, 10042},  {EPROTONOSUPPORT, 10043},
    {ESOCKTNOSUPPORT, 10044}, {EOPNOTSUPP, 10045},   {EPFNOSUPPORT, 10046},
    {EAFNOSUPPORT, 10047},    {EADDRINUSE, 10048},   {EADDRNOTAVAIL, 10049},
    {ENETDOWN, 10050},        {ENETUNREACH, 10051},  {ENETRESET, 10052},
    {ECONNABORTED, 10053},    {ECONNRESET, 10054},   {ENOBUFS, 10055},
    {ENOMEM, kWsaNoBuffers},  {EISCONN, 10056},      {ENOTCONN, 10057},
    {ESHUTDOWN, 10058},       {ETOOMANYREFS, 10059}, {ETIMEDOUT, 10060},
    {ECONNREFUSED, 10061},    {ELOOP, 10062},        {ENAMETOOLONG, 10063},
    {EHOSTDOWN, 10064},       {EHOSTUNREACH, 10065}, {ENOTEMPTY, 10066},
    {EUSERS, 10068},          {EDQUOT, 10069},       {ESTALE, 10070},
    {EREMOTE, 10071},
};

int winsockCodeForErrno(int error)
{
    for (const ErrnoCode &entry : kErrnoCodes) {
        if (entry.error == error)
            return entry.code;
    }
    return kWsaNetworkDown;
}

int winsockCodeForResolverError(int resolverError, int systemError)
{
    switch (resolverError) {
    case EAI_NONAME:
        return kWsaHostNotFound;
    case EAI_AGAIN:
        return kWsaTryAgain;
    case EAI_FAIL:
        return kWsaNoRecovery;
    case EAI_NODATA:
    case EAI_ADDRFAMILY:
        return kWsaNoData;
    case EAI_SYSTEM:
        return winsockCodeForErrno(systemError);
    default:
        return kWsaNoRecovery;
    }
}

QString dottedAddress(quint32 address)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg((address >> 24) & 0xFFU)
        .arg((address >> 16) & 0xFFU)
        .arg((address >> 8) & 0xFFU)
        .arg(address & 0xFFU);
}

} // namespace

ResolverAnswer resolveHostName(const QByteArray &hostName)
{
    ResolverAnswer answer;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo *list = nullptr;
    errno = 0;
    answer.resolverError = ::getaddrinfo(hostName.constData(), nullptr, &hints, &list);
    if (answer.resolverError != 0) {
        answer.systemError = errno;
        return answer;
    }
    for (const addrinfo *entry = list; entry; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET)
            answer.ipv4Addresses << ntohl(
                reinterpret_cast<const sockaddr_in *>(entry->ai_addr)->sin_addr.s_addr);
    }
    ::freeaddrinfo(list);
    return answer;
}

Lookup lookUpAddress(const QByteArray &rawHostName, const Resolver &resolve)
{
    QByteArray name = rawHostName;
    const qsizetype nul = name.indexOf('\0');
    if (nul >= 0)
        name.truncate(nul);
    while (name.startsWith(' '))
        name.remove(0, 1);
    while (name.endsWith(' '))
        name.chop(1);

    const ResolverAnswer answer = resolve(name);
    if (answer.resolverError != 0)
        return {QString(), winsockCodeForResolverError(answer.resolverError, answer.systemError)};
    if (answer.ipv4Addresses.isEmpty())
        return {QString(), kWsaNoData};
    return {dottedAddress(answer.ipv4Addresses.first()), 0};
}

Lookup lookUpLocalAddress()
{
    char buffer[kHostNameBufferSize] = {};
    if (::gethostname(buffer, sizeof buffer - 1) == -1)
        return {QString(), kWsaFault};
    return lookUpAddress(QByteArray(buffer, sizeof buffer), resolveHostName);
}

} // namespace LocalAddress
