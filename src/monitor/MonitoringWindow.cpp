#include "MonitoringWindow.h"

#include "LogExportMenu.h"
#include "MonitoringWindowAlignment.h"
#include "app/ApplicationExit.h"
#include "app/EventWait.h"
#include "app/HandlerTimer.h"
#include "app/OperatorMessages.h"
#include "app/SettingsStore.h"
#include "display/DesignedControl.h"
#include "display/HelpWindow.h"
#include "display/MousePointer.h"
#include "display/SignalMeter.h"
#include "display/StationIcons.h"
#include "display/Twips.h"
#include "gps/GpsReceiver.h"
#include "log/LogRecorder.h"
#include "session/AboutBox.h"
#include "session/RemoteSelectionDialog.h"
#include "session/StationNavigator.h"
#include "session/StationSession.h"
#include "snmp/VeltoMonitor.h"
#include "snmp/VeltoStartRules.h"
#include "stream/ArdixMonitor.h"
#include "telnet/CongestionManager.h"

#include <QChartView>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kWindowWidthTwips = 8250;
constexpr int kBaseHeightTwips = 2900;

} // namespace

MonitoringWindow::MonitoringWindow(StationSession &session, StationNavigator &navigator,
                                   QWidget *parent)
    : QMainWindow(parent), m_session(session), m_navigator(navigator)
{
    setObjectName(QStringLiteral("KavomonitoringForm"));
    setWindowTitle(QStringLiteral("Kavo Connectivity Window"));
    setWindowIcon(StationIcons::product());
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    buildMenus();
    buildTimers();
    buildCongestionManager();
    buildGpsReceiverAndLogRecorder();
    buildVeltoMonitor();
    setFixedWidth(Twips::toPixels(kWindowWidthTwips));
    setWindowHeightTwips(kBaseHeightTwips);
}

MonitoringWindow::~MonitoringWindow()
{
    Form_Terminate();
}

// ---------------------------------------------------------------------------
// Construction

void MonitoringWindow::buildControls()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("monitoringArea"));
    setCentralWidget(central);

    auto label = [central](const char *name, const QString &text, QRect rect) {
        return placeControl(central, new QLabel(text), name, rect);
    };
    auto frame = [central](const char *name, QRect rect) {
        return placeControl(central, new QFrame, name, rect);
    };
    auto meter = [central](const char *name, QRect rect) {
        return placeControl(central, new SignalMeter, name, rect);
    };

    ConnectionStatuslbl = label("ConnectionStatuslbl", QStringLiteral("Connection Status"),
                                Twips::rect(120, 180, 1800, 255));
    light = label("light", QString(), Twips::rect(1980, 60, 480, 480));
    status = label("status", QStringLiteral("Scanning Due to Congestion"),
                   Twips::rect(2580, 150, 3200, 330));
    QFont statusFont = status->font();
    statusFont.setBold(true);
    status->setFont(statusFont);

    screen_lock = new QPushButton(QStringLiteral("Lock Up the Screen!"), central);
    screen_lock->setObjectName(QStringLiteral("screen_lock"));
    screen_lock->setGeometry(Twips::rect(5900, 90, 2150, 420));
    connect(screen_lock, &QPushButton::clicked, this, &MonitoringWindow::screen_lock_Click);

    SignalStrengthlbl =
        label("SignalStrengthlbl", QStringLiteral("Received Signal Strength (RSSI)"),
              Twips::rect(120, 560, 3150, 255));
    SignalStrengthMeter = meter("SignalStrengthMeter", Twips::rect(3350, 540, 3328, 250));
    RssiColorBarFrame = frame("RssiColorBarFrame", Twips::rect(3350, 825, 3328, 250));
    hundredDBMlbl =
        label("hundredDBMlbl", QStringLiteral("-100 dBm"), Twips::rect(3050, 1100, 900, 255));
    eightyDBMlbl =
        label("eightyDBMlbl", QStringLiteral("-80 dBm"), Twips::rect(4670, 1100, 900, 255));
    sixtyDBMlbl =
        label("sixtyDBMlbl", QStringLiteral("-60 dBm"), Twips::rect(6300, 1100, 900, 255));

    SNRlbl = label("SNRlbl", QStringLiteral("Signal to Noise Ratio (SNR)"),
                   Twips::rect(120, 1630, 3150, 255));
    SNRMeter = meter("SNRMeter", Twips::rect(3350, 1615, 3328, 250));
    SNRColorBarFrame = frame("SNRColorBarFrame", Twips::rect(3350, 1900, 3328, 250));
    LowSNRLabel = label("LowSNRLabel", QStringLiteral("10 dBm"), Twips::rect(3150, 2175, 900, 255));
    MidSNRLabel = label("MidSNRLabel", QStringLiteral("20 dBm"), Twips::rect(4730, 2175, 900, 255));
    HighSNRLabel =
        label("HighSNRLabel", QStringLiteral("30 dBm"), Twips::rect(6300, 2175, 900, 255));

    collectingDatalbl = label("collectingDatalbl", QStringLiteral("Collecting Data Please Wait..."),
                              Twips::rect(1200, 650, 5800, 450));
    collectingDatalbl->setAlignment(Qt::AlignCenter);
    QFont noticeFont = collectingDatalbl->font();
    noticeFont.setPointSizeF(noticeFont.pointSizeF() * 1.3);
    noticeFont.setBold(true);
    collectingDatalbl->setFont(noticeFont);

    Frame1 = new QGroupBox(QStringLiteral("Traffic History Chart"), central);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(Twips::rect(120, 2400, 7980, 3300));
    TrafficChart = new QChartView(Frame1);
    TrafficChart->setObjectName(QStringLiteral("TrafficChart"));
    TrafficChart->setRenderHint(QPainter::Antialiasing);
    auto *chartLayout = new QVBoxLayout(Frame1);
    chartLayout->setContentsMargins(4, 4, 4, 4);
    chartLayout->addWidget(TrafficChart);
    TrafficChart->hide();

    buildArdixMonitor();
}

