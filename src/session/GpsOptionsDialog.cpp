#include "GpsOptionsDialog.h"

#include "app/OperatorMessages.h"
#include "app/Records.h"
#include "display/StationIcons.h"
#include "display/Twips.h"
#include "display/WindowFit.h"
#include "gps/GpsOptions.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

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
    Com1Device = named(new QLineEdit, "Com1Device");
    ComTwo = named(new QRadioButton(QStringLiteral("Com 2")), "ComTwo");
    Com2Device = named(new QLineEdit, "Com2Device");
    for (QLineEdit *device : {Com1Device, Com2Device})
        device->setToolTip(QStringLiteral("Serial device of this port"));
    m_ports = new QButtonGroup(this);
    m_ports->addButton(ComOne, 1);
    m_ports->addButton(ComTwo, 2);

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
    ports->setColumnStretch(3, 1);
    page->addLayout(ports);
    page->addStretch(1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    page->addLayout(buttons);
    WindowFit::fitDesigned(this, {Twips::toPixels(6300), Twips::toPixels(4200)});
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
    connect(OKButton, &QPushButton::clicked, this, &GpsOptionsDialog::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &GpsOptionsDialog::CancelButton_Click);
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
    // An exclusive group refuses to clear its checked button; "no port" is
    // a state of its own, so the group lets go while the choice is set.
    m_ports->setExclusive(false);
    ComOne->setChecked(port == 1);
    ComTwo->setChecked(port == 2);
    m_ports->setExclusive(true);
}

void GpsOptionsDialog::enablePortChoice(bool enabled)
{
    for (QWidget *w : {static_cast<QWidget *>(ComOne), static_cast<QWidget *>(ComTwo),
                       static_cast<QWidget *>(ComPort_label), static_cast<QWidget *>(Com1Device),
                       static_cast<QWidget *>(Com2Device)})
        w->setEnabled(enabled);
}

void GpsOptionsDialog::Form_Load()
{
    m_settings.gpsEnabled = GpsOptions::storedGpsEnabled(m_settings.gpsEnabled);
    GPSEnabled->setChecked(m_settings.gpsEnabled);
    enablePortChoice(m_settings.gpsEnabled);

    Com1Device->setText(GpsOptions::devicePath(1));
    Com2Device->setText(GpsOptions::devicePath(2));

    m_settings.gpsComPort = GpsOptions::storedComPort(m_settings.gpsComPort);
    switch (m_settings.gpsComPort) {
    case 1:
    case 2:
        selectPort(m_settings.gpsComPort);
        break;
    case 0:
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
    if (m_settings.gpsEnabled && m_settings.gpsComPort == 0) {
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
    GpsOptions::storeDevicePath(1, Com1Device->text());
    GpsOptions::storeDevicePath(2, Com2Device->text());
    close();
}

void GpsOptionsDialog::CancelButton_Click()
{
    selectPort(0);
    GPSEnabled->setChecked(false);
    GPSEnabled_Click();
    close();
}
