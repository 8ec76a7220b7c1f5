#include "AlignmentWindow.h"

#include "AimingTonePlayer.h"
#include "ColorBar.h"
#include "app/AimingTonePlan.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace {

// The mark stays 3 s at a peak, then sinks 2 dB a second.
constexpr qint64 kPeakHoldMs = 3000;
constexpr double kPeakSinkDbPerSecond = 2;
constexpr int kRefreshMs = 200;
// The RSSI scale's span, two cells a dB.
constexpr double kScaleLowDbm = -100;
constexpr double kScaleHighDbm = -60;

QString figure(double value, const char *unit)
{
    return std::isfinite(value) ? QString::number(value, 'f', 0) + QLatin1String(unit)
                                : QStringLiteral("--");
}

} // namespace

// The RSSI colour scale with the peak mark drawn over it.
class PeakMarkedColorBar : public ColorBar
{
public:
    using ColorBar::ColorBar;
    std::optional<double> markDbm;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        ColorBar::paintEvent(event);
        if (!markDbm)
            return;
        const double share =
            std::clamp((*markDbm - kScaleLowDbm) / (kScaleHighDbm - kScaleLowDbm), 0.0, 1.0);
        const int x = int(std::lround(share * (width() - 1)));
        QPainter painter(this);
        painter.fillRect(QRect(x - 2, 0, 5, height()), Qt::black);
        painter.fillRect(QRect(x - 1, 0, 3, height()), Qt::white);
    }
};

AlignmentWindow::AlignmentWindow(const SessionSettings &settings, LinkStatistics &link,
                                 QWidget *parent)
    : QWidget(parent, Qt::Window), m_settings(settings), m_link(link),
      m_peak(kPeakHoldMs, kPeakSinkDbPerSecond), m_tone(new AimingTonePlayer(this))
{
    setObjectName(QStringLiteral("AlignmentWindow"));
    setWindowTitle(QStringLiteral("Alignment"));
    setAccessibleName(windowTitle());
    m_clock.start();
    m_scale = new PeakMarkedColorBar(ColorBarModel::Rssi, settings, link, this);
    m_scale->setAccessibleName(QStringLiteral("RSSI scale with peak mark"));
    m_scale->setMinimumHeight(24);
    // The scale's first paint colours every cell; it also sets the run's
    // starting threshold, which is the monitoring window's to set.
    const qint16 threshold = link.rssiThreshold;
    m_scale->model().InitColorBar();
    link.rssiThreshold = threshold;
    buildFigures();
    buildControls();
    addShortcuts();
    m_refreshTimer = new QTimer(this);
    m_refreshTimer->setInterval(kRefreshMs);
    connect(m_refreshTimer, &QTimer::timeout, this, &AlignmentWindow::refresh);
    resize(640, 420);
    showStatistics();
}

AlignmentWindow::~AlignmentWindow() = default;

void AlignmentWindow::buildFigures()
{
    auto label = [this](const char *name, const QString &accessible) {
        auto *l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        l->setAccessibleName(accessible);
        l->setAlignment(Qt::AlignCenter);
        return l;
    };
    m_rssiFigure = label("rssiFigure", QStringLiteral("RSSI reading"));
    m_snrFigure = label("snrFigure", QStringLiteral("SNR reading"));
    m_smoothed = label("smoothedFigure", QStringLiteral("Smoothed readings"));
    m_rssiRange = label("rssiRange", QStringLiteral("RSSI minimum, maximum and average"));
    m_snrRange = label("snrRange", QStringLiteral("SNR minimum, maximum and average"));
    m_age = label("readingAge", QStringLiteral("Time since the last reading"));
    const bool velto = m_settings.remoteKind == RemoteKind::Velto;
    m_snrFigure->setVisible(velto);
    m_snrRange->setVisible(velto);
}

void AlignmentWindow::buildControls()
{
    m_reset = new QPushButton(QStringLiteral("&Reset"), this);
    m_reset->setObjectName(QStringLiteral("resetButton"));
    m_reset->setAccessibleName(QStringLiteral("Reset minimum, maximum and average"));
    connect(m_reset, &QPushButton::clicked, this, &AlignmentWindow::resetStatistics);
    m_toneSwitch = new QCheckBox(QStringLiteral("&Tone"), this);
    m_toneSwitch->setObjectName(QStringLiteral("toneSwitch"));
    m_toneSwitch->setAccessibleName(QStringLiteral("Aiming tone"));
    connect(m_toneSwitch, &QCheckBox::toggled, m_tone, &AimingTonePlayer::setOn);
    m_volume = new QSlider(Qt::Horizontal, this);
    m_volume->setObjectName(QStringLiteral("toneVolume"));
    m_volume->setAccessibleName(QStringLiteral("Tone volume"));
    m_volume->setRange(0, 100);
    m_volume->setValue(50);
    connect(m_volume, &QSlider::valueChanged, m_tone, &AimingTonePlayer::setVolumePercent);

    auto *figures = new QHBoxLayout;
    figures->addWidget(m_rssiFigure, 3);
    figures->addWidget(m_snrFigure, 2);
    auto *ranges = new QVBoxLayout;
    ranges->addWidget(m_rssiRange);
    ranges->addWidget(m_snrRange);
    auto *controls = new QHBoxLayout;
    controls->addWidget(m_reset);
    controls->addWidget(m_toneSwitch);
    controls->addWidget(m_volume, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(figures, 4);
    layout->addWidget(m_smoothed);
    layout->addWidget(m_scale, 1);
    layout->addLayout(ranges);
    layout->addWidget(m_age);
    layout->addLayout(controls);
}

void AlignmentWindow::addShortcuts()
{
    auto add = [this](const QKeySequence &keys, auto slot) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, slot);
    };
    add(QKeySequence(Qt::Key_R), &AlignmentWindow::resetStatistics);
    add(QKeySequence(Qt::CTRL | Qt::Key_R), &AlignmentWindow::resetStatistics);
    add(QKeySequence(Qt::Key_F11), &AlignmentWindow::toggleFullScreen);
    add(QKeySequence(Qt::Key_Escape), &QWidget::close);
    add(QKeySequence(Qt::CTRL | Qt::Key_W), &QWidget::close);
}