void MonitoringWindow::buildMenus()
{
    auto action = [](QMenu *menu, const char *name, const QString &caption) {
        QAction *a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    auto menu = [](QMenu *parent, QMenuBar *bar, const char *name, const QString &caption) {
        QMenu *m = parent ? parent->addMenu(caption) : bar->addMenu(caption);
        m->setObjectName(QLatin1String(name));
        return m;
    };
    QMenuBar *bar = menuBar();

    fileMenu = menu(nullptr, bar, "fileMenu", QStringLiteral("File"));
    LogExportMenu::addTo(fileMenu, this, m_session);
    exit = action(fileMenu, "exit", QStringLiteral("Exit"));

    runMenu = menu(nullptr, bar, "runMenu", QStringLiteral("Run"));
    runStopMenu = action(runMenu, "runStopMenu", QStringLiteral("Stop Monitoring"));
    SwitchRemote = action(runMenu, "SwitchRemote", QStringLiteral("Switch Remote"));
    SwitchRemote->setCheckable(true);

    Options = menu(nullptr, bar, "Options", QStringLiteral("Options"));
    View = menu(Options, bar, "View", QStringLiteral("View"));
    ViewSNR = action(View, "ViewSNR", QStringLiteral("SNR Status Bar"));
    ViewSNR->setCheckable(true);
    Traffic_History_Chart =
        action(View, "Traffic_History_Chart", QStringLiteral("Traffic History"));
    Traffic_History_Chart->setCheckable(true);
    rebootVelto = action(Options, "rebootVelto", QStringLiteral("Reboot Velto Remote"));
    changeRSSIThresh = action(Options, "changeRSSIThresh", QStringLiteral("Change RSSI Threshold"));
    changeSNRThreshold =
        action(Options, "changeSNRThreshold", QStringLiteral("Change SNR Threshold"));

    helpMenu = menu(nullptr, bar, "helpMenu", QStringLiteral("Help"));
    helpTopics = action(helpMenu, "helpTopics", QStringLiteral("Help Topics"));
    helpTopics->setShortcut(QKeySequence(Qt::Key_F1));
    separator = helpMenu->addSeparator();
    separator->setObjectName(QStringLiteral("separator"));
    about = action(helpMenu, "about", QStringLiteral("About Kavo Connectivity Window"));
    about->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));

    connect(exit, &QAction::triggered, this, &MonitoringWindow::exit_Click);
    connect(runStopMenu, &QAction::triggered, this, &MonitoringWindow::runStopMenu_Click);
    connect(SwitchRemote, &QAction::triggered, this, &MonitoringWindow::SwitchRemote_Click);
    // The View entries' check marks are set by their handlers, not by the click.
    connect(ViewSNR, &QAction::triggered, this, [this] {
        ViewSNR->setChecked(!ViewSNR->isChecked());
        ViewSNR_Click();
    });
    connect(Traffic_History_Chart, &QAction::triggered, this, [this] {
        Traffic_History_Chart->setChecked(!Traffic_History_Chart->isChecked());
        Traffic_History_Chart_Click();
    });
    connect(changeRSSIThresh, &QAction::triggered, this, &MonitoringWindow::changeRSSIThresh_Click);
    connect(changeSNRThreshold, &QAction::triggered, this,
            &MonitoringWindow::changeSNRThreshold_Click);
    connect(helpTopics, &QAction::triggered, this, &MonitoringWindow::helpTopics_Click);
    connect(about, &QAction::triggered, this, &MonitoringWindow::about_Click);
    addAlignmentView(*this, m_session);
}

