// The remote-selection dialog's controls, menus and family layouts.
#include "RemoteSelectionDialog.h"
#include "StoredSession.h"
#include "display/Twips.h"
#include "display/WindowFit.h"

#include <QAbstractItemView>
#include <QBoxLayout>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>

using WindowFit::describe;
using WindowFit::named;

namespace {

constexpr int kDialogWidthTwips = 5700;
constexpr int kVeltoHeightTwips = 4000;
constexpr int kArdixHeightTwips = 3800;

} // namespace

void RemoteSelectionDialog::buildControls()
{
    Label1 = named(
        new QLabel(QStringLiteral("Please select the type of Halden remote to be monitored:")),
        "Label1");
    listOfRadios = named(new QListWidget, "listOfRadios");
    listOfRadios->addItems(
        {QStringLiteral("Ardix 100"), QStringLiteral("Velto 100"), QStringLiteral("Velto 200")});
    listOfRadios->setSelectionMode(QAbstractItemView::SingleSelection);
    WindowFit::showAllRows(listOfRadios);
    Label1->setBuddy(listOfRadios);

    DestinationPortLabel =
        named(new QLabel(QStringLiteral("Enter a destination port:")), "DestinationPortLabel");
    portNumber = named(new QLineEdit, "portNumber");
    portNumber->setMaxLength(5);
    DestinationPortLabel->setBuddy(portNumber);

    remoteIPAddrLabel =
        named(new QLabel(QStringLiteral("Enter the remote's IP address:")), "remoteIPAddrLabel");
    remoteIPCombo = named(new QComboBox, "remoteIPCombo");
    remoteIPCombo->setEditable(true);
    remoteIPCombo->setInsertPolicy(QComboBox::NoInsert);
    remoteIPCombo->setMaxCount(StoredSession::kMaxAddressEntries);
    remoteIPCombo->setEditText(kSelectAnIp);
    remoteIPAddrLabel->setBuddy(remoteIPCombo);
    IPBox = named(new QLineEdit, "IPBox");
    IPBox->setPlaceholderText(tr("new address"));

    separatorLine = named(new QFrame, "separatorLine");
    separatorLine->setFrameShape(QFrame::HLine);
    separatorLine->setFrameShadow(QFrame::Sunken);

    OK = named(new QPushButton(QStringLiteral("OK")), "OK");
    OK->setDefault(true);
    OK->setAutoDefault(true);
    Cancel = named(new QPushButton(QStringLiteral("Cancel")), "Cancel");
    Cancel->setAutoDefault(false);

    // The designed layout is the Velto one, with the port controls hidden.
    DestinationPortLabel->hide();
    portNumber->hide();
    describeControls();
    connectControls();
}

void RemoteSelectionDialog::describeControls()
{
    describe(listOfRadios, tr("Remote type"), Label1->text());
    describe(portNumber, tr("Destination port"),
             tr("UDP port the remote sends its datagrams to, 30000 to 60000"));
    describe(remoteIPCombo, tr("Remote IP address"),
             tr("Address of the remote to monitor, or Add IP Address to enter a new one"));
    // The combo's own name is its text; its parts are named for what they hold.
    describe(remoteIPCombo->lineEdit(), tr("Remote IP address"));
    describe(remoteIPCombo->view(), tr("Remembered IP addresses"));
    describe(IPBox, tr("New IP address"), tr("Address added to the list when OK is pressed"));
    describe(separatorLine, tr("Separator"));
    describe(OK, OK->text(), tr("Start monitoring the chosen remote"));
    describe(Cancel, Cancel->text(), tr("Close this window"));
}

void RemoteSelectionDialog::connectControls()
{
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

void RemoteSelectionDialog::layOutControls()
{
    auto *page = new QVBoxLayout(this);
    page->setMenuBar(menuBar);
    page->addWidget(Label1);
    page->addWidget(listOfRadios);
    page->addWidget(DestinationPortLabel);
    page->addWidget(remoteIPAddrLabel);

    auto *entry = new QHBoxLayout;
    entry->addWidget(portNumber, 0, Qt::AlignLeft);
    entry->addWidget(remoteIPCombo, 2200);
    entry->addWidget(IPBox, 2980);
    page->addLayout(entry);
    page->addStretch(1);
    page->addWidget(separatorLine);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OK);
    buttons->addWidget(Cancel);
    page->addLayout(buttons);
    WindowFit::fitDesigned(this, designedSize(kVeltoHeightTwips));
}

QSize RemoteSelectionDialog::designedSize(int heightTwips)
{
    return {Twips::toPixels(kDialogWidthTwips), Twips::windowHeight(heightTwips)};
}

void RemoteSelectionDialog::buildMenus()
{
    menuBar = named(new QMenuBar(this), "menuBar");
    auto action = [](QMenu *menu, const char *name, const QString &caption) {
        return named(menu->addAction(caption), name);
    };
    auto menu = [](auto *parent, const char *name, const QString &caption) {
        return named(parent->addMenu(caption), name);
    };

    fileMenu = menu(menuBar, "fileMenu", QStringLiteral("&File"));
    exit = action(fileMenu, "exit", QStringLiteral("E&xit"));

    mnuOptions = menu(menuBar, "mnuOptions", QStringLiteral("&Options"));
    logFileOptions = menu(mnuOptions, "logFileOptions", QStringLiteral("&Log Options"));
    enableLogging = action(logFileOptions, "enableLogging", QStringLiteral("&Enable Logging"));
    enableLogging->setCheckable(true);
    saveFileAs = action(logFileOptions, "saveFileAs", QStringLiteral("&Save File As"));
    mnuNetOptions = action(mnuOptions, "mnuNetOptions", QStringLiteral("&Network Options"));
    GPSOptions = action(mnuOptions, "GPSOptions", QStringLiteral("&GPS Options"));

    helpMenu = menu(menuBar, "helpMenu", QStringLiteral("&Help"));
    helpTopics = action(helpMenu, "helpTopics", QStringLiteral("&Help Topics"));
    helpTopics->setShortcut(QKeySequence(Qt::Key_F1));
    separatorBar = named(helpMenu->addSeparator(), "separatorBar");
    about = action(helpMenu, "about", QStringLiteral("&About Kavo Connectivity Window"));
    // The designed key of the about box; a text box that has the focus keeps
    // Ctrl+A for selecting its text.
    about->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));

    // Shortcuts of the dialog's menus work while focus is in any of its controls.
    for (QAction *a :
         {exit, enableLogging, saveFileAs, mnuNetOptions, GPSOptions, helpTopics, about})
        addAction(a);
    connectMenus();
}

void RemoteSelectionDialog::connectMenus()
{
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

void RemoteSelectionDialog::setFamilyLayout(bool ardix)
{
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
    WindowFit::fitDesigned(this, designedSize(ardix ? kArdixHeightTwips : kVeltoHeightTwips));
}
