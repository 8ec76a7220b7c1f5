#include "OidCatalogue.h"

#include <array>

QString LookupOid(qint32 index)
{
    static constexpr std::array<const char *, OidCatalogue::kLastIndex> kOids = {
        "1.3.6.1.2.1.2.2.1.16.3",           "1.3.6.1.2.1.2.2.1.10.3",
        "1.3.6.1.4.1.4130.5.2.4.0",         "1.3.6.1.4.1.4130.5.4.1.8.0",
        "1.3.6.1.4.1.4130.5.4.1.11.0",      "1.3.6.1.4.1.4130.2.1.1.2.1.1.0",
        "1.3.6.1.4.1.4130.2.1.1.2.2.4.0",   "1.3.6.1.4.1.4130.2.1.1.2.2.5.0",
        "1.3.6.1.4.1.4130.2.1.1.3.2.4.0",   "1.3.6.1.4.1.4130.2.1.1.3.2.5.0",
        "1.3.6.1.4.1.4130.2.1.1.3.2.6.0",   "1.3.6.1.4.1.4130.2.1.1.3.2.7.1.0",
        "1.3.6.1.4.1.4130.2.1.1.3.2.7.3.0", "1.3.6.1.4.1.4130.2.1.1.8.5.1.0",
    };
    if (index < OidCatalogue::kFirstIndex || index > OidCatalogue::kLastIndex)
        return QString::fromLatin1(OidCatalogue::kInvalidOid);
    return QString::fromLatin1(kOids[static_cast<size_t>(index - OidCatalogue::kFirstIndex)]);
}
