#pragma once

#include <QString>

// The operator's messages for socket failures.
namespace SocketErrorMessage {

// The operator's text for a Windows Sockets error code (see LocalAddress for
// how Linux failures map to them); the empty text for codes without one.
QString winsockErrorText(int code);

// Shows the code's text in a modal message with the exclamation icon and the
// application's title; a code without a text still shows the (empty) box.
void ShowWinsockError(int code);

} // namespace SocketErrorMessage
