#pragma once

#include "app/Records.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

// The GPS options dialog: enables the receiver and picks its serial port,
// "Com 1" or "Com 2". Beside each port stands the serial device it means
// (kept under "Com1Device" and "Com2Device"), so the operator sees what is
// used and can enter another one, such as a USB receiver's /dev/ttyUSB0; the
// receivers the system names by their own identity are offered in the list.
// The third choice, "gpsd", takes the data from a GPS daemon that shares the
// receiver with other programs, at the host and port beside it. The line
// speed applies to either serial port.
// OK stores the choice in section "GPS Options"; it is used by the next
// monitoring window that opens.
class GpsOptionsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit GpsOptionsDialog(SessionSettings &settings, QWidget *parent = nullptr);

    // Opens the dialog modeless (raises the one already open).
    static GpsOptionsDialog *showModeless(SessionSettings &settings);

    QLabel *information_label = nullptr;
    QLabel *GPSOptions_label = nullptr;
    QLabel *UsingAGPS_label = nullptr;
    QCheckBox *GPSEnabled = nullptr;
    QLabel *ComPort_label = nullptr;
    QRadioButton *ComOne = nullptr;
    QComboBox *Com1Device = nullptr;
    QRadioButton *ComTwo = nullptr;
    QComboBox *Com2Device = nullptr;
    QRadioButton *GpsdOption = nullptr;
    QLineEdit *GpsdHost = nullptr;
    QSpinBox *GpsdPort = nullptr;
    QLabel *BaudRate_label = nullptr;
    QComboBox *BaudRate = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;

public slots:
    void Form_Load();
    void GPSEnabled_Click();
    void ComOne_Click();
    void ComTwo_Click();
    void OKButton_Click();
    void CancelButton_Click();

private:
    void buildControls();
    void buildSourceControls();
    void describeControls();
    void layOutControls();
    void connectControls();
    void loadSourceControls();
    void storeSourceControls();
    // Selects the option button of port 1 or 2 and deselects the others; any
    // other port deselects all three.
    void selectPort(int port);
    void selectGpsd();
    void enablePortChoice(bool enabled);

    SessionSettings &m_settings;
    bool m_gpsdChosen = false;
    QButtonGroup *m_ports = nullptr; // Com 1, Com 2 and gpsd, one at a time
};