void MonitoringWindow::buildTimers()
{
    using F = MonitoringWindow;
    test = makeHandlerTimer(this, "test", 2000, &F::test_Timer);
    ChartTimer = makeHandlerTimer(this, "ChartTimer", 5000, &F::ChartTimer_Timer);
}

// ---------------------------------------------------------------------------
// Shared display steps

QColor MonitoringWindow::labelColour(const QLabel *label)
{
    return label->palette().color(QPalette::WindowText);
}

void MonitoringWindow::setLabelColour(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

void MonitoringWindow::showLamp(int iconId)
{
    // The poll shows the state every second; a lamp already shown stays as
    // it is. A new icon is drawn afresh into the application's pixmap cache,
    // so drawing it on every poll filled that cache with copies.
    if (iconId == m_lampIconId)
        return;
    m_lampIconId = iconId;
    auto lamp = m_lamps.find(iconId);
    if (lamp == m_lamps.end())
        lamp =
            m_lamps.insert(iconId, {StationIcons::lamp(iconId), StationIcons::lampPixmap(iconId)});
    light->setPixmap(lamp->pixmap);
    setWindowIcon(lamp->icon);
}

void MonitoringWindow::setWindowHeightTwips(int twips)
{
    m_heightTwips = twips;
    setFixedHeight(Twips::windowHeight(twips));
}

void MonitoringWindow::moveFrame1ToTwips(int top)
{
    Frame1->move(Frame1->x(), Twips::toPixels(top));
}

void MonitoringWindow::showDisconnectedDisplay()
{
    runStopMenu->setText(QStringLiteral("Resume Monitoring"));
    status->setText(QStringLiteral("Disconnected From Radio"));
    setLabelColour(status, Qt::black);
    status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setWindowTitle(QStringLiteral("-- dBm"));
    showLamp(106);
}

void MonitoringWindow::hideSignalWidgets()
{
    for (QWidget *w :
         {static_cast<QWidget *>(RssiColorBarFrame), static_cast<QWidget *>(SNRColorBarFrame),
          static_cast<QWidget *>(light), static_cast<QWidget *>(status),
          static_cast<QWidget *>(SignalStrengthlbl), static_cast<QWidget *>(ConnectionStatuslbl),
          static_cast<QWidget *>(SignalStrengthMeter), static_cast<QWidget *>(hundredDBMlbl),
          static_cast<QWidget *>(eightyDBMlbl), static_cast<QWidget *>(sixtyDBMlbl),
          static_cast<QWidget *>(SNRlbl), static_cast<QWidget *>(LowSNRLabel),
          static_cast<QWidget *>(MidSNRLabel), static_cast<QWidget *>(HighSNRLabel),
          static_cast<QWidget *>(SNRMeter)})
        w->hide();
}

void MonitoringWindow::showWaitingDisplay()
{
    collectingDatalbl->show();
    hideSignalWidgets();
}

// ---------------------------------------------------------------------------
// Load

void MonitoringWindow::Form_Load()
{
    // Timers enabled at design time run from the window's creation.
    for (QTimer *t : {test, gpsReceiver->mscomm_timer, ChartTimer})
        t->start();
    logRecorder->start();

    // GPS is used when the stored setting says so, and then its port is
    // opened too: deciding the port before reading the store would leave the
    // first window of a run (and the one after a remote switch) logging
    // "No data" all run long for a receiver that was never opened.
    m_session.settings.gpsEnabled =
        SettingsStore::read(
            QString::fromUtf16(SettingsStore::kGpsOptions), QStringLiteral("GPS Enabled"),
            SettingsStore::booleanText(m_session.settings.gpsEnabled)) == QLatin1String("True");
    if (m_session.settings.gpsEnabled && !gpsReceiver->open())
        return; // the port is held by another program: the station has ended
    m_session.monitor.screenLocked = false;

    setFixedWidth(Twips::toPixels(kWindowWidthTwips));
    MousePointer::setNormal();
    collectingDatalbl->show();

    m_session.monitor.windowClosing = false;
    m_session.monitor.monitoringStopped = false;
    m_session.link.rxBytes.clear();
    m_session.link.txBytes.clear();

    setWindowHeightTwips(kBaseHeightTwips);
    m_session.monitor.trafficViewState = 1;

    // The window shows before the dialog closes, so the operator sees the
    // start sequence (the Velto start waits for the radio) in this window.
    show();
    m_navigator.closeSelection();

    InitColorBar(0);
    m_session.monitor.chartRestart = true;
    InitTrafficChart();
    SignalStrengthMeter->setMeterValue(0);

    switch (m_session.settings.remoteKind) {
    case RemoteKind::Ardix:
        about->setText(QStringLiteral("About Ardix Monitoring Window"));
        SwitchRemote->setVisible(true);
        for (QAction *a : {changeRSSIThresh, changeSNRThreshold, rebootVelto, ViewSNR})
            a->setVisible(false);
        StartArdixMonitoring();
        break;
    case RemoteKind::Velto:
        SwitchRemote->setVisible(false);
        about->setText(QStringLiteral("About Velto Monitoring Window"));
        m_velto->StartVeltoMonitoring();
        break;
    default: {
        QPointer<MonitoringWindow> self(this);
        StationNavigator &navigator = m_navigator; // outlives the window
        OperatorMessages::show(QStringLiteral("Sorry"), MessageIcon::Exclamation,
                               {QStringLiteral("This is not for Torvik!")});
        // The window closes before the dialog comes back: the dialog's load
        // sets the family again, and a close under the Velto family would end
        // the application instead of returning to the dialog.
        if (self)
            close();
        navigator.showSelection();
        break;
    }
    }
}

void MonitoringWindow::setupForArdix()
{
    setWindowTitle(QStringLiteral("Ardix Monitoring Window"));
    ViewSNR->setEnabled(false);
    SNRlbl->hide();
    SNRMeter->hide();
    SNRColorBarFrame->hide();
    // An Ardix radio reports no SNR: its scale's captions go with the scale.
    for (QLabel *caption : {LowSNRLabel, MidSNRLabel, HighSNRLabel})
        caption->hide();
    moveFrame1ToTwips(2400);
}

void MonitoringWindow::setupForVelto()
{
    setWindowTitle(QStringLiteral("Velto Monitoring Window"));
    ViewSNR->setEnabled(true);
    moveFrame1ToTwips(2400);
    ViewSNR->setChecked(false);
    SNRMeter->hide();
    SNRColorBarFrame->hide();
    SNRlbl->hide();
    m_session.monitor.snrBarShown = false;
}

// ---------------------------------------------------------------------------
// Start sequences

void MonitoringWindow::StartArdixMonitoring()
{
    QPointer<MonitoringWindow> self(this);
    ardixMonitor->start();
    if (!self || m_unloaded)
        return;
    ChartTimer->start();
}

// ---------------------------------------------------------------------------
// Stop, resume, switch, close

void MonitoringWindow::ToggleMonitoring()
{
    if (!m_session.monitor.monitoringStopped) {
        m_session.monitor.monitoringStopped = true;
        if (m_session.settings.remoteKind == RemoteKind::Ardix) {
            ChartTimer->stop();
            ardixMonitor->stop();
        } else if (m_session.settings.remoteKind == RemoteKind::Velto) {
            m_velto->stopMonitoring();
            ChartTimer->stop();
        }
        showDisconnectedDisplay();
        SignalStrengthMeter->setMeterValue(0);
        SNRMeter->setMeterValue(0);
        return;
    }

    m_session.monitor.monitoringStopped = false;
    runStopMenu->setText(QStringLiteral("Stop Monitoring"));
    // The start's waits may close and delete this window; the session outlives it.
    MonitorState &monitor = m_session.monitor;
    QPointer<MonitoringWindow> self(this);
    if (m_session.settings.remoteKind == RemoteKind::Velto) {
        m_velto->resumeMonitoring();
        if (self)
            Options->setEnabled(true);
    } else if (m_session.settings.remoteKind == RemoteKind::Ardix) {
        StartArdixMonitoring();
    }
    monitor.chartRestart = true;
}

void MonitoringWindow::runStopMenu_Click()
{
    ToggleMonitoring();
}

void MonitoringWindow::SwitchRemote_Click()
{
    showDisconnectedDisplay();
    SwitchRemote->setChecked(true);
    if (!m_session.monitor.monitoringStopped)
        ToggleMonitoring();
    close();
    m_navigator.showSelection();
}

void MonitoringWindow::exit_Click()
{
    close();
}

void MonitoringWindow::closeEvent(QCloseEvent *event)
{
    if (!m_unloading) {
        m_unloading = true;
        QPointer<MonitoringWindow> self(this);
        Form_Unload();
        if (!self)
            return;
        m_unloaded = true;
        logRecorder->stop();
    }
    event->accept();
    m_navigator.quitWhenNoWindowLeft();
}

void MonitoringWindow::Form_Unload()
{
    QPointer<MonitoringWindow> self(this);
    m_session.settings.gpsEnabled = false;
    MousePointer::setBusy();
    showDisconnectedDisplay();
    if (!m_session.monitor.monitoringStopped)
        ToggleMonitoring();
    m_session.monitor.windowClosing = true;
    congestionManager->stopConnectionTimer();
    congestionManager->CloseCongestionManagementTelnet();
    if (!self)
        return;
    EventWait::serveFor(100);
    if (!self)
        return;

    if (m_session.settings.remoteKind == RemoteKind::Ardix) {
        ardixMonitor->LeaveMulticastGroup();
    } else if (m_session.settings.remoteKind == RemoteKind::Velto) {
        if (m_velto->closeSession())
            return; // the application has ended
    }

    if (!m_session.link.deviceMode.isEmpty() &&
        !VeltoStartRules::isAccessPointMode(m_session.link.deviceMode)) {
        ApplicationExit::terminate();
        return;
    }
    gpsReceiver->close();
    // The run goes on with the remote-selection dialog: give the operator
    // back the normal pointer the close sequence replaced.
    MousePointer::setNormal();
}

void MonitoringWindow::Form_Terminate()
{
    congestionManager->CloseCongestionManagementTelnet();
}

void MonitoringWindow::about_Click()
{
    if (m_session.settings.remoteKind == RemoteKind::Ardix)
        AboutBox::showBox(AboutBox::Kind::ArdixMonitoring);
    else if (m_session.settings.remoteKind == RemoteKind::Velto)
        AboutBox::showBox(AboutBox::Kind::VeltoMonitoring);
}

void MonitoringWindow::helpTopics_Click()
{
    HelpWindow::showTopics();
}
