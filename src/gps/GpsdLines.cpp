#include "GpsdLines.h"

#include <QList>

namespace GpsdLines {

namespace {
// Reports about many satellites or devices run to a few kilobytes; a receiver
// sentence is at most 82 characters.
constexpr qsizetype kLongestLine = 16384;
} // namespace

QByteArray watchRequest()
{
    return QByteArrayLiteral("?WATCH={\"enable\":true,\"nmea\":true}\n");
}

QString takeSentences(QByteArray &pending)
{
    const qsizetype end = pending.lastIndexOf('\n');
    if (end < 0) {
        if (pending.size() > kLongestLine)
            pending.clear();
        return {};
    }
    const QByteArray complete = pending.left(end);
    pending.remove(0, end + 1);
    QString sentences;
    for (QByteArray line : complete.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('$') || line.startsWith('!'))
            sentences += QString::fromLatin1(line) + QStringLiteral("\r\n");
    }
    return sentences;
}

} // namespace GpsdLines
