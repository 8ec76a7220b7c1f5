#include "SnmpValueText.h"

#include "app/Numeric.h"

#include <limits>
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

namespace SnmpValueText {

QString fromBinding(const variable_list *binding)
{
    if (!binding)
        return QStringLiteral("0");
    switch (binding->type) {
    case ASN_OCTET_STR:
        if (!binding->val.string)
            return QString();
        return QString::fromLatin1(reinterpret_cast<const char *>(binding->val.string),
                                   static_cast<qsizetype>(binding->val_len));
    case ASN_OBJECT_ID: {
        // val_len counts bytes, not sub-identifiers.
        const size_t count = binding->val.objid ? binding->val_len / sizeof(oid) : 0;
        QStringList parts;
        parts.reserve(static_cast<qsizetype>(count));
        for (size_t i = 0; i < count; ++i)
            parts << QString::number(binding->val.objid[i]);
        return parts.join(QLatin1Char('.'));
    }
    case ASN_INTEGER:
    case ASN_COUNTER:
    case ASN_GAUGE:
    case ASN_TIMETICKS:
    case ASN_UINTEGER:
        if (!binding->val.integer)
            return QStringLiteral("0");
        // The agent's value is 32 bits wide; the library widens it to a long.
        return QString::number(static_cast<qint32>(static_cast<quint32>(*binding->val.integer)));
    case ASN_COUNTER64:
        if (!binding->val.counter64)
            return QStringLiteral("0");
        return QString::number(
            static_cast<qint32>(static_cast<quint32>(binding->val.counter64->low)));
    default:
        // NULL, noSuchObject, noSuchInstance, endOfMibView and the syntaxes
        // kept as octets (IpAddress, Opaque) carry no 32-bit number.
        return QStringLiteral("0");
    }
}

std::optional<QVector<quint32>> parseOid(const QString &dotted)
{
    // One pass over the characters: every poll request goes through here.
    QVector<quint32> result;
    result.reserve(MAX_OID_LEN);
    quint64 value = 0;
    bool inNumber = false;
    for (const QChar c : dotted) {
        if (c == u'.') {
            if (!inNumber || result.size() == MAX_OID_LEN)
                return std::nullopt;
            result << static_cast<quint32>(value);
            value = 0;
            inNumber = false;
        } else if (c >= u'0' && c <= u'9') {
            value = value * 10 + (c.unicode() - u'0');
            if (value > std::numeric_limits<quint32>::max())
                return std::nullopt;
            inNumber = true;
        } else {
            return std::nullopt;
        }
    }
    if (!inNumber || result.size() == MAX_OID_LEN)
        return std::nullopt;
    result << static_cast<quint32>(value);
    if (result.size() < 2)
        return std::nullopt;
    return result;
}

namespace {

bool isNumericType(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

} // namespace

std::optional<SetValue> setValueFor(const QVariant &value)
{
    SetValue result;
    double number = 0;
    bool numeric = false;
    if (isNumericType(value)) {
        number = value.toDouble();
        numeric = true;
    } else {
        const QString text = value.toString();
        if (Numeric::isNumber(text)) {
            number = Numeric::leadingNumber(text);
            numeric = true;
        } else {
            result.octets = text.toLatin1();
        }
    }
    if (numeric) {
        const std::optional<qint32> integer = Numeric::toInt32(number);
        if (!integer)
            return std::nullopt;
        result.syntax = SetValue::Syntax::Integer;
        result.integer = *integer;
    }
    return result;
}

} // namespace SnmpValueText
