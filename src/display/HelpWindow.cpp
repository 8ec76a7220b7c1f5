#include "HelpWindow.h"

#include "SingleWindow.h"
#include "StationIcons.h"
#include "WindowFit.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QListWidget>
#include <QRegularExpression>
#include <QScreen>
#include <QTextBrowser>

HelpWindow::HelpWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(tr("Kavo Connectivity Window Help"));
    setWindowIcon(StationIcons::product());
    setAttribute(Qt::WA_DeleteOnClose);
    // The designed size, within the screen when a large scale would push it off.
    resize(QSize(820, 560).boundedTo(screen()->availableSize()));

    m_topics = new QListWidget(this);
    m_topics->setObjectName(QStringLiteral("helpTopicList"));
    // The list is as wide as its longest title at any font, the text takes the rest.
    m_topics->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    m_topics->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_topics->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    m_text = new QTextBrowser(this);
    m_text->setObjectName(QStringLiteral("helpText"));
    m_text->setOpenExternalLinks(false);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_topics);
    layout->addWidget(m_text, 1);

    WindowFit::describe(m_topics, tr("Help topics"), tr("Choose a topic to show its text"));
    WindowFit::describe(m_text, tr("Help text"));
    WindowFit::addCloseKeys(this);
    connect(m_topics, &QListWidget::currentRowChanged, this, &HelpWindow::showTopic);
    load();
}

HelpWindow *HelpWindow::showTopics()
{
    return showSingleWindow<HelpWindow>([] { return new HelpWindow; });
}

QString HelpWindow::helpFilePath()
{
    const QString dir = QCoreApplication::applicationDirPath();
    const QStringList candidates = {
        dir + QLatin1Char('/') + QLatin1String(kHelpFileName),
        dir + QLatin1String("/../share/kavo-station/") + QLatin1String(kHelpFileName),
    };
    for (const QString &candidate : candidates) {
        if (QFile::exists(candidate))
            return QDir::cleanPath(candidate);
    }
    return {};
}

void HelpWindow::load()
{
    QFile file(helpFilePath());
    if (!file.open(QIODevice::ReadOnly)) {
        m_text->setPlainText(
            tr("The help file %1 could not be found.").arg(QLatin1String(kHelpFileName)));
        return;
    }
    const QString html = QString::fromUtf8(file.readAll());
    m_text->setHtml(html);

    static const QRegularExpression heading(QStringLiteral("<h2 id=\"([^\"]+)\">(.*?)</h2>"),
                                            QRegularExpression::DotMatchesEverythingOption);
    for (auto it = heading.globalMatch(html); it.hasNext();) {
        const auto match = it.next();
        m_anchors << match.captured(1);
        QString title = match.captured(2);
        title.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
        m_topics->addItem(title.trimmed());
    }
}

void HelpWindow::showTopic(int row)
{
    if (row >= 0 && row < m_anchors.size())
        m_text->scrollToAnchor(m_anchors.at(row));
}

#include "moc_HelpWindow.cpp"
