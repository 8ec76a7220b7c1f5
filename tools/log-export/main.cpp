// kavo-log-export: turns a station log into a GPX or KML track, GeoJSON
// points or a plain CSV table. The work is the engine's; this only reads the
// command line.
#include "log/TrackExport.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

namespace {

constexpr int kUsageError = 2;

struct Options
{
    TrackExport::Request request;
    QString error; // empty when the command line is usable
};

std::optional<int> thresholdOf(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    // The radio's threshold is also quoted as a magnitude: 95 for -95 dBm.
    return ok ? std::optional<int>(value > 0 ? -value : value) : std::nullopt;
}

std::optional<QLocale> localeNamed(const QString &name)
{
    const QLocale locale(name);
    const bool isC = name == QLatin1String("C") || name == QLatin1String("POSIX");
    if (locale.language() == QLocale::C && !isC)
        return std::nullopt;
    return locale;
}

// The output's format from --format, else from the output's extension; the
// output's name from -o, else the log's name with the format's extension.
Options optionsOf(const QCommandLineParser &parser)
{
    Options options;
    TrackExport::Request &request = options.request;
    const QStringList logs = parser.positionalArguments();
    if (logs.size() != 1) {
        options.error = QStringLiteral("give one log file; see --help");
        return options;
    }
    request.logPath = logs.first();
    request.outputPath = parser.value(QStringLiteral("o"));
    const std::optional<ExportFormat> format =
        parser.isSet(QStringLiteral("format"))
            ? TrackExport::formatNamed(parser.value(QStringLiteral("format")))
            : TrackExport::formatOfPath(request.outputPath);
    if (!format) {
        options.error = QStringLiteral("say the format with --format gpx|kml|geojson|csv, or "
                                       "give -o a name ending in one of them");
        return options;
    }
    request.format = *format;
    if (request.outputPath.isEmpty()) {
        const QFileInfo log(request.logPath);
        request.outputPath = log.path() + QLatin1Char('/') + log.completeBaseName() +
                             QLatin1Char('.') + parser.value(QStringLiteral("format")).toLower();
    }
    if (parser.isSet(QStringLiteral("threshold"))) {
        request.thresholdDbm = thresholdOf(parser.value(QStringLiteral("threshold")));
        if (!request.thresholdDbm)
            options.error = QStringLiteral("--threshold needs a whole number of dBm");
    }
    if (parser.isSet(QStringLiteral("locale"))) {
        const std::optional<QLocale> locale = localeNamed(parser.value(QStringLiteral("locale")));
        if (!locale)
            options.error = QStringLiteral("unknown locale %1").arg(parser.value("locale"));
        request.locale = locale.value_or(QLocale());
    }
    return options;
}

void addOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Writes a Kavo Connectivity Window log (either family) as a GPX track, a KML track "
        "coloured by the RSSI scale, GeoJSON points or a CSV table. Records without a GPS fix "
        "are left out of the map formats and kept in the CSV."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("log"), QStringLiteral("The log file to read."));
    parser.addOptions(
        {{QStringLiteral("format"),
          QStringLiteral("gpx, kml, geojson or csv (default: by the output's extension)."),
          QStringLiteral("format")},
         {QStringLiteral("o"),
          QStringLiteral("Write to <file> (default: the log's name with the format's extension)."),
          QStringLiteral("file")},
         {QStringLiteral("threshold"),
          QStringLiteral("RSSI alarm threshold in dBm for the KML (default: the family's)."),
          QStringLiteral("dBm")},
         {QStringLiteral("locale"),
          QStringLiteral("Read dates and times as locale <name> wrote them, e.g. de_DE "
                         "(default: the current locale)."),
          QStringLiteral("name")}});
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kavo-log-export"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KAVO_VERSION));
    QCommandLineParser parser;
    addOptions(parser);
    parser.process(app);

    const Options options = optionsOf(parser);
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "kavo-log-export: %s\n", qPrintable(options.error));
        return kUsageError;
    }
    const TrackExport::Result result = TrackExport::exportLog(options.request);
    if (!result.error.isEmpty()) {
        std::fprintf(stderr, "kavo-log-export: %s\n", qPrintable(result.error));
        return 1;
    }
    std::printf("%s: %lld records, %lld with a GPS fix\n", qPrintable(options.request.outputPath),
                static_cast<long long>(result.records),
                static_cast<long long>(result.recordsWithFix));
    if (result.unreadableTimes > 0)
        std::fprintf(stderr,
                     "kavo-log-export: %lld dates or times do not match the locale %s; "
                     "their records have no time (see --locale)\n",
                     static_cast<long long>(result.unreadableTimes),
                     qPrintable(options.request.locale.name()));
    return 0;
}
