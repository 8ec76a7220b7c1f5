#include "AboutBox.h"

#include "app/MakerAddress.h"
#include "display/DesignedControl.h"
#include "display/SingleWindow.h"
#include "display/StationIcons.h"
#include "display/Twips.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>

namespace {

struct AboutText
{
    const char *objectName;
    const char *titleName;
    const char *versionName;
    const char *descriptionName;
    QString version;
    QString description;
};

const QString kMonitoringDescription = QStringLiteral(
    "The Kavo Monitoring Window allows users to see the remote's current state of connectivity. "
    "The user is able to view the signal strength of the remote with just a glance of the "
    "monitor.");

AboutText textFor(AboutBox::Kind kind)
{
    switch (kind) {
    case AboutBox::Kind::Application:
        return {"KavoConnectivityWindowAboutForm",
                "appTitle",
                "appVersion",
                "appDescription",
                QStringLiteral("Version 1.1.6"),
                QStringLiteral("Kavo Connectivity Window allows users to monitor the status of "
                               "Halden' Velto 100 or Ardix 100 remotes.")};
    case AboutBox::Kind::ArdixMonitoring:
        return {
            "ArdixMonitoringWindowAboutForm", "ArdixTitlelbl",       "lblVersion", "lblDescription",
            QStringLiteral("Version 1.1.6"),  kMonitoringDescription};
    case AboutBox::Kind::VeltoMonitoring:
        break;
    }
    return {"VeltoMonitoringWindowAboutForm",
            "lblTitle",
            "lblVersion",
            "lblDescription",
            QStringLiteral("Version: 1.1.6"),
            kMonitoringDescription};
}

} // namespace

AboutBox::AboutBox(Kind kind, QWidget *parent) : QDialog(parent), m_kind(kind)
{
    const AboutText text = textFor(kind);
    setObjectName(QLatin1String(text.objectName));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(StationIcons::product());
    setFixedSize(Twips::toPixels(5700), Twips::toPixels(3200));

    auto label = [this](const char *name, QRect rect) {
        return placeControl(this, new QLabel, name, rect);
    };
    productIcon = label("picIcon", Twips::rect(240, 240, 720, 720));
    productIcon->setPixmap(StationIcons::product().pixmap(48, 48));
    titleLabel = label(text.titleName, Twips::rect(1200, 240, 4300, 400));
    QFont titleFont = titleLabel->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    titleLabel->setFont(titleFont);
    versionLabel = label(text.versionName, Twips::rect(1200, 700, 4300, 255));
    descriptionLabel = label(text.descriptionName, Twips::rect(1200, 1050, 4300, 1200));
    descriptionLabel->setWordWrap(true);
    descriptionLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    descriptionLabel->setText(text.description);
    webAddressLabel = label("lblWebAddress", Twips::rect(240, 2550, 3000, 255));
    webAddressLabel->setText(QString::fromUtf16(kMakerWebAddress));

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(Twips::rect(4200, 2500, 1200, 375));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &AboutBox::cmdOK_Click);
    Form_Load();
}

AboutBox *AboutBox::showBox(Kind kind)
{
    static QPointer<AboutBox> boxes[3];
    return showSingleWindow(boxes[static_cast<int>(kind)], [kind] { return new AboutBox(kind); });
}

void AboutBox::Form_Load()
{
    const AboutText text = textFor(m_kind);
    setWindowTitle(QStringLiteral("About Kavo Connectivity Window"));
    titleLabel->setText(QStringLiteral("Kavo Connectivity Window"));
    versionLabel->setText(text.version);
}

void AboutBox::cmdOK_Click()
{
    close();
}
