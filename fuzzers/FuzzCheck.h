#pragma once

#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

// A fuzz target's own check: a broken expectation is a finding, reported like
// a crash so that the fuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// Qt's warnings (a socket written while not open, ...) would flood the
// fuzzer's output; they say nothing about the input.
inline void silenceQtMessages()
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
}
