#include "GPSOptionsForm.h"

GPSOptionsForm::GPSOptionsForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("GPSOptionsForm"));
    setWindowTitle(QStringLiteral("GPS Options"));
    setAttribute(Qt::WA_DeleteOnClose);
}

GPSOptionsForm *GPSOptionsForm::showModeless()
{
    auto *form = new GPSOptionsForm;
    form->show();
    return form;
}
