#pragma once

#include <QDialog>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

// What a threshold dialog needs from the monitoring run: the write of a value
// to the radio (the radio's answer, or nullopt when nothing was sent) and the
// keeping of a value the radio accepted (the records and the scales). An
// empty write sends nothing. The current value is the radio's threshold text
// as last read, shown when the dialog loads.
struct ThresholdLink
{
    std::function<std::optional<QString>(const QString &value)> write;
    std::function<void(const QString &value)> accepted;
    QString currentValue;
};

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

    // A dialog already open takes the link of its latest opening.
    void setLink(ThresholdLink link) { m_link = std::move(link); }

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
    ThresholdDialog(const Texts &texts, ThresholdLink link, QWidget *parent);

    // Writes the value to the radio and has it kept when `accepts` takes the
    // radio's answer. The dialog may have been closed meanwhile: callers hold
    // a QPointer.
    void writeToRadio(const QString &value, bool (*accepts)(const QString &answer));
    void showBusy(bool busy);

    const QString &currentValue() const { return m_link.currentValue; }

    bool m_working = false; // OK is running: a second press waits its turn

private:
    void layOutControls();

    ThresholdLink m_link;
};
