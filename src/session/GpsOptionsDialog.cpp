#include "GpsOptionsDialog.h"

#include "app/OperatorMessages.h"
#include "app/Records.h"
#include "display/SingleWindow.h"
#include "display/StationIcons.h"
#include "display/Twips.h"
#include "display/WindowFit.h"
#include "gps/GpsOptions.h"
#include "gps/SerialDevices.h"

#include <QAbstractItemView>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

using WindowFit::describe;
using WindowFit::named;

GpsOptionsDialog::GpsOptionsDialog(SessionSettings &settings, QWidget *parent)
    : QDialog(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("GPSOptionsForm"));
    setWindowTitle(QStringLiteral("GPS Options"));
    setWindowIcon(StationIcons::product());
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    WindowFit::addCloseKeys(this);
    Form_Load();
}

void GpsOptionsDialog::buildControls()
{
    information_label = named(
        new QLabel(QStringLiteral(
            "The Kavo Connectivity Window can be used with a GPS Device. The GPS device should be "
            "connected to a serial port on the PC. This feature allows users to log GPS data, such "
            "as latitude and longitude to the log file.")),
        "information_label");
    information_label->setWordWrap(true);
    GPSOptions_label = named(new QLabel(QStringLiteral("GPS Options:")), "GPSOptions_label");
    QFont bold = GPSOptions_label->font();
    bold.setBold(true);
    GPSOptions_label->setFont(bold);
    UsingAGPS_label =
        named(new QLabel(QStringLiteral("Check if using a GPS Device:")), "UsingAGPS_label");
    GPSEnabled = named(new QCheckBox, "GPSEnabled");
    UsingAGPS_label->setBuddy(GPSEnabled);
    ComPort_label = named(
        new QLabel(QStringLiteral("Select a Serial Port for communication with the GPS Device:")),
        "ComPort_label");

    ComOne = named(new QRadioButton(QStringLiteral("Com 1")), "ComOne");
    Com1Device = named(new QComboBox, "Com1Device");
    ComTwo = named(new QRadioButton(QStringLiteral("Com 2")), "ComTwo");
    Com2Device = named(new QComboBox, "Com2Device");
    const QStringList receivers = SerialDevices::receiversById();
    for (QComboBox *device : {Com1Device, Com2Device}) {
        device->setEditable(true);
        device->setInsertPolicy(QComboBox::NoInsert);
        device->addItems(receivers);
        device->setToolTip(QStringLiteral("Serial device of this port"));
    }
    buildSourceControls();
    m_ports = new QButtonGroup(this);
    m_ports->addButton(ComOne, 1);
    m_ports->addButton(ComTwo, 2);
    m_ports->addButton(GpsdOption, 3);

    OKButton = named(new QPushButton(QStringLiteral("OK")), "OKButton");
    OKButton->setDefault(true);
    CancelButton = named(new QPushButton(QStringLiteral("Cancel")), "CancelButton");
    CancelButton->setAutoDefault(false);
    describeControls();
    layOutControls();
    connectControls();
}

void GpsOptionsDialog::describeControls()
{
    describe(GPSEnabled, UsingAGPS_label->text(), tr("Log the position of a GPS receiver"));
    describe(ComOne, ComOne->text(), ComPort_label->text());
    describe(ComTwo, ComTwo->text(), ComPort_label->text());
    describe(Com1Device, tr("Com 1 device"), Com1Device->toolTip());
    describe(Com2Device, tr("Com 2 device"), Com2Device->toolTip());
    // An editable list is read out through its own entry field and pop-up list.
    for (QComboBox *device : {Com1Device, Com2Device}) {
        describe(device->lineEdit(), device->accessibleName());
        describe(device->view(), tr("Receivers found on this computer"));
    }
    describe(BaudRate->view(), tr("Line speeds"));
    describe(GpsdOption, GpsdOption->text(), tr("Take the position from a GPS daemon"));
    describe(GpsdHost, tr("gpsd host"), GpsdHost->toolTip());
    describe(GpsdPort, tr("gpsd port"), GpsdPort->toolTip());
    describe(BaudRate, BaudRate_label->text(), tr("Line speed of the serial port"));
    describe(OKButton, OKButton->text(), tr("Keep these GPS options"));
    describe(CancelButton, CancelButton->text(), tr("Turn GPS off for this run and close"));
}

