#pragma once

#include "ThresholdDialog.h"

// Changes the radio's RSSI alarm threshold.
class RSSIThresholdChanges : public ThresholdDialog
{
    Q_OBJECT
public:
    explicit RSSIThresholdChanges(ThresholdLink link = {}, QWidget *parent = nullptr);
    static RSSIThresholdChanges *showModeless(ThresholdLink link);

public slots:
    void Form_Load();
    void OK_Click() override;
};
