#include "SimMode.h"

namespace {

// Not written yet: never wanted, so it adds no options.
class VeltoAgentSim : public SimMode
{
public:
    void addOptions(QCommandLineParser &) override {}
    bool wanted(const QCommandLineParser &) const override { return false; }
    bool start(const QCommandLineParser &, QString *) override { return false; }
};

} // namespace

std::unique_ptr<SimMode> makeVeltoAgentSim()
{
    return std::make_unique<VeltoAgentSim>();
}
