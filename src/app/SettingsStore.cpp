#include "SettingsStore.h"

#include "OperatorMessages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QPointer>
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

// The folder QSettings keeps this user's files of the store's format in,
// found through the organisation-wide file beside the station's own folder,
// which QSettings reads as a fallback of the station's file anyway.
QString userFolder()
{
    const QSettings organisationWide(SettingsStore::format(), QSettings::UserScope,
                                     QString::fromUtf16(kApplicationName));
    return QFileInfo(organisationWide.fileName()).path();
}

// QSettings keeps its parsed copy of a file only while an object uses it (it
// caches small files alone), so a long store was parsed again for every key.
// One object kept on the current file keeps that copy; QSettings still reads
// the file again whenever its size or time on disk change.
void keepParsedCopy(const QString &path)
{
    static QPointer<QSettings> kept;
    if (kept && kept->fileName() == path)
        return;
    delete kept;
    kept = new StoreFile;
    kept->setParent(QCoreApplication::instance()); // gone before Qt's own statics
}

// A FIFO, a device or a folder where the file belongs: QSettings would wait
// on it for good or read it without end, so it is neither read nor written.
// The operator is told once for each such file.
bool storeUsable()
{
    const QString path = filePath();
    const QFileInfo info(path);
    if (!info.exists() || info.isFile()) {
        keepParsedCopy(path);
        return true;
    }
    static QString told;
    if (told != path) {
        told = path;
        OperatorMessages::show(
            QStringLiteral("Error"), MessageIcon::Exclamation,
            {QStringLiteral("Unable to read/write to settings file because it is not a file."),
             QStringLiteral("Default settings will be used and none will be saved.")});
    }
    return false;
}

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
    if (!storeUsable())
        return defaultValue;
    StoreFile settings;
    settings.beginGroup(section);
    if (!settings.contains(key))
        return defaultValue;
    return settings.value(key).toString();
}

void write(const QString &section, const QString &key, const QString &value)
{
    if (!storeUsable())
        return;
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

QMap<QString, QString> readSection(const QString &section)
{
    QMap<QString, QString> values;
    if (!storeUsable())
        return values;
    StoreFile settings;
    settings.beginGroup(section);
    const QStringList keys = settings.childKeys();
    for (const QString &key : keys)
        values.insert(key, settings.value(key).toString());
    return values;
}

QString filePath()
{
    // Not through a StoreFile: constructing one already opens the file.
    const QString name = QString::fromUtf16(kApplicationName);
    return userFolder() + QLatin1Char('/') + name + QLatin1Char('/') + name + QLatin1String(".ini");
}

} // namespace SettingsStore
