// The two XML track formats: GPX for track tools, KML for map viewers.
#include "TrackExport.h"

#include <QXmlStreamWriter>

namespace TrackExport {

namespace {

const QString kUnknownStyle = QStringLiteral("rssi-unknown");
const QString kBelowThresholdStyle = QStringLiteral("below-threshold");

// Runs of consecutive records with a fix: a record without one breaks the
// track rather than drawing a line across the gap.
QList<QList<const LogEntry *>> runsWithFix(const LogTable &table)
{
    QList<QList<const LogEntry *>> runs(1);
    for (const LogEntry &entry : table.entries) {
        if (entry.position)
            runs.last() << &entry;
        else if (!runs.last().isEmpty())
            runs.append(QList<const LogEntry *>());
    }
    if (runs.last().isEmpty())
        runs.removeLast();
    return runs;
}

QString familyName(RemoteKind family)
{
    return family == RemoteKind::Ardix ? QStringLiteral("Ardix") : QStringLiteral("Velto");
}

QString coordinate(const GeoPosition &p)
{
    return QString::number(p.longitude, 'f', 7) + QLatin1Char(',') +
           QString::number(p.latitude, 'f', 7);
}

QString hex(const CellColour &c)
{
    return QStringLiteral("%1%2%3")
        .arg(c.red, 2, 16, QLatin1Char('0'))
        .arg(c.green, 2, 16, QLatin1Char('0'))
        .arg(c.blue, 2, 16, QLatin1Char('0'));
}

// KML writes colours as alpha, blue, green, red.
QString kmlColour(const CellColour &c)
{
    return QStringLiteral("ff%1%2%3")
        .arg(c.blue, 2, 16, QLatin1Char('0'))
        .arg(c.green, 2, 16, QLatin1Char('0'))
        .arg(c.red, 2, 16, QLatin1Char('0'));
}

struct KmlContext
{
    const LogTable &table;
    int thresholdDbm;
    QMap<QString, QString> styles; // id -> KML colour

