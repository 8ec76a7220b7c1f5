#include "AimingTonePlayer.h"

#include "app/AimingToneGenerator.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

AimingTonePlayer::AimingTonePlayer(QObject *parent)
    : QObject(parent), m_generator(new AimingToneGenerator(this))
{
    m_generator->open(QIODevice::ReadOnly);
}

AimingTonePlayer::~AimingTonePlayer()
{
    setOn(false);
}

bool AimingTonePlayer::isPlaying() const
{
    return m_sink != nullptr;
}

void AimingTonePlayer::setOn(bool on)
{
    if (!on) {
        if (m_sink)
            m_sink->stop();
        delete m_sink;
        m_sink = nullptr;
        return;
    }
    if (m_sink)
        return;
    const QAudioDevice output = QMediaDevices::defaultAudioOutput();
    QAudioFormat format;
    format.setSampleRate(AimingToneGenerator::kSampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (output.isNull() || !output.isFormatSupported(format))
        return;
    m_sink = new QAudioSink(output, format, this);
    m_sink->setVolume(m_volume);
    m_sink->start(m_generator);
}

void AimingTonePlayer::setVolumePercent(int percent)
{
    m_volume = std::clamp(percent, 0, 100) / 100.0;
    if (m_sink)
        m_sink->setVolume(m_volume);
}

void AimingTonePlayer::setTone(const AimingTonePlan::Tone &tone)
{
    m_generator->setTone(tone);
}

#include "moc_AimingTonePlayer.cpp"
