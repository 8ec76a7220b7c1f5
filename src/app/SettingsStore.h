#pragma once

#include <QMap>
#include <QSettings>
#include <QString>

// The per-user settings store: an INI file kept through QSettings for the
// organisation and application "Kavo Connectivity Window"
// ($XDG_CONFIG_HOME/Kavo Connectivity Window/Kavo Connectivity Window.ini,
// ~/.config by default). Every value is text, written and
// read exactly as given ("True"/"False", plain decimal numbers). Each write is
// flushed to disk at once, so a setting survives an immediate termination.
// The store never reports failure: a missing key, or an unreadable file, reads
// as the default. Only a path that holds no file at all (a folder, a FIFO, a
// device) is told to the operator, once; such a path is never written.
namespace SettingsStore {

inline constexpr char16_t kApplicationName[] = u"Kavo Connectivity Window";
inline constexpr char16_t kPreferences[] = u"Preferences";
inline constexpr char16_t kGpsOptions[] = u"GPS Options";

QString read(const QString &section, const QString &key, const QString &defaultValue = {});
void write(const QString &section, const QString &key, const QString &value);

// Every key of a section with its value, from one reading of the file: for
// callers that read many keys at once.
QMap<QString, QString> readSection(const QString &section);

// Shorthands for the "Preferences" section, where most keys live.
inline QString readPreference(const QString &key, const QString &defaultValue = {})
{
    return read(QString::fromUtf16(kPreferences), key, defaultValue);
}
inline void writePreference(const QString &key, const QString &value)
{
    write(QString::fromUtf16(kPreferences), key, value);
}

// "True" or "False", the store's Boolean texts.
inline QString booleanText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

// Full path of the INI file, for the operator's documentation and for tests.
QString filePath();

// The file format of the store, for QSettings::setPath (tests keep a store of
// their own in a temporary folder).
QSettings::Format format();

} // namespace SettingsStore
