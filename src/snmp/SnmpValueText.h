#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVector>
#include <QtGlobal>
#include <optional>

struct variable_list; // net-snmp's variable binding

// How the station turns SNMP values into text and back. Every answer reaches
// its caller as text:
// - OCTET STRING: one character per octet, octets read as Latin-1, zero
//   octets kept (an access point's address arrives this way);
// - OBJECT IDENTIFIER: its dotted text;
// - any other syntax (INTEGER, Counter32, Gauge32, TimeTicks, NULL and the
//   exception values): the 32-bit value printed as a signed decimal, so a
//   counter at 2^31 or above reads negative and NULL reads "0".
namespace SnmpValueText {

// Text of one binding's value; "0" when there is no binding.
QString fromBinding(const variable_list *binding);

// Sub-identifiers of a dotted OID text ("1.3.6.1.2.1"); nullopt when the
// text is not a plain dotted OID of at least two numbers.
std::optional<QVector<quint32>> parseOid(const QString &dotted);

// What a SET carries for a value given as a number or a text.
struct SetValue
{
    enum class Syntax
    {
        Integer,
        OctetString
    };
    Syntax syntax = Syntax::OctetString;
    qint32 integer = 0;
    QByteArray octets;

    bool operator==(const SetValue &) const = default;
};

// A number, or a text that reads as one, goes out as an INTEGER (rounded to
// the nearest integer, halves to even); any other value as an OCTET STRING of
// its Latin-1 text (an empty text gives a zero-length string). nullopt for a
// number outside the signed 32-bit range, which cannot be sent.
std::optional<SetValue> setValueFor(const QVariant &value);

} // namespace SnmpValueText
