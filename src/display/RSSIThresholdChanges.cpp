#include "RSSIThresholdChanges.h"

#include "ThresholdRules.h"
#include "app/OperatorMessages.h"
#include "app/Records.h"
#include "app/SingleWindow.h"
#include "app/StationWindows.h"
#include "monitor/KavomonitoringForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>

namespace {
constexpr int kRssiThresholdEntry = 7;
}

RSSIThresholdChanges::RSSIThresholdChanges(QWidget *parent)
    : ThresholdDialog({"RSSIThresholdChanges", QStringLiteral("Change the RSSI Threshold"),
                       QStringLiteral("Current RSSI Threshold:"), "CurRSSIThreshLabel",
                       QStringLiteral("Enter new RSSI Threshold:"), "RSSIThresholdtxt",
                       QStringLiteral("dBm")},
                      parent)
{
    Form_Load();
}

RSSIThresholdChanges *RSSIThresholdChanges::showModeless()
{
    static QPointer<RSSIThresholdChanges> dialog;
    return showSingleWindow(dialog, [] { return new RSSIThresholdChanges; });
}

void RSSIThresholdChanges::Form_Load()
{
    // Exactly one minus sign in front, whatever the radio answered.
    QString value = linkStatistics.rssiThresholdText;
    while (value.startsWith(QLatin1Char('-')))
        value.remove(0, 1);
    currentValueLabel->setText(QLatin1Char('-') + value + QStringLiteral(" dBm"));
}

void RSSIThresholdChanges::OK_Click()
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

    QPointer<RSSIThresholdChanges> self(this);
    m_working = true;
    showBusy(true);
    const std::optional<QString> answer = writeToRadio(kRssiThresholdEntry, typed);
    if (answer && ThresholdRules::radioAcceptedRssi(*answer)) {
        linkStatistics.rssiThresholdText = typed;
        linkStatistics.rssiThreshold = ThresholdRules::rssiThresholdFromEntry(typed);
        if (KavomonitoringForm *form = StationWindows::monitoringForm())
            form->UpdateColorBar(0);
    }
    if (!self)
        return;
    showBusy(false);
    m_working = false;
    close();
}
