// kavo-radio-sim: plays the station's peers on this machine, so the station
// can be developed, tested and demonstrated without a radio. It only ever
// talks to 127.0.0.1 (and a local pseudo-terminal for the GPS receiver).
#include "SimMode.h"

#include <QCoreApplication>
#include <QTimer>
#include <csignal>
#include <cstdio>

namespace {

void quitOnSignal(int)
{
    QCoreApplication::quit();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kavo-radio-sim"));

    std::vector<std::unique_ptr<SimMode>> modes;
    modes.push_back(makeArdixSim());
    modes.push_back(makeVeltoAgentSim());
    modes.push_back(makeVeltoMenuSim());
    modes.push_back(makeGpsSim());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated radios for the Kavo Connectivity Window: an Ardix remote sending its "
        "statistics datagrams, a Velto remote answering SNMP and serving its telnet menu, and "
        "an NMEA GPS receiver on a pseudo-terminal. Every mode starts when its main option is "
        "given; several modes can run in one process. Traffic goes to 127.0.0.1 only."));
    parser.addHelpOption();
    QCommandLineOption duration(QStringLiteral("duration"),
                                QStringLiteral("Stop after <seconds> (default: run until ended)."),
                                QStringLiteral("seconds"));
    parser.addOption(duration);
    for (auto &mode : modes)
        mode->addOptions(parser);
    parser.process(app);

    int started = 0;
    for (auto &mode : modes) {
        if (!mode->wanted(parser))
            continue;
        QString error;
        if (!mode->start(parser, &error)) {
            std::fprintf(stderr, "kavo-radio-sim: %s\n", qPrintable(error));
            return 2;
        }
        ++started;
    }
    if (started == 0) {
        std::fprintf(stderr, "kavo-radio-sim: no mode chosen; see --help\n");
        return 2;
    }
    if (parser.isSet(duration))
        QTimer::singleShot(parser.value(duration).toInt() * 1000, &app, &QCoreApplication::quit);
    std::signal(SIGTERM, quitOnSignal);
    std::signal(SIGINT, quitOnSignal);
    std::fflush(stdout);
    return QCoreApplication::exec();
}
