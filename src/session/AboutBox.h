#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The three about boxes: one for the remote-selection dialog and one for each
// family's monitoring window. They differ in their object names and in the
// colon after "Version" of the Velto box.
class AboutBox : public QDialog
{
    Q_OBJECT
public:
    enum class Kind
    {
        Application,
        ArdixMonitoring,
        VeltoMonitoring
    };

    // Shows the box of this kind modeless (raises the one already open).
    static AboutBox *showBox(Kind kind);

    explicit AboutBox(Kind kind, QWidget *parent = nullptr);

    Kind kind() const { return m_kind; }
    QLabel *titleLabel = nullptr;       // appTitle, ArdixTitlelbl or lblTitle
    QLabel *versionLabel = nullptr;     // appVersion or lblVersion
    QLabel *descriptionLabel = nullptr; // appDescription or lblDescription
    QLabel *webAddressLabel = nullptr;
    QLabel *productIcon = nullptr;
    QPushButton *cmdOK = nullptr;

public slots:
    void Form_Load();
    void cmdOK_Click();

private:
    void layOutControls();

    Kind m_kind;
};
