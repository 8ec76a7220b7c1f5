#pragma once

#include "ThresholdDialog.h"

// Changes the radio's SNR alarm threshold.
class SNRThresholdChanges : public ThresholdDialog
{
    Q_OBJECT
public:
    explicit SNRThresholdChanges(ThresholdLink link = {}, QWidget *parent = nullptr);
    static SNRThresholdChanges *showModeless(ThresholdLink link);

public slots:
    void Form_Load();
    void OK_Click() override;
};
