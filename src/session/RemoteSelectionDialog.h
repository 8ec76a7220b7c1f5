#pragma once

#include <QDialog>

class StationNavigator;
struct StationSession;

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QPushButton;

// The remote-selection dialog, the station's first window. The operator picks
// the radio family and model, the remote's address (Velto) or the UDP
// destination port (Ardix); OK validates the choice, fills the session settings and
// opens the monitoring window, whose load closes this dialog. The dialog keeps
// the last choice, the port and the growing address list in the settings store.
class RemoteSelectionDialog : public QDialog
{
    Q_OBJECT
public:
    // Rows of listOfRadios. Rows 1 and 2 are both the Velto family.
    enum Row
    {
        ArdixRow = 0,
        Velto100Row = 1,
        Velto200Row = 2
    };

    RemoteSelectionDialog(StationSession &session, StationNavigator &navigator,
                          QWidget *parent = nullptr);

    // Dialog variables, live as long as the dialog.
    QString remoteChoice; // "Ardix", "Velto" or empty
    QString destPortText; // the port box text as typed

    // Controls, named as designed.
    QLabel *Label1 = nullptr;
    QListWidget *listOfRadios = nullptr;
    QLabel *DestinationPortLabel = nullptr;
    QLineEdit *portNumber = nullptr;
    QLabel *remoteIPAddrLabel = nullptr;
    QComboBox *remoteIPCombo = nullptr;
    QLineEdit *IPBox = nullptr;
    QFrame *separatorLine = nullptr;
    QPushButton *OK = nullptr;
    QPushButton *Cancel = nullptr;

    QMenuBar *menuBar = nullptr;
    QMenu *fileMenu = nullptr;
    QAction *exit = nullptr;
    QMenu *mnuOptions = nullptr;
    QMenu *logFileOptions = nullptr;
    QAction *enableLogging = nullptr;
    QAction *saveFileAs = nullptr;
    QAction *mnuNetOptions = nullptr;
    QAction *GPSOptions = nullptr;
    QMenu *helpMenu = nullptr;
    QAction *helpTopics = nullptr;
    QAction *separatorBar = nullptr;
    QAction *about = nullptr;

    static const QString kAddIpAddress; // "Add IP Address"
    static const QString kSelectAnIp;   // "Select an IP..."

public slots:
    void Form_Load();
    void listOfRadios_Click();
    void portNumber_Change();
    void remoteIPCombo_Change();
    void remoteIPCombo_Click();
    void OK_Click();
    void Cancel_Click();
    void exit_Click();
    void helpTopics_Click();
    void about_Click();
    void mnuNetOptions_Click();
    void GPSOptions_Click();
    void enableLogging_Click();
    void saveFileAs_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override; // Escape closes like Cancel

private:
    void buildControls();
    void describeControls();
    void connectControls();
    void buildMenus();
    void connectMenus();
    void layOutControls();
    static QSize designedSize(int heightTwips);
    void Form_Unload();
    void saveChoiceAndPort();
    void loadAddressList();
    void applyLoggingMenuFromStore();
    void firstUseOfFamilyForLogging();
    void startArdix();
    void startVelto();
    // The address to monitor from the combo text, or empty after a message.
    QString chooseVeltoAddress(const QString &comboText);
    void showBadAddressMessage();
    void setFamilyLayout(bool ardix);

    StationSession &m_session;
    StationNavigator &m_navigator;
    bool m_unloaded = false;
};
