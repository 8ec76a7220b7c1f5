#pragma once

#include <QWidget>
#include <array>

class QFrame;
class QLabel;
class SignalMeter;

// One signal's rows of the monitoring window: its caption, the meter, the
// frame that holds its colour scale and the three level captions under the
// scale. The meter and the scale stretch with the window; the captions keep
// their places at the start, middle and end of the scale. A hidden control
// keeps its room, so the rows do not move when the waiting notice replaces
// the readings.
class SignalPanel : public QWidget
{
    Q_OBJECT
public:
    struct Design
    {
        const char *panelName;
        const char *captionName;
        QString caption;
        const char *meterName;
        const char *scaleFrameName;
        std::array<const char *, 3> levelNames;
        std::array<QString, 3> levels;
        QString unit; // of the meter's reading
    };
    static Design rssi();
    static Design snr();

    explicit SignalPanel(const Design &design, QWidget *parent = nullptr);

    QLabel *caption() const { return m_caption; }
    SignalMeter *meter() const { return m_meter; }
    QFrame *scaleFrame() const { return m_scaleFrame; }
    QLabel *level(int index) const { return m_levels.at(index); }
    // Panels stacked in a window line up their meters: each takes the
    // widest caption column of them all.
    static void alignColumns(const QList<SignalPanel *> &panels);
    // Every control of the panel, caption first.
    QList<QWidget *> controls() const;

private:
    void buildLevels(const Design &design);

    QLabel *m_caption = nullptr;
    SignalMeter *m_meter = nullptr;
    QFrame *m_scaleFrame = nullptr;
    std::array<QLabel *, 3> m_levels{};
};
