#include "NetworkOptionsDialog.h"

#include "app/Records.h"
#include "app/SettingsStore.h"
#include "display/DesignedControl.h"
#include "display/SingleWindow.h"
#include "display/StationIcons.h"
#include "display/Twips.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
const QString kReadKey = QStringLiteral("SNMPReadCommString");
const QString kWriteKey = QStringLiteral("SNMPWriteCommString");
} // namespace

NetworkOptionsDialog::NetworkOptionsDialog(SessionSettings &settings, QWidget *parent)
    : QDialog(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("NetworkOptionsForm"));
    setWindowTitle(QStringLiteral("Network Options"));
    setWindowIcon(StationIcons::product());
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(Twips::toPixels(4800), Twips::toPixels(2400));

    auto place = [this](QWidget *w, const char *name, QRect rect) {
        placeControl(this, w, name, rect);
    };
    SNMPReadComStrLabel = new QLabel(QStringLiteral("SNMP Read Community String:"));
    place(SNMPReadComStrLabel, "SNMPReadComStrLabel", Twips::rect(120, 150, 4500, 255));
    SNMPReadCommunityString = new QLineEdit;
    place(SNMPReadCommunityString, "SNMPReadCommunityString", Twips::rect(120, 420, 4500, 330));
    SNMPWriteComStrLabel = new QLabel(QStringLiteral("SNMP Write Community String:"));
    place(SNMPWriteComStrLabel, "SNMPWriteComStrLabel", Twips::rect(120, 900, 4500, 255));
    SNMPWriteCommunityString = new QLineEdit;
    place(SNMPWriteCommunityString, "SNMPWriteCommunityString", Twips::rect(120, 1170, 4500, 330));
    // The write community lets anyone who reads it reconfigure and reboot the
    // radio: it stays hidden from onlookers unless the operator asks to see it.
    SNMPWriteCommunityString->setEchoMode(QLineEdit::Password);
    showWriteCommunity = new QCheckBox(QStringLiteral("Show"));
    place(showWriteCommunity, "showWriteCommunity", Twips::rect(120, 1800, 1200, 375));
    connect(showWriteCommunity, &QCheckBox::toggled, SNMPWriteCommunityString, [this](bool shown) {
        SNMPWriteCommunityString->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
    });
    OKButton = new QPushButton(QStringLiteral("OK"));
    place(OKButton, "OKButton", Twips::rect(2040, 1800, 1200, 375));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"));
    CancelButton->setAutoDefault(false);
    place(CancelButton, "CancelButton", Twips::rect(3420, 1800, 1200, 375));

    connect(OKButton, &QPushButton::clicked, this, &NetworkOptionsDialog::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &NetworkOptionsDialog::CancelButton_Click);
    Form_Load();
}

NetworkOptionsDialog *NetworkOptionsDialog::showModeless(SessionSettings &settings)
{
    static QPointer<NetworkOptionsDialog> form;
    return showSingleWindow(form, [&settings] { return new NetworkOptionsDialog(settings); });
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
