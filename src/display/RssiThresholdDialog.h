#pragma once

#include "ThresholdDialog.h"

// Changes the radio's RSSI alarm threshold.
class RssiThresholdDialog : public ThresholdDialog
{
    Q_OBJECT
public:
    explicit RssiThresholdDialog(ThresholdLink link = {}, QWidget *parent = nullptr);
    static RssiThresholdDialog *showModeless(ThresholdLink link);

public slots:
    void Form_Load();
    void OK_Click() override;
};
