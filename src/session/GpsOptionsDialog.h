#pragma once

#include "app/Records.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The GPS options dialog: enables the receiver and picks its serial port,
// "Com 1" or "Com 2". Beside each port stands the serial device it means
// (kept under "Com1Device" and "Com2Device"), so the operator sees what is
// used and can enter another one, such as a USB receiver's /dev/ttyUSB0.
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
    QLineEdit *Com1Device = nullptr;
    QRadioButton *ComTwo = nullptr;
    QLineEdit *Com2Device = nullptr;
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
    void describeControls();
    void layOutControls();
    void connectControls();
    // Selects the option button of port 1 or 2 and deselects the other; any
    // other port deselects both.
    void selectPort(int port);
    void enablePortChoice(bool enabled);

    SessionSettings &m_settings;
    QButtonGroup *m_ports = nullptr; // Com 1 and Com 2, one at a time
};
