#include "AimingToneGenerator.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int kBytesPerSample = 2;
// What the audio output may ask for in one read.
constexpr qint64 kAvailableBytes = 16384;

void appendLe32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void appendLe16(QByteArray &out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

QByteArray wavHeader(qint64 dataBytes)
{
    QByteArray h;
    h += "RIFF";
    appendLe32(h, quint32(36 + dataBytes));
    h += "WAVEfmt ";
    appendLe32(h, 16);
    appendLe16(h, 1); // PCM
    appendLe16(h, 1); // mono
    appendLe32(h, AimingToneGenerator::kSampleRate);
    appendLe32(h, AimingToneGenerator::kSampleRate * kBytesPerSample);
    appendLe16(h, kBytesPerSample);
    appendLe16(h, 16);
    h += "data";
    appendLe32(h, quint32(dataBytes));
    return h;
}

} // namespace

AimingToneGenerator::AimingToneGenerator(QObject *parent) : QIODevice(parent) {}

void AimingToneGenerator::setVolume(double volume)
{
    m_volume = std::clamp(volume, 0.0, 1.0);
}

QByteArray AimingToneGenerator::nextSamples(qint64 count)
{
    QByteArray out(count * kBytesPerSample, Qt::Uninitialized);
    const double step = m_tone.frequencyHz / kSampleRate;
    for (qint64 i = 0; i < count; ++i, ++m_sample) {
        const qint64 elapsedMs = m_sample * 1000 / kSampleRate;
        const double level = AimingTonePlan::soundingAt(m_tone, elapsedMs) ? m_volume : 0.0;
        const auto value =
            qint16(std::lround(level * 32767.0 * std::sin(2 * std::numbers::pi * m_phase)));
        qToLittleEndian(value, out.data() + i * kBytesPerSample);
        m_phase = std::fmod(m_phase + step, 1.0);
    }
    return out;
}

bool AimingToneGenerator::writeWav(const QString &path, double seconds)
{
    const QByteArray samples = nextSamples(qint64(seconds * kSampleRate));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(wavHeader(samples.size()) + samples) == 44 + samples.size();
}

qint64 AimingToneGenerator::bytesAvailable() const
{
    return kAvailableBytes + QIODevice::bytesAvailable();
}

qint64 AimingToneGenerator::readData(char *data, qint64 maxSize)
{
    const QByteArray samples = nextSamples(maxSize / kBytesPerSample);
    std::copy(samples.cbegin(), samples.cend(), data);
    return samples.size();
}
