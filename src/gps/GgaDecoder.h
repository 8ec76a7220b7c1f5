#pragma once

#include "app/Records.h"

#include <QString>

// Turns the receiver output collected in one serial tick into the fields of a
// GpsPosition. Of all NMEA sentences only the first complete "$GPGGA" sentence
// counts: its position, fix quality, satellites, dilution and altitude are kept
// as text exactly as the receiver wrote them, with "No data" for what it left
// empty. The checksum is not checked.
//
// A sentence is complete when its "*" comes before any line end; one cut by a
// line end (a byte lost on the line, a receiver restarting) is skipped, as is
// one with fewer than 11 fields, so nothing of the following sentence ever
// lands in the fields.
namespace GgaDecoder {

// Decodes the first complete GGA sentence of text into position, replacing all
// of its fields. Returns false, leaving position unchanged, when there is none.
bool decode(const QString &text, GpsPosition &position);

} // namespace GgaDecoder
