#include "CongestionStatus.h"

CongestionStatus congestionStatus;
