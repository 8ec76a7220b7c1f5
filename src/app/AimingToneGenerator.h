#pragma once

#include "AimingTonePlan.h"

#include <QIODevice>

// The aiming tone as an endless stream of 16-bit mono samples: a sine at the
// plan's pitch, gated by its beat. The pitch can change at any time without a
// click, as the phase carries on from the last sample.
class AimingToneGenerator : public QIODevice
{
    Q_OBJECT
public:
    static constexpr int kSampleRate = 22050;

    explicit AimingToneGenerator(QObject *parent = nullptr);

    void setTone(const AimingTonePlan::Tone &tone) { m_tone = tone; }
    // 0 (silent) to 1 (full scale).
    void setVolume(double volume);

    // The next samples of the stream, little-endian.
    QByteArray nextSamples(qint64 count);
    // The next seconds of the stream as a WAV file; false when it cannot be
    // written.
    bool writeWav(const QString &path, double seconds);

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    AimingTonePlan::Tone m_tone;
    double m_volume = 0.5;
    double m_phase = 0;  // of the sine, in turns
    qint64 m_sample = 0; // samples made so far, for the beat
};
