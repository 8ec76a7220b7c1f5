#include "SocketErrorMessage.h"

#include "OperatorMessages.h"
#include "SettingsStore.h"

namespace SocketErrorMessage {

QString winsockErrorText(int code)
{
    switch (code) {
    case 10004:
        return QStringLiteral(
            "A blocking Windows Socket 1.1 call was canceled through WSACancelBlockingCall.");
    case 10014:
        return QStringLiteral("The name parameter is not a valid part of the user address space.");
    case 10022:
        return QStringLiteral(
            "The Windows Sockets version specified by the application is not supported by this "
            "DLL.");
    case 10036:
        return QStringLiteral("A blocking Windows Sockets 1.1 call is in progress, or the service "
                              "provider is still processing a callback function.");
    case 10050:
        return QStringLiteral("The network subsystem has failed.");
    case 10091:
        return QStringLiteral(
            "The underlying network subsystem is not ready for network communication.");
    case 10092:
        return QStringLiteral("The version of Windows Sockets API support requested is not "
                              "provided by this particular Windows Sockets implementation.");
    case 10093:
        return QStringLiteral(
            "A successful WSAStartup call must occur before using this function.");
    case 11001:
        return QStringLiteral("Authoritative answer host not found.");
    case 11002:
        return QStringLiteral("Nonauthoritative host not found, or server failure.");
    case 11003:
        return QStringLiteral("A nonrecoverable error occurred.");
    case 11004:
        return QStringLiteral("Valid name, no data record of requested type.");
    default:
        return QString();
    }
}

void ShowWinsockError(int code)
{
    OperatorMessages::show(QString::fromUtf16(SettingsStore::kApplicationName),
                           MessageIcon::Exclamation, {winsockErrorText(code)});
}

} // namespace SocketErrorMessage
