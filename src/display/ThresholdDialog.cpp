#include "ThresholdDialog.h"

#include "display/StationIcons.h"
#include "display/Twips.h"
#include "display/WindowFit.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

using WindowFit::named;

ThresholdDialog::ThresholdDialog(const Texts &texts, ThresholdLink link, QWidget *parent)
    : QDialog(parent), m_link(std::move(link))
{
    setObjectName(QLatin1String(texts.objectName));
    setWindowTitle(texts.caption);
    setWindowIcon(StationIcons::product());
    setAttribute(Qt::WA_DeleteOnClose);

    CurLabel = named(new QLabel(texts.currentCaption), "CurLabel");
    currentValueLabel = named(new QLabel, texts.currentValueName);
    NewLabel = named(new QLabel(texts.newCaption), "NewLabel");
    thresholdBox = named(new QLineEdit, texts.boxName);
    NewLabel->setBuddy(thresholdBox);
    dBmLabel = named(new QLabel(texts.unit), "dBmLabel");
    OK = named(new QPushButton(QStringLiteral("OK")), "OK");
    OK->setDefault(true);
    CancelButton = named(new QPushButton(QStringLiteral("Cancel")), "CancelButton");
    CancelButton->setAutoDefault(false);

    WindowFit::describe(currentValueLabel, texts.currentCaption);
    WindowFit::describe(thresholdBox, texts.newCaption, tr("New threshold in %1").arg(texts.unit));
    WindowFit::describe(OK, OK->text(), tr("Send the new threshold to the radio"));
    WindowFit::describe(CancelButton, CancelButton->text(), tr("Close without a change"));
    layOutControls();
    WindowFit::addCloseKeys(this);

    connect(OK, &QPushButton::clicked, this, [this] { OK_Click(); });
    connect(CancelButton, &QPushButton::clicked, this, &ThresholdDialog::CancelButton_Click);
}

void ThresholdDialog::layOutControls()
{
    auto *grid = new QGridLayout(this);
    grid->addWidget(CurLabel, 0, 0);
    grid->addWidget(currentValueLabel, 0, 1, 1, 2);
    grid->addWidget(NewLabel, 1, 0);
    grid->addWidget(thresholdBox, 1, 1);
    grid->addWidget(dBmLabel, 1, 2);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OK);
    buttons->addWidget(CancelButton);
    grid->addLayout(buttons, 3, 0, 1, 3);
    WindowFit::fitDesigned(this, {Twips::toPixels(4600), Twips::toPixels(1900)});
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

#include "moc_ThresholdDialog.cpp"
