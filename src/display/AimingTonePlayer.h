#pragma once

#include "app/AimingTonePlan.h"

#include <QObject>

class AimingToneGenerator;
class QAudioSink;

// Plays the aiming tone on the default audio output while switched on. With
// no audio output, or one that refuses the format, it stays silent: the
// alignment view works without sound.
class AimingTonePlayer : public QObject
{
    Q_OBJECT
public:
    explicit AimingTonePlayer(QObject *parent = nullptr);
    ~AimingTonePlayer() override;

    bool isPlaying() const;

public slots:
    void setOn(bool on);
    // 0..100.
    void setVolumePercent(int percent);
    void setTone(const AimingTonePlan::Tone &tone);

private:
    AimingToneGenerator *m_generator;
    QAudioSink *m_sink = nullptr;
    double m_volume = 0.5;
};
