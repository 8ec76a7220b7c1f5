#pragma once

#include "ThresholdDialog.h"

// Changes the radio's SNR alarm threshold (catalogue entry 8).
class SNRThresholdChanges : public ThresholdDialog
{
    Q_OBJECT
public:
    explicit SNRThresholdChanges(QWidget *parent = nullptr);
    static SNRThresholdChanges *showModeless();

public slots:
    void Form_Load();
    void OK_Click() override;
};
