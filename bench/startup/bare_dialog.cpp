// The anchor for the station's start-up time: a Qt program that shows one
// small dialog of a label, a list and two buttons and nothing else.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Bare Dialog"));
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Choose one:")));
    auto *list = new QListWidget;
    list->addItems({QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")});
    layout->addWidget(list);
    auto *ok = new QPushButton(QStringLiteral("OK"));
    ok->setDefault(true);
    layout->addWidget(ok);
    layout->addWidget(new QPushButton(QStringLiteral("Cancel")));
    dialog.show();
    return QApplication::exec();
}
