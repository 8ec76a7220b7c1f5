#pragma once

#include <QtGlobal>

// The result of the latest socket call of the Ardix stream.
namespace WinSockModule {

// Return value of the latest socket call made here (0 or -1).
extern qint32 LastApiResult;

} // namespace WinSockModule
