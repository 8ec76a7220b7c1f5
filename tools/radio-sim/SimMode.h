#pragma once

#include <QCommandLineParser>
#include <QString>
#include <memory>
#include <vector>

// One simulated device of kavo-radio-sim. Every mode adds its own options
// (prefixed with its name) and starts when its main option is given, so one
// process can play a Velto radio, an Ardix radio and a GPS receiver at once.
class SimMode
{
public:
    virtual ~SimMode() = default;
    virtual void addOptions(QCommandLineParser &parser) = 0;
    // True when the options ask for this mode.
    virtual bool wanted(const QCommandLineParser &parser) const = 0;
    // Starts serving; false with a reason when the options are unusable.
    virtual bool start(const QCommandLineParser &parser, QString *error) = 0;
};

// The modes, one factory each (ArdixSim.cpp, VeltoAgentSim.cpp,
// VeltoMenuSim.cpp, GpsSim.cpp).
std::unique_ptr<SimMode> makeArdixSim();
std::unique_ptr<SimMode> makeVeltoAgentSim();
std::unique_ptr<SimMode> makeVeltoMenuSim();
std::unique_ptr<SimMode> makeGpsSim();