void GpsOptionsDialog::layOutControls()
{
    auto *page = new QVBoxLayout(this);
    page->addWidget(information_label);
    page->addWidget(GPSOptions_label);
    const int indent = Twips::toPixels(240);
    auto *using_ = new QHBoxLayout;
    using_->addSpacing(indent);
    using_->addWidget(UsingAGPS_label);
    using_->addWidget(GPSEnabled);
    using_->addStretch(1);
    page->addLayout(using_);

    auto *ports = new QGridLayout;
    ports->setColumnMinimumWidth(0, indent);
    ports->addWidget(ComPort_label, 0, 1, 1, 3);
    ports->setColumnMinimumWidth(1, indent);
    ports->addWidget(ComOne, 1, 2);
    ports->addWidget(Com1Device, 1, 3);
    ports->addWidget(ComTwo, 2, 2);
    ports->addWidget(Com2Device, 2, 3);
    ports->addWidget(GpsdOption, 3, 2);
    auto *daemon = new QHBoxLayout;
    daemon->addWidget(GpsdHost, 1);
    daemon->addWidget(GpsdPort);
    ports->addLayout(daemon, 3, 3);
    ports->addWidget(BaudRate_label, 4, 1, 1, 2);
    ports->addWidget(BaudRate, 4, 3, Qt::AlignLeft);
    ports->setColumnStretch(3, 1);
    page->addLayout(ports);
    page->addStretch(1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    page->addLayout(buttons);
    WindowFit::fitDesigned(this, {Twips::toPixels(6300), Twips::toPixels(5040)});
}

void GpsOptionsDialog::connectControls()
{
    connect(GPSEnabled, &QCheckBox::clicked, this, &GpsOptionsDialog::GPSEnabled_Click);
    connect(ComOne, &QRadioButton::clicked, this, [this] {
        selectPort(1);
        ComOne_Click();
    });
    connect(ComTwo, &QRadioButton::clicked, this, [this] {
        selectPort(2);
        ComTwo_Click();
    });
    // Chosen, the daemon stays chosen, as a port does.
    connect(GpsdOption, &QRadioButton::clicked, this, [this] {
        selectGpsd();
        m_settings.gpsComPort = 0;
    });
    connect(OKButton, &QPushButton::clicked, this, &GpsOptionsDialog::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &GpsOptionsDialog::CancelButton_Click);
}

void GpsOptionsDialog::buildSourceControls()
{
    GpsdOption = named(new QRadioButton(QStringLiteral("gpsd")), "GpsdOption");
    GpsdHost = named(new QLineEdit, "GpsdHost");
    GpsdHost->setToolTip(QStringLiteral("Host of the GPS daemon"));
    GpsdPort = named(new QSpinBox, "GpsdPort");
    GpsdPort->setRange(1, 65535);
    GpsdPort->setToolTip(QStringLiteral("TCP port of the GPS daemon"));

    BaudRate_label = named(new QLabel(QStringLiteral("Line speed (baud):")), "BaudRate_label");
    BaudRate = named(new QComboBox, "BaudRate");
    BaudRate_label->setBuddy(BaudRate);
    for (qint32 rate : GpsOptions::kBaudRates)
        BaudRate->addItem(QString::number(rate), rate);
}

void GpsOptionsDialog::loadSourceControls()
{
    Com1Device->setCurrentText(GpsOptions::devicePath(1));
    Com2Device->setCurrentText(GpsOptions::devicePath(2));
    GpsdHost->setText(GpsOptions::gpsdHost());
    GpsdPort->setValue(GpsOptions::gpsdPort());
    BaudRate->setCurrentIndex(BaudRate->findData(GpsOptions::baudRate()));
}

void GpsOptionsDialog::storeSourceControls()
{
    GpsOptions::storeDevicePath(1, Com1Device->currentText());
    GpsOptions::storeDevicePath(2, Com2Device->currentText());
    GpsOptions::storeSource(m_gpsdChosen ? GpsOptions::Source::Gpsd
                                         : GpsOptions::Source::SerialPort);
    GpsOptions::storeGpsd(GpsdHost->text(), quint16(GpsdPort->value()));
    GpsOptions::storeBaudRate(BaudRate->currentData().toInt());
}

GpsOptionsDialog *GpsOptionsDialog::showModeless(SessionSettings &settings)
{
    return showSingleWindow<GpsOptionsDialog>(
        [&settings] { return new GpsOptionsDialog(settings); });
}

void GpsOptionsDialog::selectPort(int port)
{
    // An exclusive group refuses to clear its checked button; "no port" is
    // a state of its own, so the group lets go while the choice is set.
    m_ports->setExclusive(false);
    ComOne->setChecked(port == 1);
    ComTwo->setChecked(port == 2);
    GpsdOption->setChecked(false);
    m_ports->setExclusive(true);
    m_gpsdChosen = false;
}

void GpsOptionsDialog::selectGpsd()
{
    selectPort(0);
    GpsdOption->setChecked(true);
    m_gpsdChosen = true;
}

void GpsOptionsDialog::enablePortChoice(bool enabled)
{
    const QWidgetList choice{ComOne,     ComTwo,   ComPort_label, Com1Device,     Com2Device,
                             GpsdOption, GpsdHost, GpsdPort,      BaudRate_label, BaudRate};
    for (QWidget *w : choice)
        w->setEnabled(enabled);
}

void GpsOptionsDialog::Form_Load()
{
    m_settings.gpsEnabled = GpsOptions::storedGpsEnabled(m_settings.gpsEnabled);
    GPSEnabled->setChecked(m_settings.gpsEnabled);
    enablePortChoice(m_settings.gpsEnabled);

    loadSourceControls();

    m_settings.gpsComPort = GpsOptions::storedComPort(m_settings.gpsComPort);
    switch (m_settings.gpsComPort) {
    case 1:
    case 2:
        selectPort(m_settings.gpsComPort);
        break;
    case 0:
        // The daemon is no port: its choice keeps GPS as stored.
        if (GpsOptions::storedSource() == GpsOptions::Source::Gpsd) {
            selectGpsd();
            break;
        }
        selectPort(0);
        GPSEnabled->setChecked(false);
        m_settings.gpsEnabled = false;
        enablePortChoice(false);
        break;
    default:
        break;
    }
}

void GpsOptionsDialog::GPSEnabled_Click()
{
    m_settings.gpsEnabled = GPSEnabled->isChecked();
    enablePortChoice(m_settings.gpsEnabled);
}

void GpsOptionsDialog::ComOne_Click()
{
    m_settings.gpsComPort = ComOne->isChecked() ? 1 : 0;
}

void GpsOptionsDialog::ComTwo_Click()
{
    m_settings.gpsComPort = ComTwo->isChecked() ? 2 : 0;
}

void GpsOptionsDialog::OKButton_Click()
{
    if (m_settings.gpsEnabled && m_settings.gpsComPort == 0 && !m_gpsdChosen) {
        OperatorMessages::show(
            QStringLiteral("Error"), MessageIcon::Exclamation,
            {QStringLiteral("You must select a Com Port for communication with the GPS Device."),
             QString(),
             QStringLiteral("If you do not wish to enable the GPS features, press "
                            "Cancel.")});
        return;
    }
    GpsOptions::storeComPort(m_settings.gpsComPort);
    GpsOptions::storeGpsEnabled(m_settings.gpsEnabled);
    storeSourceControls();
    close();
}

void GpsOptionsDialog::CancelButton_Click()
{
    selectPort(0);
    GPSEnabled->setChecked(false);
    GPSEnabled_Click();
    close();
}
