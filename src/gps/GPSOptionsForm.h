#pragma once

#include <QDialog>

// The GPS options dialog: enables the receiver and picks its serial port.
class GPSOptionsForm : public QDialog
{
    Q_OBJECT
public:
    explicit GPSOptionsForm(QWidget *parent = nullptr);
    static GPSOptionsForm *showModeless();
};
