#pragma once

#include <QDialog>

class KavomonitoringForm;
class QLabel;
class QLineEdit;
class QPushButton;

// The common frame of the two threshold dialogs: the current value, a box for
// the new one with its unit, OK and Cancel. Both are modeless; OK writes the
// new value to the radio and closes.
class ThresholdDialog : public QDialog
{
    Q_OBJECT
public:
    QLabel *CurLabel = nullptr;
    QLabel *currentValueLabel = nullptr; // CurRSSIThreshLabel or CurSNRThreshLabel
    QLabel *NewLabel = nullptr;
    QLineEdit *thresholdBox = nullptr; // RSSIThresholdtxt or SNRThresholdtxt
    QLabel *dBmLabel = nullptr;
    QPushButton *OK = nullptr;
    QPushButton *CancelButton = nullptr;

public slots:
    virtual void OK_Click() = 0;
    void CancelButton_Click();

protected:
    struct Texts
    {
        const char *objectName;
        QString caption;
        QString currentCaption;
        const char *currentValueName;
        QString newCaption;
        const char *boxName;
        QString unit;
    };
    ThresholdDialog(const Texts &texts, QWidget *parent);

    // Writes the value to catalogue entry `index` when monitoring runs and the
    // window is not closing, after any pending request has ended. Returns the
    // radio's answer, or nullopt when nothing was sent. The dialog may have
    // been closed meanwhile: callers hold a QPointer.
    std::optional<QString> writeToRadio(int index, const QString &value);
    void showBusy(bool busy);

    bool m_working = false; // OK is running: a second press waits its turn
};
