#include "RemoteSelectionDialog.h"

#include "AboutBox.h"
#include "NetworkOptionsDialog.h"
#include "StationNavigator.h"
#include "StationSession.h"
#include "StoredSession.h"
#include "app/ApplicationExit.h"
#include "app/OperatorMessages.h"
#include "app/SettingsStore.h"
#include "display/FileChooser.h"
#include "display/HelpWindow.h"
#include "display/MousePointer.h"
#include "display/StationIcons.h"
#include "session/GpsOptionsDialog.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

const QString RemoteSelectionDialog::kAddIpAddress = QStringLiteral("Add IP Address");
const QString RemoteSelectionDialog::kSelectAnIp = QStringLiteral("Select an IP...");

namespace {

const QString kArdix = QStringLiteral("Ardix");
const QString kVelto = QStringLiteral("Velto");

} // namespace

RemoteSelectionDialog::RemoteSelectionDialog(StationSession &session, StationNavigator &navigator,
                                             QWidget *parent)
    : QDialog(parent), m_session(session), m_navigator(navigator)
{
    setObjectName(QStringLiteral("snifferForm"));
    setWindowTitle(QStringLiteral("Kavo Connectivity Window"));
    setWindowIcon(StationIcons::product());
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    buildMenus();
    layOutControls();
}

void RemoteSelectionDialog::Form_Load()
{
    MousePointer::setNormal();
    remoteChoice = SettingsStore::readPreference(QStringLiteral("RemoteChoice"));
    destPortText = SettingsStore::readPreference(QStringLiteral("DestPortNumber"));
    portNumber->setText(destPortText);
    portNumber_Change(); // recomputes destPort even when the text did not change
    m_session.settings.remoteAddress.clear();

    loadAddressList();

    if (remoteChoice == kArdix) {
        listOfRadios->setCurrentRow(ArdixRow);
        m_session.settings.remoteKind = RemoteKind::Ardix;
    } else if (remoteChoice == kVelto || remoteChoice.isEmpty()) {
        listOfRadios->setCurrentRow(Velto100Row);
        m_session.settings.remoteKind = RemoteKind::Velto;
    }

    if (remoteChoice == kArdix || remoteChoice == kVelto || remoteChoice.isEmpty())
        applyLoggingMenuFromStore();
    StoredSession::firstUseOfFamilyForLogging(remoteChoice);
}

void RemoteSelectionDialog::loadAddressList()
{
    remoteIPCombo->clear();
    remoteIPCombo->addItems(StoredSession::loadAddressList());
    remoteIPCombo->setEditText(kSelectAnIp);
}

void RemoteSelectionDialog::applyLoggingMenuFromStore()
{
    const bool enabled = StoredSession::storedLoggingEnabled();
    m_session.settings.loggingEnabled = enabled;
    enableLogging->setChecked(enabled);
    saveFileAs->setEnabled(enabled);
}

void RemoteSelectionDialog::listOfRadios_Click()
{
    switch (listOfRadios->currentRow()) {
    case ArdixRow:
        remoteChoice = kArdix;
        setFamilyLayout(true);
        break;
    case Velto100Row:
    case Velto200Row:
        remoteChoice = kVelto;
        setFamilyLayout(false);
        break;
    default:
        break;
    }
}

void RemoteSelectionDialog::portNumber_Change()
{
    m_session.settings.destPort = StoredSession::portFromText(portNumber->text());
    destPortText = portNumber->text();
}

void RemoteSelectionDialog::remoteIPCombo_Change()
{
    m_session.settings.remoteAddress = remoteIPCombo->currentText();
}

void RemoteSelectionDialog::remoteIPCombo_Click()
{
    IPBox->setVisible(remoteIPCombo->currentText() == kAddIpAddress);
}

void RemoteSelectionDialog::saveChoiceAndPort()
{
    SettingsStore::writePreference(QStringLiteral("RemoteChoice"), remoteChoice);
    if (StoredSession::isValidDestPort(m_session.settings.destPort))
        SettingsStore::writePreference(QStringLiteral("DestPortNumber"), destPortText);
}

void RemoteSelectionDialog::OK_Click()
{
    // The monitoring window's load closes this dialog, and the waits of its
    // start may delete it, while the handler is still running: nothing below
    // the start touches the dialog, and what the end needs is taken first.
    StationSession &session = m_session;
    StationNavigator &navigator = m_navigator;
    MousePointer::setBusy();
    saveChoiceAndPort();

    if (remoteChoice == kArdix)
        startArdix();
    else if (remoteChoice == kVelto)
        startVelto();
    else if (remoteChoice.isEmpty())
        OperatorMessages::show(QStringLiteral("Information"), MessageIcon::Exclamation,
                               {QStringLiteral("Please select a remote for monitoring.")});
    MousePointer::setNormal();

    if (session.monitor.windowClosing) {
        navigator.closeMonitoring();
        session.monitor.windowClosing = false;
    }
}

