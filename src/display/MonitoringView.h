#pragma once

#include "app/StateLook.h"

#include <QHash>
#include <QIcon>
#include <QPixmap>
#include <QWidget>

class ColorBar;
class QChartView;
class QGroupBox;
class QLabel;
class QPushButton;
class SignalPanel;
struct LinkStatistics;
struct SessionSettings;

// The controls of the monitoring window, its central widget: the state row
// (caption, lamp, state text, lock button), the RSSI and SNR panels, the
// waiting notice that takes the readings' place and the traffic chart's
// frame. Sizes are designed in twips at the design font; the layouts let a
// control grow when a larger font, scale or resolution needs more room.
// The display steps here touch these controls only; what they show is the
// window's decision.
class MonitoringView : public QWidget
{
    Q_OBJECT
public:
    MonitoringView(const SessionSettings &settings, LinkStatistics &link, QWidget *parent);

    // Lamp icon resource shown in the lamp and as the window icon (102..106).
    int lampIconId() const { return m_lampIconId; }
    QString statusText() const;
    QChartView *trafficChart() const { return m_chart; }

    void showStateLook(const StateLook &look);
    void showLamp(int iconId);
    void centreStatus();
    void showDisconnected();
    void setNoticeShown(bool shown);
    void setNoticeText(const QString &text);
    // The readings and the state row; the SNR rows too with withSnr.
    void setReadingsShown(bool shown, bool withSnr);
    void showRssiReading(double meterValue);
    void showSnrReading(double meterValue);
    void clearRssiReading();
    void clearReadings();
    void setSnrPanelShown(bool shown);
    // The chart with its frame, as the View menu shows it.
    void setChartFrameShown(bool shown);
    void setChartShown(bool shown);

    // The window's designed height in twips with what the View menu shows.
    static int windowHeightTwips(bool snrShown, bool chartShown);

    // Colour scales by selector (0 RSSI, 1 SNR); other selectors are ignored.
    void InitColorBar(int selector);
    void UpdateColorBar(int selector);
    void updateScales();

signals:
    void lockRequested();
    void iconChanged(const QIcon &icon);

private:
    QLayout *buildStateRow();
    void buildNotice();
    void buildChartFrame();
    void describeControls();
    // A designed text colour on the status label, in a readable shade of it
    // when the palette's background leaves it too faint.
    void setStatusColour(const QColor &designed);
    // The scale of a selector, made in its frame on first use.
    ColorBar *colorBar(int selector);

    const SessionSettings &m_settings;
    LinkStatistics &m_link;
    QLabel *m_caption = nullptr;
    QLabel *m_lamp = nullptr;
    QLabel *m_status = nullptr;
    QPushButton *m_lockButton = nullptr;
    QLabel *m_notice = nullptr;
    SignalPanel *m_rssiPanel = nullptr;
    SignalPanel *m_snrPanel = nullptr;
    QGroupBox *m_chartFrame = nullptr;
    QChartView *m_chart = nullptr;
    ColorBar *m_rssiBar = nullptr;
    ColorBar *m_snrBar = nullptr;
    int m_lampIconId = 0;
    // The lamps shown so far, each made once: the pixmaps of a new icon are
    // drawn into the application's pixmap cache anew.
    struct LampLook
    {
        QIcon icon;
        QPixmap pixmap;
    };
    QHash<int, LampLook> m_lamps;
};
