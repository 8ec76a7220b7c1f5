#include "StoredSession.h"

#include "app/Numeric.h"
#include "app/SettingsStore.h"

namespace StoredSession {

namespace {
const QString kCountKey = QStringLiteral("NumberOfIPAddressed");
const QString kAddIpAddress = QStringLiteral("Add IP Address");
} // namespace

qint32 portFromText(const QString &text)
{
    return Numeric::toInt32(Numeric::leadingNumber(text)).value_or(0);
}

bool isValidDestPort(qint32 port)
{
    return port >= kLowestDestPort && port <= kHighestDestPort;
}

bool isWellFormedAddress(const QString &address)
{
    for (const QChar c : address) {
        if (!(c == u'.' || (c >= u'0' && c <= u'9')))
            return false;
    }
    return true;
}

QStringList loadAddressList()
{
    // One reading of the file for the whole list: read key by key, the file
    // was parsed afresh for every entry, a time growing with the list's square.
    const QMap<QString, QString> stored =
        SettingsStore::readSection(QString::fromUtf16(SettingsStore::kPreferences));
    QStringList entries;
    if (stored.value(kCountKey).isEmpty()) {
        SettingsStore::writePreference(kCountKey, QStringLiteral("1"));
        SettingsStore::writePreference(QStringLiteral("1"), kAddIpAddress);
        entries << kAddIpAddress;
        return entries;
    }
    const double count = Numeric::leadingNumber(stored.value(kCountKey));
    for (int i = 1; i <= kMaxAddressEntries; ++i) {
        if (i > count)
            break;
        entries << stored.value(QString::number(i));
    }
    return entries;
}

void appendAddress(const QString &address)
{
    const std::optional<qint32> count =
        Numeric::toInt32(Numeric::leadingNumber(SettingsStore::readPreference(kCountKey)));
    // A full list, or a count that is no count of this list, takes no more
    // entries: one beyond the list would never be offered again.
    if (!count || *count < 0 || *count >= kMaxAddressEntries)
        return;
    const qint32 next = *count + 1;
    SettingsStore::writePreference(kCountKey, QString::number(next));
    SettingsStore::writePreference(QString::number(next), address);
}

void firstUseOfFamilyForLogging(const QString &choice)
{
    if (choice != QLatin1String("Ardix") && choice != QLatin1String("Velto"))
        return;
    const QString key = choice + QLatin1String(" LogName");
    if (!SettingsStore::readPreference(key).isEmpty())
        return;
    SettingsStore::writePreference(QStringLiteral("logEnabledValue"), QStringLiteral("True"));
    SettingsStore::writePreference(key, choice + QLatin1String("Monitoring_Log.txt"));
}

bool storedLoggingEnabled()
{
    return SettingsStore::readPreference(QStringLiteral("logEnabledValue")) ==
           QLatin1String("True");
}

} // namespace StoredSession
