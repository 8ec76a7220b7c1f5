#include "SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QStringList>

namespace SettingsStore {

namespace {

// The file is plain INI text that an operator can read and edit: sections and
// keys exactly as named ("[GPS Options]", "Velto LogName=..."), every value the
// text as given. QSettings' own INI format would escape the spaces in names
// and decorate values that are not plain strings.
bool readPlainIni(QIODevice &device, QSettings::SettingsMap &map)
{
    QString section;
    while (!device.atEnd()) {
        QString line = QString::fromUtf8(device.readLine());
        while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2);
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0 || section.isEmpty())
            continue; // not a setting: ignored, so a damaged file still loads
        map.insert(section + QLatin1Char('/') + line.left(equals), line.mid(equals + 1));
    }
    return true;
}

bool writePlainIni(QIODevice &device, const QSettings::SettingsMap &map)
{
    QString currentSection;
    QByteArray out;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const qsizetype slash = it.key().indexOf(QLatin1Char('/'));
        const QString section = it.key().left(slash);
        if (out.isEmpty() || section != currentSection) {
            if (!out.isEmpty())
                out += '\n';
            out += '[' + section.toUtf8() + "]\n";
            currentSection = section;
        }
        out += it.key().mid(slash + 1).toUtf8() + '=' + it.value().toString().toUtf8() + '\n';
    }
    return device.write(out) == out.size();
}

// The station's INI file, opened afresh for every access so that a value
// written by one window is seen at once by every other.
class StoreFile : public QSettings
{
public:
    StoreFile()
        : QSettings(SettingsStore::format(), QSettings::UserScope,
                    QString::fromUtf16(kApplicationName), QString::fromUtf16(kApplicationName))
    {}
};

// The store holds the SNMP community strings, with which the radio can be
// reconfigured: only its owner may read it. QSettings replaces the file on
// each write and gives the new one the old one's mode, so the mode is set on
// the file before the write; a missing file is made empty first.
void keepOwnerOnly(const QString &path)
{
    constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    const QFileInfo info(path);
    if (info.isFile()) {
        QFile::setPermissions(path, ownerOnly);
    } else if (!info.exists() && QDir().mkpath(info.absolutePath())) {
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::NewOnly, ownerOnly);
    }
}

} // namespace

QSettings::Format format()
{
    static const QSettings::Format plainIni =
        QSettings::registerFormat(QStringLiteral("ini"), readPlainIni, writePlainIni);
    return plainIni;
}

QString read(const QString &section, const QString &key, const QString &defaultValue)
{
    StoreFile settings;
    settings.beginGroup(section);
    if (!settings.contains(key))
        return defaultValue;
    return settings.value(key).toString();
}

void write(const QString &section, const QString &key, const QString &value)
{
    // A line end inside a value would split the setting: it becomes a space.
    QString text = value;
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    StoreFile settings;
    keepOwnerOnly(settings.fileName());
    settings.beginGroup(section);
    settings.setValue(key, text);
    settings.endGroup();
    settings.sync();
}

QString filePath()
{
    return StoreFile().fileName();
}

} // namespace SettingsStore
