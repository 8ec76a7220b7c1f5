#pragma once

#include "SnmpTestAgents.h"
#include "snmp/OidCatalogue.h"

#include <QHash>
#include <QSet>

// A Velto radio played by the scripted agent, by catalogue index: noSuchName
// for objects it does not have, no answer for silent ones; a SET stores its
// value and is answered with it.
struct SimulatedRadio
{
    QHash<int, QByteArray> values; // value TLVs by catalogue index
    QSet<int> silent;
    QHash<int, std::function<void()>> onRequest; // runs before the answer

    static int indexOf(const QString &oid)
    {
        for (int i = OidCatalogue::kFirstIndex; i <= OidCatalogue::kLastIndex; ++i) {
            if (LookupOid(i) == oid)
                return i;
        }
        return 0;
    }

    void serve(ScriptedAgent &agent)
    {
        agent.answer = [this](const SeenRequest &r) -> std::optional<ScriptedAnswer> {
            const int index = indexOf(r.oid);
            if (const auto hook = onRequest.value(index))
                hook();
            if (silent.contains(index))
                return std::nullopt;
            if (r.pduType == Ber::SetRequest)
                values[index] = Ber::tlv(r.valueType, r.valueContent);
            if (!values.contains(index))
                return ScriptedAnswer{Ber::tlv(Ber::Null, {}), 2};
            return ScriptedAnswer{values.value(index)};
        };
    }

    static QList<int> indexes(const QList<SeenRequest> &requests)
    {
        QList<int> result;
        for (const SeenRequest &r : requests)
            result << indexOf(r.oid);
        return result;
    }
};