    QString styleOf(const LogEntry &entry)
    {
        if (!entry.rssiDbm)
            return kUnknownStyle;
        const CellColour colour = rssiColour(*entry.rssiDbm, thresholdDbm, table.family);
        const QString id = QStringLiteral("rssi-") + hex(colour);
        styles.insert(id, kmlColour(colour));
        return id;
    }
};

void writeStyles(QXmlStreamWriter &xml, const QMap<QString, QString> &styles)
{
    for (auto it = styles.cbegin(); it != styles.cend(); ++it) {
        xml.writeStartElement(QStringLiteral("Style"));
        xml.writeAttribute(QStringLiteral("id"), it.key());
        xml.writeStartElement(QStringLiteral("LineStyle"));
        xml.writeTextElement(QStringLiteral("color"), it.value());
        xml.writeTextElement(QStringLiteral("width"), QStringLiteral("5"));
        xml.writeEndElement();
        xml.writeStartElement(QStringLiteral("IconStyle"));
        xml.writeTextElement(QStringLiteral("color"), it.value());
        xml.writeTextElement(QStringLiteral("scale"), it.key() == kBelowThresholdStyle
                                                          ? QStringLiteral("1.2")
                                                          : QStringLiteral("0.4"));
        xml.writeEndElement();
        xml.writeEndElement();
    }
}

// The coloured line: each stretch between two records takes the colour of
// the record it starts from; stretches of one colour make one line.
void writeTrackLines(QXmlStreamWriter &xml, KmlContext &context)
{
    xml.writeStartElement(QStringLiteral("Folder"));
    xml.writeTextElement(QStringLiteral("name"), QStringLiteral("Track"));
    for (const QList<const LogEntry *> &run : runsWithFix(context.table)) {
        for (qsizetype k = 0; k + 1 < run.size();) {
            const QString style = context.styleOf(*run.at(k));
            QStringList coordinates{coordinate(*run.at(k)->position)};
            do {
                coordinates << coordinate(*run.at(++k)->position);
            } while (k + 1 < run.size() && context.styleOf(*run.at(k)) == style);
            xml.writeStartElement(QStringLiteral("Placemark"));
            xml.writeTextElement(QStringLiteral("styleUrl"), QLatin1Char('#') + style);
            xml.writeStartElement(QStringLiteral("LineString"));
            xml.writeTextElement(QStringLiteral("tessellate"), QStringLiteral("1"));
            xml.writeTextElement(QStringLiteral("coordinates"), coordinates.join(QLatin1Char(' ')));
            xml.writeEndElement();
            xml.writeEndElement();
        }
    }
    xml.writeEndElement();
}

void writeRecordPoint(QXmlStreamWriter &xml, KmlContext &context, const LogEntry &entry,
                      bool crossedBelow)
{
    xml.writeStartElement(QStringLiteral("Placemark"));
    if (crossedBelow)
        xml.writeTextElement(QStringLiteral("name"), QStringLiteral("Below threshold"));
    const QString rssi =
        entry.rssiDbm ? QStringLiteral("%1 dBm").arg(*entry.rssiDbm) : QStringLiteral("unknown");
    xml.writeTextElement(QStringLiteral("description"), QStringLiteral("RSSI ") + rssi);
    if (entry.time.isValid()) {
        xml.writeStartElement(QStringLiteral("TimeStamp"));
        xml.writeTextElement(QStringLiteral("when"), isoTime(entry.time));
        xml.writeEndElement();
    }
    const QString style = context.styleOf(entry);
    xml.writeTextElement(QStringLiteral("styleUrl"),
                         QLatin1Char('#') + (crossedBelow ? kBelowThresholdStyle : style));
    xml.writeStartElement(QStringLiteral("Point"));
    xml.writeTextElement(QStringLiteral("coordinates"), coordinate(*entry.position));
    xml.writeEndElement();
    xml.writeEndElement();
}

// One point per record with a fix; where the RSSI has fallen below the
// threshold since the reading before, the point is named and marked (at the
// next record with a fix when the fall came without one).
void writeRecordPoints(QXmlStreamWriter &xml, KmlContext &context)
{
    xml.writeStartElement(QStringLiteral("Folder"));
    xml.writeTextElement(QStringLiteral("name"), QStringLiteral("Records"));
    bool wasAbove = false;
    bool markPending = false;
    for (const LogEntry &entry : context.table.entries) {
        if (entry.rssiDbm) {
            const bool above = *entry.rssiDbm >= context.thresholdDbm;
            markPending = (markPending || wasAbove) && !above;
            wasAbove = above;
        }
        if (!entry.position)
            continue;
        writeRecordPoint(xml, context, entry, markPending);
        markPending = false;
    }
    xml.writeEndElement();
}

} // namespace

QByteArray gpx(const LogTable &table)
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("gpx"));
    xml.writeDefaultNamespace(QStringLiteral("http://www.topografix.com/GPX/1/1"));
    xml.writeNamespace(QString::fromLatin1(kGpxExtensionNamespace), QStringLiteral("kavo"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
    xml.writeAttribute(QStringLiteral("creator"), QStringLiteral("kavo-log-export"));
    xml.writeStartElement(QStringLiteral("trk"));
    xml.writeTextElement(QStringLiteral("name"), familyName(table.family) + QStringLiteral(" log"));
    for (const QList<const LogEntry *> &run : runsWithFix(table)) {
        xml.writeStartElement(QStringLiteral("trkseg"));
        for (const LogEntry *entry : run) {
            xml.writeStartElement(QStringLiteral("trkpt"));
            xml.writeAttribute(QStringLiteral("lat"),
                               QString::number(entry->position->latitude, 'f', 7));
            xml.writeAttribute(QStringLiteral("lon"),
                               QString::number(entry->position->longitude, 'f', 7));
            if (entry->altitudeMetres)
                xml.writeTextElement(QStringLiteral("ele"),
                                     QString::number(*entry->altitudeMetres));
            if (entry->time.isValid())
                xml.writeTextElement(QStringLiteral("time"),
                                     entry->time.toUTC().toString(Qt::ISODate));
            if (entry->rssiDbm) {
                xml.writeStartElement(QStringLiteral("extensions"));
                xml.writeTextElement(QString::fromLatin1(kGpxExtensionNamespace),
                                     QStringLiteral("rssi"), QString::number(*entry->rssiDbm));
                xml.writeEndElement();
            }
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

QByteArray kml(const LogTable &table, int thresholdDbm)
{
    KmlContext context{table, thresholdDbm, {}};
    context.styles.insert(kUnknownStyle, QStringLiteral("ff808080"));
    context.styles.insert(kBelowThresholdStyle, kmlColour(ScaleColours::darkRed));
    // The styles go before the placemarks that use them.
    for (const LogEntry &entry : table.entries)
        context.styleOf(entry);

    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("kml"));
    xml.writeDefaultNamespace(QStringLiteral("http://www.opengis.net/kml/2.2"));
    xml.writeStartElement(QStringLiteral("Document"));
    xml.writeTextElement(QStringLiteral("name"), familyName(table.family) + QStringLiteral(" log"));
    xml.writeTextElement(QStringLiteral("description"),
                         QStringLiteral("RSSI alarm threshold: %1 dBm. The track is coloured as "
                                        "the RSSI scale shows a reading; points named \"Below "
                                        "threshold\" are where the RSSI fell below it.")
                             .arg(thresholdDbm));
    writeStyles(xml, context.styles);
    writeTrackLines(xml, context);
    writeRecordPoints(xml, context);
    xml.writeEndDocument();
    return out;
}

} // namespace TrackExport
