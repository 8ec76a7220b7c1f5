#include "SignalPanel.h"

#include "SignalMeter.h"
#include "Twips.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>

namespace {

// Designed sizes: the caption column is 3230 twips wide, meter and scale
// rows 250 twips high and 3328 twips wide.
constexpr int kCaptionColumnTwips = 3230;
constexpr int kRowHeightTwips = 250;
constexpr int kScaleWidthTwips = 3328;

template <typename Control> Control *named(Control *control, const char *name)
{
    control->setObjectName(QLatin1String(name));
    QSizePolicy policy = control->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    control->setSizePolicy(policy);
    return control;
}

} // namespace

SignalPanel::Design SignalPanel::rssi()
{
    return {"rssiPanel",
            "SignalStrengthlbl",
            QStringLiteral("Received Signal Strength (RSSI)"),
            "SignalStrengthMeter",
            "RssiColorBarFrame",
            {"hundredDBMlbl", "eightyDBMlbl", "sixtyDBMlbl"},
            {QStringLiteral("-100 dBm"), QStringLiteral("-80 dBm"), QStringLiteral("-60 dBm")},
            QStringLiteral("dBm")};
}

SignalPanel::Design SignalPanel::snr()
{
    return {"snrPanel",
            "SNRlbl",
            QStringLiteral("Signal to Noise Ratio (SNR)"),
            "SNRMeter",
            "SNRColorBarFrame",
            {"LowSNRLabel", "MidSNRLabel", "HighSNRLabel"},
            {QStringLiteral("10 dBm"), QStringLiteral("20 dBm"), QStringLiteral("30 dBm")},
            QStringLiteral("dB")};
}

SignalPanel::SignalPanel(const Design &design, QWidget *parent) : QWidget(parent)
{
    setObjectName(QLatin1String(design.panelName));
    m_caption = named(new QLabel(design.caption, this), design.captionName);
    m_caption->setAccessibleDescription(QStringLiteral("Caption of the meter beside it"));
    m_meter = named(new SignalMeter(this), design.meterName);
    m_meter->setUnit(design.unit);
    m_meter->setAccessibleName(design.caption);
    m_meter->setMinimumSize(Twips::toPixels(kScaleWidthTwips) / 2,
                            Twips::toPixels(kRowHeightTwips));
    m_meter->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_scaleFrame = named(new QFrame(this), design.scaleFrameName);
    m_scaleFrame->setFixedHeight(Twips::toPixels(kRowHeightTwips));
    m_scaleFrame->setMinimumWidth(m_meter->minimumWidth());
    m_scaleFrame->setAccessibleName(design.caption + QStringLiteral(" colour scale"));
    m_scaleFrame->setAccessibleDescription(
        QStringLiteral("Red below the alarm threshold, yellow near it, green above it"));

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(Twips::toPixels(30));
    grid->setColumnMinimumWidth(0, Twips::toPixels(kCaptionColumnTwips));
    grid->setColumnStretch(1, 1);
    grid->addWidget(m_caption, 0, 0);
    grid->addWidget(m_meter, 0, 1);
    grid->addWidget(m_scaleFrame, 1, 1);
    buildLevels(design);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void SignalPanel::buildLevels(const Design &design)
{
    // The level captions mark the start, middle and end of the scale.
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    for (std::size_t i = 0; i < m_levels.size(); ++i) {
        QLabel *level = named(new QLabel(design.levels[i], this), design.levelNames[i]);
        level->setAccessibleDescription(design.caption + QStringLiteral(" scale mark"));
        m_levels[i] = level;
        if (i > 0)
            row->addStretch(1);
        row->addWidget(level);
    }
    static_cast<QGridLayout *>(layout())->addLayout(row, 2, 1);
}

void SignalPanel::alignColumns(const QList<SignalPanel *> &panels)
{
    int widest = 0;
    for (const SignalPanel *panel : panels)
        widest = qMax(widest, panel->m_caption->sizeHint().width());
    for (SignalPanel *panel : panels) {
        auto *grid = static_cast<QGridLayout *>(panel->layout());
        grid->setColumnMinimumWidth(0, qMax(widest, Twips::toPixels(kCaptionColumnTwips)));
    }
}

QList<QWidget *> SignalPanel::controls() const
{
    return {m_caption, m_meter, m_scaleFrame, m_levels[0], m_levels[1], m_levels[2]};
}

#include "moc_SignalPanel.cpp"
