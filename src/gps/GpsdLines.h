#pragma once

#include <QByteArray>
#include <QString>

// The lines a GPS daemon sends to a client watching in NMEA mode: its own
// reports as one JSON object per line ("{...}"), and the receiver's sentences
// passed through as the receiver wrote them ("$..." or "!..."), each line
// ended by LF (CR LF for sentences).
namespace GpsdLines {

// The request that asks the daemon for the receiver's sentences.
QByteArray watchRequest();

// Takes the complete lines of pending (what arrived and was not taken yet)
// and returns the receiver sentences among them, each ended by CR LF; the
// daemon's reports are dropped. An unfinished last line stays in pending for
// the next call, so a sentence is never cut in two. A line longer than any
// sentence or report can be is dropped with the rest of pending.
QString takeSentences(QByteArray &pending);

} // namespace GpsdLines
