#include "RemoteSelectionDialog.h"

#include "AboutBox.h"
#include "NetworkOptionsDialog.h"
#include "StationNavigator.h"
#include "StationSession.h"
#include "StoredSession.h"
#include "app/ApplicationExit.h"
#include "app/OperatorMessages.h"
#include "app/SettingsStore.h"
#include "display/DesignedControl.h"
#include "display/FileChooser.h"
#include "display/HelpWindow.h"
#include "display/MousePointer.h"
#include "display/StationIcons.h"
#include "display/Twips.h"
#include "session/GpsOptionsDialog.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>

const QString RemoteSelectionDialog::kAddIpAddress = QStringLiteral("Add IP Address");
const QString RemoteSelectionDialog::kSelectAnIp = QStringLiteral("Select an IP...");

namespace {

constexpr int kDialogWidthTwips = 5700;
constexpr int kControlLeftTwips = 120;
constexpr int kControlWidthTwips = 5340;

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
}

void RemoteSelectionDialog::buildControls()
{
    auto place = [this](QWidget *w, const char *name, int top, int height,
                        int left = kControlLeftTwips, int width = kControlWidthTwips) {
        placeControl(this, w, name, Twips::rect(left, top, width, height));
    };

    Label1 = new QLabel(QStringLiteral("Please select the type of Halden remote to be monitored:"));
    place(Label1, "Label1", 480, 255);

    listOfRadios = new QListWidget;
    listOfRadios->addItems(
        {QStringLiteral("Ardix 100"), QStringLiteral("Velto 100"), QStringLiteral("Velto 200")});
    listOfRadios->setSelectionMode(QAbstractItemView::SingleSelection);
    place(listOfRadios, "listOfRadios", 780, 780);

    DestinationPortLabel = new QLabel(QStringLiteral("Enter a destination port:"));
    place(DestinationPortLabel, "DestinationPortLabel", 1640, 255);
    portNumber = new QLineEdit;
    portNumber->setMaxLength(5);
    place(portNumber, "portNumber", 1900, 315, kControlLeftTwips, 1200);

    remoteIPAddrLabel = new QLabel(QStringLiteral("Enter the remote's IP address:"));
    place(remoteIPAddrLabel, "remoteIPAddrLabel", 1640, 255);
    remoteIPCombo = new QComboBox;
    remoteIPCombo->setEditable(true);
    remoteIPCombo->setInsertPolicy(QComboBox::NoInsert);
    remoteIPCombo->setMaxCount(StoredSession::kMaxAddressEntries);
    remoteIPCombo->setEditText(kSelectAnIp);
    place(remoteIPCombo, "remoteIPCombo", 1900, 315, kControlLeftTwips, 2200);
    IPBox = new QLineEdit;
    IPBox->setPlaceholderText(tr("new address"));
    place(IPBox, "IPBox", 1900, 315, 2480, 2980);

    separatorLine = new QFrame;
    separatorLine->setFrameShape(QFrame::HLine);
    separatorLine->setFrameShadow(QFrame::Sunken);
    place(separatorLine, "separatorLine", 2450, 30);

    OK = new QPushButton(QStringLiteral("OK"));
    place(OK, "OK", 2600, 375, 3000, 1150);
    OK->setDefault(true);
    OK->setAutoDefault(true);
    Cancel = new QPushButton(QStringLiteral("Cancel"));
    Cancel->setAutoDefault(false);
    place(Cancel, "Cancel", 2600, 375, 4310, 1150);

    // The designed layout is the Velto one, with the port controls hidden.
    DestinationPortLabel->hide();
    portNumber->hide();
    setFixedSize(Twips::toPixels(kDialogWidthTwips), Twips::windowHeight(4000));

    // A row is applied when it is selected, not when it merely becomes
    // current: the list makes its first row current when it takes the focus.
    connect(listOfRadios, &QListWidget::itemSelectionChanged, this,
            &RemoteSelectionDialog::listOfRadios_Click);
    connect(portNumber, &QLineEdit::textChanged, this, &RemoteSelectionDialog::portNumber_Change);
    connect(remoteIPCombo->lineEdit(), &QLineEdit::textEdited, this,
            &RemoteSelectionDialog::remoteIPCombo_Change);
    connect(remoteIPCombo, &QComboBox::activated, this,
            &RemoteSelectionDialog::remoteIPCombo_Click);
    connect(OK, &QPushButton::clicked, this, &RemoteSelectionDialog::OK_Click);
    connect(Cancel, &QPushButton::clicked, this, &RemoteSelectionDialog::Cancel_Click);
}

