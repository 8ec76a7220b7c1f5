#include "GpsOptionsDialog.h"

#include "app/OperatorMessages.h"
#include "app/Records.h"
#include "display/DesignedControl.h"
#include "display/StationIcons.h"
#include "display/Twips.h"
#include "gps/GpsOptions.h"
#include "gps/SerialDevices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

GpsOptionsDialog::GpsOptionsDialog(SessionSettings &settings, QWidget *parent)
    : QDialog(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("GPSOptionsForm"));
    setWindowTitle(QStringLiteral("GPS Options"));
    setWindowIcon(StationIcons::product());
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(Twips::toPixels(6300), Twips::toPixels(5040));
    buildControls();
    Form_Load();
}

void GpsOptionsDialog::buildControls()
{
    auto place = [this](QWidget *w, const char *name, QRect rect) {
        placeControl(this, w, name, rect);
    };

    information_label = new QLabel(QStringLiteral(
        "The Kavo Connectivity Window can be used with a GPS Device. The GPS device should be "
        "connected to a serial port on the PC. This feature allows users to log GPS data, such as "
        "latitude and longitude to the log file."));
    information_label->setWordWrap(true);
    place(information_label, "information_label", Twips::rect(120, 120, 6060, 1000));

    GPSOptions_label = new QLabel(QStringLiteral("GPS Options:"));
    QFont bold = GPSOptions_label->font();
    bold.setBold(true);
    GPSOptions_label->setFont(bold);
    place(GPSOptions_label, "GPSOptions_label", Twips::rect(120, 1260, 3000, 255));

    UsingAGPS_label = new QLabel(QStringLiteral("Check if using a GPS Device:"));
    place(UsingAGPS_label, "UsingAGPS_label", Twips::rect(360, 1620, 3300, 255));
    GPSEnabled = new QCheckBox;
    place(GPSEnabled, "GPSEnabled", Twips::rect(3720, 1590, 330, 315));

    ComPort_label =
        new QLabel(QStringLiteral("Select a Serial Port for communication with the GPS Device:"));
    place(ComPort_label, "ComPort_label", Twips::rect(360, 2040, 5820, 255));

    ComOne = new QRadioButton(QStringLiteral("Com 1"));
    place(ComOne, "ComOne", Twips::rect(600, 2430, 1200, 315));
    Com1Device = new QComboBox;
    place(Com1Device, "Com1Device", Twips::rect(1920, 2415, 4260, 330));
    ComTwo = new QRadioButton(QStringLiteral("Com 2"));
    place(ComTwo, "ComTwo", Twips::rect(600, 2880, 1200, 315));
    Com2Device = new QComboBox;
    place(Com2Device, "Com2Device", Twips::rect(1920, 2865, 4260, 330));
    const QStringList receivers = SerialDevices::receiversById();
    for (QComboBox *device : {Com1Device, Com2Device}) {
        device->setEditable(true);
        device->setInsertPolicy(QComboBox::NoInsert);
        device->addItems(receivers);
        device->setToolTip(QStringLiteral("Serial device of this port"));
    }
    buildSourceControls();
    // All options can be unselected (no port chosen), so they exclude each
    // other by hand rather than as an automatic group.
    for (QRadioButton *option : {ComOne, ComTwo, GpsdOption})
        option->setAutoExclusive(false);

    OKButton = new QPushButton(QStringLiteral("OK"));
    place(OKButton, "OKButton", Twips::rect(3600, 4440, 1200, 375));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"));
    CancelButton->setAutoDefault(false);
    place(CancelButton, "CancelButton", Twips::rect(4980, 4440, 1200, 375));

    connectControls();
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
    auto place = [this](QWidget *w, const char *name, QRect rect) {
        placeControl(this, w, name, rect);
    };
    GpsdOption = new QRadioButton(QStringLiteral("gpsd"));
    place(GpsdOption, "GpsdOption", Twips::rect(600, 3330, 1200, 315));
    GpsdHost = new QLineEdit;
    GpsdHost->setToolTip(QStringLiteral("Host of the GPS daemon"));
    place(GpsdHost, "GpsdHost", Twips::rect(1920, 3315, 2820, 330));
    GpsdPort = new QSpinBox;
    GpsdPort->setRange(1, 65535);
    GpsdPort->setToolTip(QStringLiteral("TCP port of the GPS daemon"));
    place(GpsdPort, "GpsdPort", Twips::rect(4860, 3315, 1320, 330));

    BaudRate_label = new QLabel(QStringLiteral("Line speed (baud):"));
    place(BaudRate_label, "BaudRate_label", Twips::rect(360, 3840, 1900, 255));
    BaudRate = new QComboBox;
    for (qint32 rate : GpsOptions::kBaudRates)
        BaudRate->addItem(QString::number(rate), rate);
    place(BaudRate, "BaudRate", Twips::rect(2400, 3795, 1500, 330));
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
    static QPointer<GpsOptionsDialog> form;
    if (!form)
        form = new GpsOptionsDialog(settings);
    form->show();
    form->raise();
    form->activateWindow();
    return form;
}

void GpsOptionsDialog::selectPort(int port)
{
    ComOne->setChecked(port == 1);
    ComTwo->setChecked(port == 2);
    GpsdOption->setChecked(false);
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