double AlignmentWindow::thresholdDbm() const
{
    // No threshold read yet: the scale's bottom.
    return m_link.rssiThreshold > 0 ? -double(m_link.rssiThreshold) : kScaleLowDbm;
}

double AlignmentWindow::smoothedRssiDbm() const
{
    // Velto stores the magnitude, Ardix the level; 0 is nothing known.
    if (m_link.rssi == 0)
        return std::nan("");
    return m_settings.remoteKind == RemoteKind::Velto ? -double(m_link.rssi) : m_link.rssi;
}

void AlignmentWindow::showReading(double rssiDbm, double snrDb)
{
    m_lastReadingMs = m_clock.elapsed();
    m_rssi.add(rssiDbm);
    m_snr.add(snrDb);
    m_peak.add(rssiDbm, m_lastReadingMs);
    m_rssiFigure->setText(figure(rssiDbm, " dBm"));
    m_snrFigure->setText(figure(snrDb, " dB"));
    if (std::isfinite(rssiDbm))
        m_tone->setTone(AimingTonePlan::toneFor(rssiDbm, thresholdDbm()));
    showStatistics();
    refresh();
}

void AlignmentWindow::resetStatistics()
{
    m_rssi.reset();
    m_snr.reset();
    m_peak.reset();
    showStatistics();
    refresh();
}

void AlignmentWindow::showStatistics()
{
    auto range = [](const AlignmentStatistics &s, const char *name, const char *unit) {
        if (!s.hasReadings())
            return QStringLiteral("%1: no readings since the reset").arg(QLatin1String(name));
        return QStringLiteral("%1  min %2  max %3  avg %4%5")
            .arg(QLatin1String(name))
            .arg(s.minimum(), 0, 'f', 0)
            .arg(s.maximum(), 0, 'f', 0)
            .arg(s.average(), 0, 'f', 1)
            .arg(QLatin1String(unit));
    };
    m_rssiRange->setText(range(m_rssi, "RSSI", " dBm"));
    m_snrRange->setText(range(m_snr, "SNR", " dB"));
}

void AlignmentWindow::refresh()
{
    const qint64 now = m_clock.elapsed();
    QString smoothed = QStringLiteral("Smoothed: ") + figure(smoothedRssiDbm(), " dBm");
    if (m_settings.remoteKind == RemoteKind::Velto)
        smoothed += QStringLiteral("   ") + figure(m_link.snr, " dB");
    m_smoothed->setText(smoothed);
    m_age->setText(m_lastReadingMs < 0
                       ? QStringLiteral("No reading yet")
                       : QStringLiteral("Last reading %1 s ago")
                             .arg(double(now - m_lastReadingMs) / 1000.0, 0, 'f', 1));
    m_scale->markDbm = m_peak.mark(now);
    if (m_link.rssiThreshold != 0)
        m_scale->model().UpdateColorBar();
    else
        m_scale->model().PaintColorBar();
    m_scale->update();
}

void AlignmentWindow::toggleFullScreen()
{
    setWindowState(windowState() ^ Qt::WindowFullScreen);
}

void AlignmentWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_refreshTimer->start();
    refresh();
    emit openChanged(true);
}

void AlignmentWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_refreshTimer->stop();
    m_toneSwitch->setChecked(false);
    emit openChanged(false);
}

void AlignmentWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Figures an installer can read from a few metres: a quarter of the
    // window's height, held within its width.
    const int pixels = std::max(12, std::min(height() / 4, width() / 9));
    QFont big = font();
    big.setPixelSize(pixels);
    big.setBold(true);
    m_rssiFigure->setFont(big);
    big.setPixelSize(pixels * 3 / 4);
    m_snrFigure->setFont(big);
    QFont medium = font();
    medium.setPixelSize(std::max(11, pixels / 4));
    for (QLabel *l : {m_smoothed, m_rssiRange, m_snrRange, m_age})
        l->setFont(medium);
}

#include "moc_AlignmentWindow.cpp"
