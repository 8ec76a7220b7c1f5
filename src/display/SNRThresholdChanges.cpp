#include "SNRThresholdChanges.h"

#include "ThresholdRules.h"
#include "app/OperatorMessages.h"
#include "app/Records.h"
#include "app/SingleWindow.h"
#include "app/StationWindows.h"
#include "monitor/KavomonitoringForm.h"
#include "snmp/VeltoStartRules.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>

namespace {

constexpr int kSnrThresholdEntry = 8;

void showRangeMessage()
{
    OperatorMessages::show(QStringLiteral("Error"), MessageIcon::Exclamation,
                           {QStringLiteral("Please enter a SNR threshold between 0 and 40.")});
}

} // namespace

SNRThresholdChanges::SNRThresholdChanges(QWidget *parent)
    : ThresholdDialog({"SNRThresholdChanges", QStringLiteral("Change the SNR Threshold"),
                       QStringLiteral("Current SNR Threshold:"), "CurSNRThreshLabel",
                       QStringLiteral("Enter new SNR Threshold:"), "SNRThresholdtxt",
                       QStringLiteral("dB")},
                      parent)
{
    Form_Load();
}

SNRThresholdChanges *SNRThresholdChanges::showModeless()
{
    static QPointer<SNRThresholdChanges> dialog;
    return showSingleWindow(dialog, [] { return new SNRThresholdChanges; });
}

void SNRThresholdChanges::Form_Load()
{
    currentValueLabel->setText(linkStatistics.snrThresholdText + QStringLiteral(" dB"));
}

void SNRThresholdChanges::OK_Click()
{
    if (m_working)
        return;
    const QString typed = thresholdBox->text();
    if (typed.isEmpty()) {
        showRangeMessage();
        return;
    }
    const std::optional<qint16> value = ThresholdRules::snrEntryValue(typed);
    if (!value) {
        showRangeMessage();
        thresholdBox->clear();
        thresholdBox->setFocus();
        return;
    }

    QPointer<SNRThresholdChanges> self(this);
    m_working = true;
    showBusy(true);
    const QString sent = QString::number(*value);
    const std::optional<QString> answer = writeToRadio(kSnrThresholdEntry, sent);
    if (answer && *answer != QLatin1String("ERROR")) {
        linkStatistics.snrThresholdText = sent;
        linkStatistics.snrThreshold = VeltoStartRules::snrThresholdFromText(sent);
        linkStatistics.snrThresholdBar =
            VeltoStartRules::snrThresholdBar(linkStatistics.snrThreshold);
        if (KavomonitoringForm *form = StationWindows::monitoringForm())
            form->UpdateColorBar(1);
    }
    if (!self)
        return;
    showBusy(false);
    m_working = false;
    close();
}
