#pragma once

// The SNMP agents moved to the shared test support; older tests include this name.
#include "SnmpAgentFixture.h"
