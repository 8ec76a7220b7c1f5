#pragma once

#include <QString>

// The state lamps by their icon resource number, as the icon files and the
// window icon name them.
enum class Lamp : int
{
    Associated = 102,   // green
    Scanning = 103,     // red: scanning or disconnected
    Congestion = 104,   // dull red: scanning because of congestion
    Connecting = 105,   // yellow
    Disconnected = 106, // monitoring stopped
};

struct RgbColour
{
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const RgbColour &) const = default;
};

// How the connection state is shown: the status text in its colour and the
// lamp beside it.
struct StateLook
{
    QString text;
    RgbColour colour;
    Lamp lamp = Lamp::Scanning;
    bool operator==(const StateLook &) const = default;
};
