#include "NetworkOptionsDialog.h"

#include "app/Records.h"
#include "app/SettingsStore.h"
#include "display/SingleWindow.h"
#include "display/StationIcons.h"
#include "display/Twips.h"
#include "display/WindowFit.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
const QString kReadKey = QStringLiteral("SNMPReadCommString");
const QString kWriteKey = QStringLiteral("SNMPWriteCommString");
} // namespace

using WindowFit::describe;
using WindowFit::named;

NetworkOptionsDialog::NetworkOptionsDialog(SessionSettings &settings, QWidget *parent)
    : QDialog(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("NetworkOptionsForm"));
    setWindowTitle(QStringLiteral("Network Options"));
    setWindowIcon(StationIcons::product());
    setAttribute(Qt::WA_DeleteOnClose);

    SNMPReadComStrLabel =
        named(new QLabel(QStringLiteral("SNMP Read Community String:")), "SNMPReadComStrLabel");
    SNMPReadCommunityString = named(new QLineEdit, "SNMPReadCommunityString");
    SNMPReadComStrLabel->setBuddy(SNMPReadCommunityString);
    SNMPWriteComStrLabel =
        named(new QLabel(QStringLiteral("SNMP Write Community String:")), "SNMPWriteComStrLabel");
    SNMPWriteCommunityString = named(new QLineEdit, "SNMPWriteCommunityString");
    SNMPWriteComStrLabel->setBuddy(SNMPWriteCommunityString);
    // The write community lets anyone who reads it reconfigure and reboot the
    // radio: it stays hidden from onlookers unless the operator asks to see it.
    SNMPWriteCommunityString->setEchoMode(QLineEdit::Password);
    showWriteCommunity = named(new QCheckBox(QStringLiteral("Show")), "showWriteCommunity");
    connect(showWriteCommunity, &QCheckBox::toggled, SNMPWriteCommunityString, [this](bool shown) {
        SNMPWriteCommunityString->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
    });
    OKButton = named(new QPushButton(QStringLiteral("OK")), "OKButton");
    OKButton->setDefault(true);
    CancelButton = named(new QPushButton(QStringLiteral("Cancel")), "CancelButton");
    CancelButton->setAutoDefault(false);
    describeControls();
    layOutControls();
    WindowFit::addCloseKeys(this);

    connect(OKButton, &QPushButton::clicked, this, &NetworkOptionsDialog::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &NetworkOptionsDialog::CancelButton_Click);
    Form_Load();
}

void NetworkOptionsDialog::describeControls()
{
    describe(SNMPReadCommunityString, SNMPReadComStrLabel->text());
    describe(SNMPWriteCommunityString, SNMPWriteComStrLabel->text());
    describe(showWriteCommunity, tr("Show write community string"));
    describe(OKButton, OKButton->text(), tr("Keep these community strings"));
    describe(CancelButton, CancelButton->text(), tr("Close without a change"));
}

void NetworkOptionsDialog::layOutControls()
{
    auto *page = new QVBoxLayout(this);
    for (QWidget *w :
         std::initializer_list<QWidget *>{SNMPReadComStrLabel, SNMPReadCommunityString,
                                          SNMPWriteComStrLabel, SNMPWriteCommunityString})
        page->addWidget(w);
    page->addStretch(1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(showWriteCommunity);
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    page->addLayout(buttons);
    WindowFit::fitDesigned(this, {Twips::toPixels(4800), Twips::toPixels(2400)});
}

NetworkOptionsDialog *NetworkOptionsDialog::showModeless(SessionSettings &settings)
{
    return showSingleWindow<NetworkOptionsDialog>(
        [&settings] { return new NetworkOptionsDialog(settings); });
}

void NetworkOptionsDialog::Form_Load()
{
    SNMPReadCommunityString->setText(
        SettingsStore::readPreference(kReadKey, QStringLiteral("public")));
    SNMPWriteCommunityString->setText(
        SettingsStore::readPreference(kWriteKey, QStringLiteral("private")));
}

void NetworkOptionsDialog::OKButton_Click()
{
    SettingsStore::writePreference(kReadKey, SNMPReadCommunityString->text());
    m_settings.readCommunity = SNMPReadCommunityString->text();
    SettingsStore::writePreference(kWriteKey, SNMPWriteCommunityString->text());
    m_settings.writeCommunity = SNMPWriteCommunityString->text();
    close();
}

void NetworkOptionsDialog::CancelButton_Click()
{
    close();
}
