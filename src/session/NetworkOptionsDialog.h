#pragma once

#include "app/Records.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Edits the SNMP community strings. Any text, the empty one included, is
// saved and used: the default "public"/"private" applies only while the key
// is missing from the store.
class NetworkOptionsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit NetworkOptionsDialog(SessionSettings &settings, QWidget *parent = nullptr);

    // Opens the dialog modeless (raises the one already open).
    static NetworkOptionsDialog *showModeless(SessionSettings &settings);

    QLabel *SNMPReadComStrLabel = nullptr;
    QLineEdit *SNMPReadCommunityString = nullptr;
    QLabel *SNMPWriteComStrLabel = nullptr;
    QLineEdit *SNMPWriteCommunityString = nullptr;
    // Reveals the write community, which is masked as it is typed.
    QCheckBox *showWriteCommunity = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;

public slots:
    void Form_Load();
    void OKButton_Click();
    void CancelButton_Click();

private:
    void describeControls();
    void layOutControls();

    SessionSettings &m_settings;
};