void RemoteSelectionDialog::startArdix()
{
    m_session.settings.remoteKind = RemoteKind::Ardix;
    if (!StoredSession::isValidDestPort(m_session.settings.destPort)) {
        OperatorMessages::show(QStringLiteral("Information"), MessageIcon::Exclamation,
                               {QStringLiteral("Please enter a valid destination port."),
                                QStringLiteral("The destination port must be a number "),
                                QStringLiteral("between 30,000 and 60,000.")});
        return;
    }
    m_navigator.openMonitoring(RemoteKind::Ardix);
}

QString RemoteSelectionDialog::chooseVeltoAddress(const QString &comboText)
{
    if (comboText == kSelectAnIp) {
        OperatorMessages::show(QStringLiteral("Error"), MessageIcon::Exclamation,
                               {QStringLiteral("Please select an IP Address"), QString()});
        return {};
    }
    if (comboText != kAddIpAddress)
        return comboText;
    if (!IPBox->text().isEmpty())
        return IPBox->text();
    showBadAddressMessage();
    return {};
}

void RemoteSelectionDialog::showBadAddressMessage()
{
    OperatorMessages::show(QStringLiteral("Error"), MessageIcon::Exclamation,
                           {QStringLiteral("An improperly formatted IP address has been entered."),
                            QStringLiteral("Please enter a valid address.")});
}

void RemoteSelectionDialog::startVelto()
{
    const QString comboText = remoteIPCombo->currentText();
    m_session.settings.remoteAddress = chooseVeltoAddress(comboText);
    if (m_session.settings.remoteAddress.isEmpty())
        return;
    if (!StoredSession::isWellFormedAddress(m_session.settings.remoteAddress)) {
        showBadAddressMessage();
        m_session.settings.remoteAddress.clear();
        return;
    }
    if (comboText == kAddIpAddress)
        StoredSession::appendAddress(m_session.settings.remoteAddress);
    m_session.settings.remoteKind = RemoteKind::Velto;
    m_navigator.openMonitoring(RemoteKind::Velto);
}

void RemoteSelectionDialog::Cancel_Click()
{
    close();
}

void RemoteSelectionDialog::reject()
{
    close();
}

void RemoteSelectionDialog::exit_Click()
{
    saveChoiceAndPort();
    ApplicationExit::terminate();
}

void RemoteSelectionDialog::Form_Unload()
{
    saveChoiceAndPort();
}

void RemoteSelectionDialog::closeEvent(QCloseEvent *event)
{
    if (!m_unloaded) {
        m_unloaded = true;
        Form_Unload();
    }
    event->accept();
    m_navigator.quitWhenNoWindowLeft();
}

void RemoteSelectionDialog::helpTopics_Click()
{
    HelpWindow::showTopics();
}

void RemoteSelectionDialog::about_Click()
{
    AboutBox::showBox(AboutBox::Kind::Application);
}

void RemoteSelectionDialog::mnuNetOptions_Click()
{
    NetworkOptionsDialog::showModeless(m_session.settings);
}

void RemoteSelectionDialog::GPSOptions_Click()
{
    GpsOptionsDialog::showModeless(m_session.settings);
}

void RemoteSelectionDialog::enableLogging_Click()
{
    // The check mark mirrors loggingEnabled; the stored text follows it.
    const bool enable = !m_session.settings.loggingEnabled;
    saveFileAs->setEnabled(enable);
    enableLogging->setChecked(enable);
    SettingsStore::writePreference(QStringLiteral("logEnabledValue"),
                                   SettingsStore::booleanText(enable));
    m_session.settings.loggingEnabled = enable;
}

void RemoteSelectionDialog::saveFileAs_Click()
{
    if (remoteChoice != kArdix && remoteChoice != kVelto) {
        // No family chosen yet: the log belongs to Velto.
        remoteChoice = kVelto;
        listOfRadios->setCurrentRow(Velto100Row);
    }
    const QString key = remoteChoice + QLatin1String(" LogName");
    QString proposed = SettingsStore::readPreference(key);
    if (proposed.isEmpty())
        proposed = remoteChoice + QLatin1String("Monitoring_Log");

    const QString chosen =
        FileChooser::chooseSaveFile(this, {QStringLiteral("Choose a Log File"), proposed,
                                           QStringLiteral("Tab-Delimited Text File (*.txt)")});
    if (!chosen.isEmpty())
        SettingsStore::writePreference(key, QFileInfo(chosen).absoluteFilePath());
}
