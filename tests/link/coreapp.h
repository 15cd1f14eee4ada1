#pragma once

#include <QCoreApplication>

// The drain wait and QSerialPort need an event dispatcher on this thread.
inline void ensureCoreApp()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "test_link";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}
