// The byte stream of the radio's telnet menu through the client's receive
// path: protocol decoding, CR NUL, and the wait-for matching.
//
// Input: one byte whose low two bits give the number of wait-for texts (1 to
// 4), each text as a length byte (1 to 8) and its bytes; then the stream as
// chunks, each a length byte (1 to 64) and its bytes. Every match moves the
// wait-for on to the next text, round robin, as the login script does.
//
// The matches must be those of one scan over all the data delivered, whatever
// the chunks, and the same stream in a single chunk must give the same data:
// the stream without its telnet commands and without the NUL of each CR NUL.
#include "FuzzCheck.h"
#include "telnet/TelnetClient.h"

#include <QCoreApplication>
#include <cstdint>

namespace {

struct Outcome
{
    QByteArray delivered;
    int matches = 0;
    bool ended = false; // closed or warned: later chunks are not comparable
};

Outcome run(const QList<QByteArray> &waitFors, const QList<QByteArray> &chunks)
{
    Outcome outcome;
    TelnetClient client;
    QObject::connect(&client, &TelnetClient::dataArrival, [&](int count) {
        const QByteArray taken = client.receive(count);
        FUZZ_CHECK(taken.size() == count);
        outcome.delivered += taken;
    });
    QObject::connect(&client, &TelnetClient::waitForMatched, [&] {
        ++outcome.matches;
        client.setWaitFor(waitFors.at(outcome.matches % waitFors.size()));
    });
    QObject::connect(&client, &TelnetClient::closed, [&] { outcome.ended = true; });
    QObject::connect(&client, &TelnetClient::message,
                     [&](const QString &) { outcome.ended = true; });
    client.setWaitFor(waitFors.first());
    for (const QByteArray &chunk : chunks) {
        client.handleReceived(chunk);
        if (outcome.ended)
            break;
    }
    FUZZ_CHECK(client.receive(TelnetClient::kReceiveBufferLimit).isEmpty());
    return outcome;
}

// The data of a stream the client takes without a complaint: the bytes
// outside the telnet commands (IAC IAC is one 0xFF), a NUL after a CR left out.
QByteArray dataOf(const QByteArray &stream)
{
    enum State
    {
        Data,
        Command,
        Option,
        SubOption,
        SubData,
        SubCommand
    } state = Data;
    constexpr char iac = char(255), sb = char(250), se = char(240), will = char(251),
                   dont = char(254);
    QByteArray data;
    bool lastWasCr = false;
    auto take = [&](char c) {
        if (c == '\0' && lastWasCr) {
            lastWasCr = false;
            return;
        }
        data += c;
        lastWasCr = c == '\r';
    };
    for (const char c : stream) {
        switch (state) {
        case Data:
            if (c == iac)
                state = Command;
            else
                take(c);
            break;
        case Command:
            if (c == iac) {
                take(c);
                state = Data;
            } else if (c == sb) {
                state = SubOption;
            } else if (quint8(c) >= quint8(will) && quint8(c) <= quint8(dont)) {
                state = Option;
            } else {
                state = Data;
            }
            break;
        case Option:
            state = Data;
            break;
        case SubOption:
            state = SubData;
            break;
        case SubData:
            if (c == iac)
                state = SubCommand;
            break;
        case SubCommand:
            state = c == se ? Data : SubData;
            break;
        }
    }
    return data;
}

// The matches of one scan over the whole data.
int expectedMatches(const QList<QByteArray> &waitFors, const QByteArray &data)
{
    int matches = 0;
    qsizetype from = 0;
    for (;;) {
        const QByteArray &text = waitFors.at(matches % waitFors.size());
        const qsizetype at = data.indexOf(text, from);
        if (at < 0)
            return matches;
        ++matches;
        from = at + text.size();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    silenceQtMessages();
    static QCoreApplication application(*argc, *argv); // the client's socket wants one
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    if (input.isEmpty())
        return 0;
    qsizetype at = 0;
    const int textCount = (quint8(input[at++]) & 3) + 1;
    QList<QByteArray> waitFors;
    for (int i = 0; i < textCount; ++i) {
        if (at >= input.size())
            return 0;
        const int length = (quint8(input[at++]) & 7) + 1;
        waitFors << input.mid(at, length);
        at += length;
        if (waitFors.last().size() < length)
            return 0;
    }
    QList<QByteArray> chunks;
    QByteArray stream;
    while (at < input.size()) {
        const int length = (quint8(input[at++]) & 63) + 1;
        chunks << input.mid(at, length);
        stream += chunks.last();
        at += length;
    }
    if (stream.isEmpty())
        return 0;

    const Outcome chunked = run(waitFors, chunks);
    FUZZ_CHECK(chunked.matches == expectedMatches(waitFors, chunked.delivered));
    const Outcome whole = run(waitFors, {stream});
    FUZZ_CHECK(whole.matches == expectedMatches(waitFors, whole.delivered));
    if (!chunked.ended && !whole.ended) {
        FUZZ_CHECK(whole.delivered == dataOf(stream));
        FUZZ_CHECK(chunked.delivered == whole.delivered);
        FUZZ_CHECK(chunked.matches == whole.matches);
    }
    return 0;
}
