#pragma once

#include <QByteArray>
#include <QElapsedTimer>

// What the simulated Velto menu says: the credential and the menu key its
// firmware asks for, the main menu, and the statistics line.
namespace VeltoMenuContent {
QByteArray credential();
char menuKey();
QByteArray mainMenu();
} // namespace VeltoMenuContent

// Counters shared by every session of the simulated radio.
class Counters
{
public:
    explicit Counters(bool congestion);

    // Advances the counters for one answer and returns its line.
    QByteArray nextAnswer();

private:
    bool m_congestion;
    QElapsedTimer m_clock;
    quint64 m_answers = 0;
};
