#pragma once

#include "app/FastReadingPacer.h"
#include "app/Records.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

class SnmpClient;

// Extra RSSI and SNR readings for the alignment view, between the regular
// polls. It has its own SNMP session and request flags, so its requests
// neither count towards the poll's time-outs nor make the poll wait: the
// poll abandons a reading that is still out when it begins. One reading (an
// RSSI then an SNR request) at a time, paced by FastReadingPacer; a reading
// only starts while the owner's gate allows it (associated, no poll or other
// request running).
class VeltoFastReader : public QObject
{
    Q_OBJECT
public:
    VeltoFastReader(const SessionSettings &settings, std::function<bool()> gate,
                    QObject *parent = nullptr);
    ~VeltoFastReader() override;

    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }
    bool reading() const { return m_pacer.outstanding(); }
    // Ends the reading that is out without an answer.
    void abandon();

signals:
    void signalRead(double rssiDbm, double snrDb);

private:
    enum class Outcome
    {
        Answered,
        Failed,
        Abandoned
    };
    void tick();
    Outcome read(int index, QString &answer);
    void scheduleNext();

    const SessionSettings &m_settings;
    std::function<bool()> m_gate;
    MonitorState m_requestState; // this reader's own request flags
    QTimer m_timeoutTimer;
    QTimer m_tickTimer;
    QElapsedTimer m_clock;
    FastReadingPacer m_pacer;
    std::unique_ptr<SnmpClient> m_snmp;
    bool m_enabled = false;
};