void RemoteSelectionDialog::buildMenus()
{
    menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("menuBar"));
    menuBar->setGeometry(0, 0, Twips::toPixels(kDialogWidthTwips), Twips::toPixels(330));

    auto action = [this](QMenu *menu, const char *name, const QString &caption) {
        QAction *a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        return a;
    };

    fileMenu = menuBar->addMenu(QStringLiteral("File"));
    fileMenu->setObjectName(QStringLiteral("fileMenu"));
    exit = action(fileMenu, "exit", QStringLiteral("Exit"));

    mnuOptions = menuBar->addMenu(QStringLiteral("Options"));
    mnuOptions->setObjectName(QStringLiteral("mnuOptions"));
    logFileOptions = mnuOptions->addMenu(QStringLiteral("Log Options"));
    logFileOptions->setObjectName(QStringLiteral("logFileOptions"));
    enableLogging = action(logFileOptions, "enableLogging", QStringLiteral("Enable Logging"));
    enableLogging->setCheckable(true);
    saveFileAs = action(logFileOptions, "saveFileAs", QStringLiteral("Save File As"));
    mnuNetOptions = action(mnuOptions, "mnuNetOptions", QStringLiteral("Network Options"));
    GPSOptions = action(mnuOptions, "GPSOptions", QStringLiteral("GPS Options"));

    helpMenu = menuBar->addMenu(QStringLiteral("Help"));
    helpMenu->setObjectName(QStringLiteral("helpMenu"));
    helpTopics = action(helpMenu, "helpTopics", QStringLiteral("Help Topics"));
    helpTopics->setShortcut(QKeySequence(Qt::Key_F1));
    separatorBar = helpMenu->addSeparator();
    separatorBar->setObjectName(QStringLiteral("separatorBar"));
    about = action(helpMenu, "about", QStringLiteral("About Kavo Connectivity Window"));
    about->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));

    // Shortcuts of the dialog's menus work while focus is in any of its controls.
    for (QAction *a :
         {exit, enableLogging, saveFileAs, mnuNetOptions, GPSOptions, helpTopics, about})
        addAction(a);

    connect(exit, &QAction::triggered, this, &RemoteSelectionDialog::exit_Click);
    // The check mark is set by the handler, not by the click itself.
    connect(enableLogging, &QAction::triggered, this, [this] {
        enableLogging->setChecked(!enableLogging->isChecked());
        enableLogging_Click();
    });
    connect(saveFileAs, &QAction::triggered, this, &RemoteSelectionDialog::saveFileAs_Click);
    connect(mnuNetOptions, &QAction::triggered, this, &RemoteSelectionDialog::mnuNetOptions_Click);
    connect(GPSOptions, &QAction::triggered, this, &RemoteSelectionDialog::GPSOptions_Click);
    connect(helpTopics, &QAction::triggered, this, &RemoteSelectionDialog::helpTopics_Click);
    connect(about, &QAction::triggered, this, &RemoteSelectionDialog::about_Click);
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

void RemoteSelectionDialog::setFamilyLayout(int heightTwips, int buttonTopTwips, int lineTopTwips,
                                            bool ardix)
{
    setFixedSize(Twips::toPixels(kDialogWidthTwips), Twips::windowHeight(heightTwips));
    OK->move(OK->x(), Twips::toPixels(buttonTopTwips));
    Cancel->move(Cancel->x(), Twips::toPixels(buttonTopTwips));
    separatorLine->move(separatorLine->x(), Twips::toPixels(lineTopTwips));
    separatorLine->show();
    DestinationPortLabel->setVisible(ardix);
    portNumber->setVisible(ardix);
    remoteIPAddrLabel->setVisible(!ardix);
    remoteIPCombo->setVisible(!ardix);
    if (ardix)
        IPBox->hide();
    else if (remoteIPCombo->currentText() == kAddIpAddress)
        IPBox->show();
    mnuNetOptions->setEnabled(!ardix);
}

void RemoteSelectionDialog::listOfRadios_Click()
{
    switch (listOfRadios->currentRow()) {
    case ArdixRow:
        remoteChoice = kArdix;
        setFamilyLayout(3800, 2350, 2200, true);
        break;
    case Velto100Row:
    case Velto200Row:
        remoteChoice = kVelto;
        setFamilyLayout(4000, 2600, 2450, false);
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
