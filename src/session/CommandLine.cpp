#include "CommandLine.h"

#include "session/StoredSession.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

namespace CommandLine {

namespace {

const QString kVeltoPrefix = QStringLiteral("velto:");
const QString kArdixPrefix = QStringLiteral("ardix:");

Reading refused(const QString &reason)
{
    return {Reading::Outcome::Refuse, reason, std::nullopt};
}

Reading remoteFrom(const QString &value)
{
    if (value.startsWith(kVeltoPrefix)) {
        const QString address = value.mid(kVeltoPrefix.size());
        if (address.isEmpty() || !StoredSession::isWellFormedAddress(address))
            return refused(
                QStringLiteral("--remote: \"%1\" is not a valid IP address.").arg(address));
        return {Reading::Outcome::Run, {}, RemoteStart{RemoteKind::Velto, address, 0}};
    }
    if (value.startsWith(kArdixPrefix)) {
        const QString portText = value.mid(kArdixPrefix.size());
        const qint32 port = StoredSession::portFromText(portText);
        if (!StoredSession::isValidDestPort(port))
            return refused(QStringLiteral("--remote: the destination port \"%1\" must be a "
                                          "number between %2 and %3.")
                               .arg(portText)
                               .arg(StoredSession::kLowestDestPort)
                               .arg(StoredSession::kHighestDestPort));
        return {Reading::Outcome::Run, {}, RemoteStart{RemoteKind::Ardix, {}, port}};
    }
    return refused(
        QStringLiteral("--remote: \"%1\" is neither velto:ADDRESS nor ardix:PORT.").arg(value));
}

} // namespace

Reading read(const QStringList &arguments)
{
    QCommandLineParser parser;
    // Qt's own options are single words after one dash (-platform, -style).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Monitors one remote wireless data radio at a time."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and end."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and end."));
    const QCommandLineOption remote(
        QStringLiteral("remote"),
        QStringLiteral("Start monitoring this remote at once, without the remote-selection "
                       "dialog: velto:ADDRESS (IP address) or ardix:PORT (destination port)."),
        QStringLiteral("velto:ADDRESS|ardix:PORT"));
    parser.addOptions({help, version, remote});
    // Unknown options are not an error: they belong to the window system. A
    // missing value leaves the option set with an empty value, refused below.
    parser.parse(arguments);

    if (parser.isSet(help))
        return {Reading::Outcome::PrintHelp, parser.helpText(), std::nullopt};
    if (parser.isSet(version))
        return {Reading::Outcome::PrintVersion,
                QCoreApplication::applicationName() + QLatin1Char(' ') +
                    QCoreApplication::applicationVersion() + QLatin1Char('\n'),
                std::nullopt};
    if (parser.isSet(remote))
        return remoteFrom(parser.value(remote));
    return {};
}

int finish(const Reading &reading)
{
    const bool refusal = reading.outcome == Reading::Outcome::Refuse;
    std::fputs(qPrintable(reading.text + (refusal ? QStringLiteral("\n") : QString())),
               refusal ? stderr : stdout);
    return refusal ? 1 : 0;
}

} // namespace CommandLine
