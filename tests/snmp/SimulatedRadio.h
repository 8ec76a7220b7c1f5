#pragma once

#include "SnmpTestAgents.h"
#include "snmp/OidCatalogue.h"

#include <QHash>
#include <QSet>

// A Velto radio played by the scripted agent: answers by catalogue index,
// noSuchName for objects it does not have, nothing for silent ones; a SET
// stores its value and is answered with it.
struct SimulatedRadio
{
    QHash<int, QByteArray> values; // value TLVs by catalogue index
    QSet<int> silent;
    // Runs when a request for this index arrives, before it is answered.
    QHash<int, std::function<void()>> onRequest;

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
                return ScriptedAnswer{Ber::tlv(Ber::Null, {}), 2, 1};
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
