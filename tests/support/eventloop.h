#pragma once
// The event loop of the tests without a window: one application per test
// program (the uploader's timer, QSerialPort and the server need it), and
// waits that end on a condition or a limit instead of hanging.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <functional>
#include <optional>

inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "glintag_test", *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

// Runs the event loop until `done` holds; false if it never does. A timer
// wakes the loop now and then, so the limit is looked at even when nothing
// else happens.
inline bool runUntil(const std::function<bool()> &done)
{
    ensureApplication();
    const QDeadlineTimer limit(20000);
    QTimer wake;
    wake.start(20);
    while (!done() && !limit.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

// Connects to `signal`, runs `start` and, when it returns true, the event
// loop until the signal comes; what it carried (a default value if nothing
// came).
template<typename Sender, typename Value>
Value runToSignal(Sender &sender, void (Sender::*signal)(const Value &), const std::function<bool()> &start)
{
    std::optional<Value> got;
    QObject receiver;
    QObject::connect(&sender, signal, &receiver, [&got](const Value &v) { got = v; });
    if (start())
        runUntil([&got] { return got.has_value(); });
    return got.value_or(Value{});
}
