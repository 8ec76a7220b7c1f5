#include "VeltoMenuContent.h"

#include "VeltoRadioState.h"

#include <QList>

namespace {

constexpr int kNewerFirmwareFrom = 571;
constexpr quint32 kCongestedRetryErrors = 35;

// The three-digit version of a firmware text ("4.8.0" and "v4.8.0" give 480);
// 0 when the text has no such form.
int firmwareNumber(const QString &firmware)
{
    const qsizetype dot = firmware.indexOf(QLatin1Char('.'));
    if (dot < 1)
        return 0;
    const QString text = firmware.mid(dot - 1);
    if (text.size() < 5)
        return 0;
    return (QString(text[0]) + text[2] + text[4]).toInt();
}

bool newerFirmware()
{
    const VeltoRadioState &radio = VeltoRadioState::instance();
    return radio.extendedFeatures || firmwareNumber(radio.firmware) >= kNewerFirmwareFrom;
}

} // namespace

QByteArray VeltoMenuContent::credential()
{
    return newerFirmware() ? QByteArrayLiteral("ko731rb") : QByteArrayLiteral("qa482tm");
}

char VeltoMenuContent::menuKey()
{
    return newerFirmware() ? 'J' : 'I';
}

QByteArray VeltoMenuContent::mainMenu()
{
    QByteArray menu = QByteArrayLiteral("\r\n"
                                        "              Velto Remote - Main Menu\r\n"
                                        "  A) Radio Configuration\r\n"
                                        "  B) Network Configuration\r\n"
                                        "  C) Security\r\n");
    if (newerFirmware())
        menu += "  I) Interface Summary\r\n"
                "  J) Command Line\r\n";
    else
        menu += "  I) Command Line\r\n";
    menu += "  R) Reboot\r\n"
            "  Q) Quit - exit the menu\r\n"
            "\r\nEnter selection: ";
    return menu;
}

Counters::Counters(bool congestion) : m_congestion(congestion)
{
    m_clock.start();
}

QByteArray Counters::nextAnswer()
{
    ++m_answers;
    const quint64 t = quint64(m_clock.elapsed() / 1000);
    VeltoRadioState &radio = VeltoRadioState::instance();
    radio.rxPackets = quint32(180 * t);
    radio.rxBytes = quint32(180 * 130 * t);
    radio.txErrors = quint32(t / 60);
    radio.rxErrors = quint32(t / 30);
    if (m_congestion) {
        // Nothing gets through: retries climb faster every interval while
        // no packet leaves, and retry errors stand above 30.
        radio.txPackets = 0;
        radio.txBytes = 0;
        radio.retries = quint32(10 * quint64(m_answers) * quint64(m_answers));
        radio.retryErrors = kCongestedRetryErrors;
    } else {
        // A healthy link: retries in step with the packets sent.
        radio.txPackets = quint32(200 * t);
        radio.txBytes = quint32(200 * 120 * t);
        radio.retries = quint32(2 * t);
        radio.retryErrors = 0;
    }
    const QList<quint32> values{radio.rxPackets, radio.txPackets, radio.rxBytes, radio.txBytes,
                                radio.txErrors,  radio.rxErrors,  radio.retries, radio.retryErrors};
    QByteArrayList words;
    for (quint32 v : values)
        words << QByteArray::number(v);
    return words.join(' ') + "\r\n";
}
