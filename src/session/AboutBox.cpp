#include "AboutBox.h"

#include "app/MakerAddress.h"
#include "display/SingleWindow.h"
#include "display/StationIcons.h"
#include "display/Twips.h"
#include "display/WindowFit.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
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

using WindowFit::named;

AboutBox::AboutBox(Kind kind, QWidget *parent) : QDialog(parent), m_kind(kind)
{
    const AboutText text = textFor(kind);
    setObjectName(QLatin1String(text.objectName));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(StationIcons::product());

    productIcon = named(new QLabel, "picIcon");
    productIcon->setPixmap(StationIcons::product().pixmap(48, 48));
    titleLabel = named(new QLabel, text.titleName);
    QFont titleFont = titleLabel->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    titleLabel->setFont(titleFont);
    versionLabel = named(new QLabel, text.versionName);
    descriptionLabel = named(new QLabel(text.description), text.descriptionName);
    descriptionLabel->setWordWrap(true);
    descriptionLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    webAddressLabel = named(new QLabel(QString::fromUtf16(kMakerWebAddress)), "lblWebAddress");
    cmdOK = named(new QPushButton(QStringLiteral("OK")), "cmdOK");
    cmdOK->setDefault(true);
    WindowFit::describe(productIcon, tr("Product icon"));
    WindowFit::describe(cmdOK, cmdOK->text(), tr("Close this box"));
    Form_Load();
    layOutControls();
    WindowFit::addCloseKeys(this);
    connect(cmdOK, &QPushButton::clicked, this, &AboutBox::cmdOK_Click);
}

void AboutBox::layOutControls()
{
    auto *grid = new QGridLayout(this);
    grid->addWidget(productIcon, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(titleLabel, 0, 1);
    grid->addWidget(versionLabel, 1, 1);
    grid->addWidget(descriptionLabel, 2, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(webAddressLabel);
    bottom->addStretch(1);
    bottom->addWidget(cmdOK);
    grid->addLayout(bottom, 3, 0, 1, 2);
    WindowFit::fitDesigned(this, {Twips::toPixels(5700), Twips::toPixels(3200)});
}

AboutBox *AboutBox::showBox(Kind kind)
{
    return showSingleWindow<AboutBox>([kind] { return new AboutBox(kind); },
                                      [kind](const AboutBox &box) { return box.kind() == kind; });
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
