#pragma once

#include "app/AlignmentStatistics.h"
#include "app/PeakHold.h"
#include "app/Records.h"

#include <QElapsedTimer>
#include <QWidget>

class AimingTonePlayer;
class PeakMarkedColorBar;
class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;
class QTimer;

// The alignment view: for an installer turning the antenna, each reading as
// the radio gave it in large figures beside the smoothed value the monitoring
// window shows, the lowest, highest and mean since the last reset, the RSSI
// colour scale with a decaying peak mark, the age of the newest reading, and
// an aiming tone. The SNR figures show for a Velto remote only.
class AlignmentWindow : public QWidget
{
    Q_OBJECT
public:
    AlignmentWindow(const SessionSettings &settings, LinkStatistics &link,
                    QWidget *parent = nullptr);
    ~AlignmentWindow() override;

    const AlignmentStatistics &rssiStatistics() const { return m_rssi; }
    const AlignmentStatistics &snrStatistics() const { return m_snr; }

public slots:
    // A reading before smoothing; NaN for a value not read.
    void showReading(double rssiDbm, double snrDb);
    void resetStatistics();
    void toggleFullScreen();

signals:
    // The window is shown (true) or hidden or closed (false).
    void openChanged(bool open);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildFigures();
    void buildControls();
    void addShortcuts();
    void refresh();
    void showStatistics();
    double thresholdDbm() const;
    double smoothedRssiDbm() const;

    const SessionSettings &m_settings;
    const LinkStatistics &m_link;
    AlignmentStatistics m_rssi;
    AlignmentStatistics m_snr;
    PeakHold m_peak;
    QElapsedTimer m_clock;
    qint64 m_lastReadingMs = -1;
    AimingTonePlayer *m_tone = nullptr;
    QTimer *m_refreshTimer = nullptr;
    QLabel *m_rssiFigure = nullptr;
    QLabel *m_snrFigure = nullptr;
    QLabel *m_smoothed = nullptr;
    QLabel *m_rssiRange = nullptr;
    QLabel *m_snrRange = nullptr;
    QLabel *m_age = nullptr;
    PeakMarkedColorBar *m_scale = nullptr;
    QPushButton *m_reset = nullptr;
    QCheckBox *m_toneSwitch = nullptr;
    QSlider *m_volume = nullptr;
};
