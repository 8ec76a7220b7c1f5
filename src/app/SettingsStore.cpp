#include "SettingsStore.h"

#include <QSettings>
#include <QStringList>

namespace SettingsStore {

namespace {

// The station's INI file, opened afresh for every access so that a value
// written by one window is seen at once by every other.
class StoreFile : public QSettings
{
public:
    StoreFile()
        : QSettings(QSettings::IniFormat, QSettings::UserScope,
                    QString::fromUtf16(kApplicationName), QString::fromUtf16(kApplicationName))
    {}
};

} // namespace

QString read(const QString &section, const QString &key, const QString &defaultValue)
{
    StoreFile settings;
    settings.beginGroup(section);
    if (!settings.contains(key))
        return defaultValue;
    const QVariant value = settings.value(key);
    // A hand-edited value with an unquoted comma comes back as a list; the
    // store only ever deals in text, so give it back as written.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void write(const QString &section, const QString &key, const QString &value)
{
    StoreFile settings;
    settings.beginGroup(section);
    settings.setValue(key, value);
    settings.endGroup();
    settings.sync();
}

QString filePath()
{
    return StoreFile().fileName();
}

} // namespace SettingsStore
