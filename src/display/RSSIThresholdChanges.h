#pragma once

#include "ThresholdDialog.h"

// Changes the radio's RSSI alarm threshold (catalogue entry 7).
class RSSIThresholdChanges : public ThresholdDialog
{
    Q_OBJECT
public:
    explicit RSSIThresholdChanges(QWidget *parent = nullptr);
    static RSSIThresholdChanges *showModeless();

public slots:
    void Form_Load();
    void OK_Click() override;
};
