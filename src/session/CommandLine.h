#pragma once

#include "app/Records.h"

#include <QString>
#include <QStringList>
#include <optional>

// The station's command line, read before any window system is opened so that
// --help and --version work on a machine without a display.
namespace CommandLine {

// A remote to monitor at once, without the remote-selection dialog (autostart
// and kiosk use). The values passed the dialog's own checks.
struct RemoteStart
{
    RemoteKind kind = RemoteKind::Velto;
    QString address;     // Velto
    qint32 destPort = 0; // Ardix
};

struct Reading
{
    enum class Outcome
    {
        Run,       // open the station
        PrintHelp, // text on standard output, then end successfully
        PrintVersion,
        Refuse // text (the reason) on standard error, then end with a failure
    };
    Outcome outcome = Outcome::Run;
    QString text;
    std::optional<RemoteStart> remote;
};

// arguments include the program name first. Options the station does not know
// are left to the window system (Qt's own -platform, -style, ...).
Reading read(const QStringList &arguments);

// Prints the reading's text where it belongs and returns the exit status.
int finish(const Reading &reading);

} // namespace CommandLine
