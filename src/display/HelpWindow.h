#pragma once

#include <QWidget>

class QListWidget;
class QTextBrowser;

// Shows the help file's topics: a list of topics beside the text. The help
// file "KAVOCONNECTIVITYWINDOW.HLP" is an HTML document installed with the
// application; each <h2 id="..."> heading is one topic.
class HelpWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr const char *kHelpFileName = "KAVOCONNECTIVITYWINDOW.HLP";

    // Opens (or raises) the one help window on its list of topics.
    static HelpWindow *showTopics();

    // Where the help file is looked for: beside the program, then in the
    // installed data folder. Empty when it cannot be found.
    static QString helpFilePath();

private:
    explicit HelpWindow(QWidget *parent = nullptr);
    void load();
    void showTopic(int row);

    QListWidget *m_topics = nullptr;
    QTextBrowser *m_text = nullptr;
    QStringList m_anchors;
};
