#include "VeltoPollResults.h"

#include "app/Numeric.h"

#include <algorithm>
#include <cmath>

namespace VeltoPollResults {

namespace {

constexpr RgbColour kScanningRed{255, 0, 0};
constexpr RgbColour kCongestionRed{192, 0, 0};
constexpr RgbColour kConnectingYellow{192, 192, 0};
constexpr RgbColour kGreen{0, 128, 0};

constexpr qint16 kSnrCeiling = 30;
constexpr double kNoSnrReading = 255;

qint16 clampSnr(qint16 snr)
{
    return std::clamp<qint16>(snr, 0, kSnrCeiling);
}

} // namespace

std::optional<ConnectionStateRow> connectionStateRow(const QString &code, bool newFirmwareLogin,
                                                     const QString &congestionStatusText,
                                                     Lamp scanningLamp)
{
    if (code == QLatin1String("1")) {
        if (congestionStatusText == QLatin1String(kCongestionText))
            return ConnectionStateRow{
                {QString::fromLatin1(kCongestionText), kCongestionRed, scanningLamp}, false, true};
        return ConnectionStateRow{
            {QStringLiteral("Scanning"), kScanningRed, scanningLamp}, true, true};
    }
    if (code == QLatin1String("2") || code == QLatin1String("3"))
        return ConnectionStateRow{
            {QStringLiteral("Connecting"), kConnectingYellow, Lamp::Connecting}, false, false};
    if (code == QLatin1String("4")) {
        const QString text =
            newFirmwareLogin ? QStringLiteral("Connected") : QString::fromLatin1(kAssociated);
        return ConnectionStateRow{{text, kGreen, Lamp::Associated}, false, false};
    }
    if (code == QLatin1String("5") && newFirmwareLogin)
        return ConnectionStateRow{
            {QString::fromLatin1(kAssociated), kGreen, Lamp::Associated}, false, false};
    return std::nullopt;
}

double rssiMeterValue(qint16 storedRssi)
{
    if (storedRssi == 0 || storedRssi >= 100)
        return 0;
    if (storedRssi <= 60)
        return 100;
    return 100 - (storedRssi - 60) * 2.5;
}

QString rssiTitle(qint16 storedRssi)
{
    if (storedRssi == 0)
        return QStringLiteral("0 dBm");
    return QLatin1Char('-') + QString::number(storedRssi) + QStringLiteral(" dBm");
}

std::optional<qint16> smoothedRssi(qint16 storedRssi, const QString &rssiText)
{
    const qsizetype minus = rssiText.indexOf(QLatin1Char('-'));
    const double reading = Numeric::leadingNumber(minus < 0 ? rssiText : rssiText.mid(minus + 1));
    // Halving from an empty store would show the radio at half its distance
    // for the first seconds of a run.
    if (storedRssi == 0)
        return Numeric::toInt16(reading);
    return Numeric::toInt16((storedRssi + reading) / 2);
}

double rawRssiDbm(const QString &rssiText)
{
    const qsizetype minus = rssiText.indexOf(QLatin1Char('-'));
    const QString magnitude = (minus < 0 ? rssiText : rssiText.mid(minus + 1)).trimmed();
    if (!Numeric::isNumber(magnitude))
        return std::nan("");
    return -Numeric::leadingNumber(magnitude);
}

double rawSnrDb(const QString &snrText)
{
    if (!Numeric::isNumber(snrText))
        return std::nan("");
    const double snr = Numeric::leadingNumber(snrText);
    return snr == kNoSnrReading ? std::nan("") : snr;
}

std::optional<qint16> smoothedSnr(qint16 storedSnr, const QString &snrText)
{
    const qint16 held = clampSnr(storedSnr);
    const double reading = Numeric::leadingNumber(snrText);
    if (reading == kNoSnrReading)
        return qint16(0);
    const std::optional<qint16> averaged = Numeric::toInt16((held + reading) / 2);
    if (!averaged)
        return std::nullopt;
    return clampSnr(*averaged);
}

double snrMeterValue(qint16 snr)
{
    return snr * 3.333;
}

QString apAddressFromRaw(const QString &raw)
{
    QString address;
    for (const QChar c : raw)
        address += QString::number(c.unicode()) + QLatin1Char('.');
    address.chop(1);
    return address;
}

std::optional<qint16> linkRateKbps(const QString &linkRateText)
{
    if (!Numeric::isNumber(linkRateText))
        return qint16(256);
    const std::optional<qint16> rate = Numeric::toInt16(Numeric::leadingNumber(linkRateText));
    if (!rate)
        return std::nullopt;
    return qint16(*rate == 1 ? 256 : 512);
}

} // namespace VeltoPollResults
