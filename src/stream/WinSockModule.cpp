#include "WinSockModule.h"

namespace WinSockModule {

qint32 LastApiResult = 0;

} // namespace WinSockModule
