#pragma once

// net-snmp's library, set up for the station: quiet (its log goes to the
// "kavo.snmp" logging category), reading no MIB files and no configuration,
// keeping what it persists in the per-user cache.
namespace SnmpLibrary {

// Starts the library the first time it is called; later calls do nothing.
void start();

} // namespace SnmpLibrary
