#include "RssiThresholdDialog.h"

#include "app/OperatorMessages.h"
#include "app/Records.h"
#include "app/ThresholdRules.h"
#include "display/SingleWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>

RssiThresholdDialog::RssiThresholdDialog(ThresholdLink link, QWidget *parent)
    : ThresholdDialog({"RSSIThresholdChanges", QStringLiteral("Change the RSSI Threshold"),
                       QStringLiteral("Current RSSI Threshold:"), "CurRSSIThreshLabel",
                       QStringLiteral("Enter new RSSI Threshold:"), "RSSIThresholdtxt",
                       QStringLiteral("dBm")},
                      std::move(link), parent)
{
    Form_Load();
}

RssiThresholdDialog *RssiThresholdDialog::showModeless(ThresholdLink link)
{
    RssiThresholdDialog *shown =
        showSingleWindow<RssiThresholdDialog>([&link] { return new RssiThresholdDialog(link); });
    shown->setLink(std::move(link));
    return shown;
}

void RssiThresholdDialog::Form_Load()
{
    // Exactly one minus sign in front, whatever the radio answered.
    QString value = currentValue();
    while (value.startsWith(QLatin1Char('-')))
        value.remove(0, 1);
    currentValueLabel->setText(QLatin1Char('-') + value + QStringLiteral(" dBm"));
}

void RssiThresholdDialog::OK_Click()
{
    if (m_working)
        return;
    const QString typed = thresholdBox->text();
    if (!ThresholdRules::isValidRssiEntry(typed)) {
        OperatorMessages::show(QStringLiteral("Error"), MessageIcon::Exclamation,
                               {QStringLiteral("Please enter a RSSI Threshold between -120 and 0."),
                                QStringLiteral("Include the negative sign for negative numbers.")});
        thresholdBox->clear();
        return;
    }

    QPointer<RssiThresholdDialog> self(this);
    m_working = true;
    showBusy(true);
    writeToRadio(typed, ThresholdRules::radioAcceptedRssi);
    if (!self)
        return;
    showBusy(false);
    m_working = false;
    close();
}

#include "moc_RssiThresholdDialog.cpp"
