#pragma once

#include "ThresholdDialog.h"

// Changes the radio's SNR alarm threshold.
class SnrThresholdDialog : public ThresholdDialog
{
    Q_OBJECT
public:
    explicit SnrThresholdDialog(ThresholdLink link = {}, QWidget *parent = nullptr);
    static SnrThresholdDialog *showModeless(ThresholdLink link);

public slots:
    void Form_Load();
    void OK_Click() override;
};
