#include "SnrThresholdDialog.h"

#include "app/OperatorMessages.h"
#include "app/Records.h"
#include "app/ThresholdRules.h"
#include "display/SingleWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>

namespace {

void showRangeMessage()
{
    OperatorMessages::show(QStringLiteral("Error"), MessageIcon::Exclamation,
                           {QStringLiteral("Please enter a SNR threshold between 0 and 40.")});
}

bool radioAnswered(const QString &answer)
{
    return answer != QLatin1String("ERROR");
}

} // namespace

SnrThresholdDialog::SnrThresholdDialog(ThresholdLink link, QWidget *parent)
    : ThresholdDialog({"SNRThresholdChanges", QStringLiteral("Change the SNR Threshold"),
                       QStringLiteral("Current SNR Threshold:"), "CurSNRThreshLabel",
                       QStringLiteral("Enter new SNR Threshold:"), "SNRThresholdtxt",
                       QStringLiteral("dB")},
                      std::move(link), parent)
{
    Form_Load();
}

SnrThresholdDialog *SnrThresholdDialog::showModeless(ThresholdLink link)
{
    SnrThresholdDialog *shown =
        showSingleWindow<SnrThresholdDialog>([&link] { return new SnrThresholdDialog(link); });
    shown->setLink(std::move(link));
    return shown;
}

void SnrThresholdDialog::Form_Load()
{
    currentValueLabel->setText(currentValue() + QStringLiteral(" dB"));
}

void SnrThresholdDialog::OK_Click()
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

    QPointer<SnrThresholdDialog> self(this);
    m_working = true;
    showBusy(true);
    writeToRadio(QString::number(*value), radioAnswered);
    if (!self)
        return;
    showBusy(false);
    m_working = false;
    close();
}

#include "moc_SnrThresholdDialog.cpp"
