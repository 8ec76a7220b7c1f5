#include "ThresholdDialog.h"

#include "display/DesignedControl.h"
#include "display/StationIcons.h"
#include "display/Twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

ThresholdDialog::ThresholdDialog(const Texts &texts, ThresholdLink link, QWidget *parent)
    : QDialog(parent), m_link(std::move(link))
{
    setObjectName(QLatin1String(texts.objectName));
    setWindowTitle(texts.caption);
    setWindowIcon(StationIcons::product());
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(Twips::toPixels(4600), Twips::toPixels(1900));

    auto label = [this](const char *name, const QString &text, QRect rect) {
        return placeControl(this, new QLabel(text), name, rect);
    };
    CurLabel = label("CurLabel", texts.currentCaption, Twips::rect(120, 150, 2500, 255));
    currentValueLabel = label(texts.currentValueName, QString(), Twips::rect(2700, 150, 1700, 255));
    NewLabel = label("NewLabel", texts.newCaption, Twips::rect(120, 600, 2500, 255));
    thresholdBox = new QLineEdit(this);
    thresholdBox->setObjectName(QLatin1String(texts.boxName));
    thresholdBox->setGeometry(Twips::rect(2700, 560, 1000, 315));
    dBmLabel = label("dBmLabel", texts.unit, Twips::rect(3780, 600, 600, 255));

    OK = new QPushButton(QStringLiteral("OK"), this);
    OK->setObjectName(QStringLiteral("OK"));
    OK->setGeometry(Twips::rect(1800, 1200, 1200, 375));
    OK->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setGeometry(Twips::rect(3180, 1200, 1200, 375));
    CancelButton->setAutoDefault(false);

    connect(OK, &QPushButton::clicked, this, [this] { OK_Click(); });
    connect(CancelButton, &QPushButton::clicked, this, &ThresholdDialog::CancelButton_Click);
}

void ThresholdDialog::CancelButton_Click()
{
    close();
}

void ThresholdDialog::showBusy(bool busy)
{
    if (busy)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
    OK->setEnabled(!busy);
}

void ThresholdDialog::writeToRadio(const QString &value, bool (*accepts)(const QString &answer))
{
    // The link outlives a close of the dialog while the radio answers.
    const ThresholdLink link = m_link;
    if (!link.write)
        return;
    const std::optional<QString> answer = link.write(value);
    if (answer && accepts(*answer) && link.accepted)
        link.accepted(value);
}
