#pragma once

#include "app/mainwindow.h"
#include "link/serialport.h"
#include "fakedialogs.h"

#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

// A window in a temporary program folder, its dialogs answered by the test.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        dialogs = std::make_shared<FakeDialogs>();
    }

    glintag::MainWindowOptions options()
    {
        glintag::MainWindowOptions o;
        o.programDir = m_dir.path();
        o.dialogs = dialogs;
        o.port = port;
        // Never the machine's own serial devices.
        o.systemDevices = [] { return QStringList(); };
        return o;
    }

    std::unique_ptr<glintag::MainWindow> makeWindow() { return std::make_unique<glintag::MainWindow>(options()); }

    // Lets the one-shot start-up timer deliver its tick.
    static void waitForFirstRendering(glintag::MainWindow &w)
    {
        if (!w.firstRenderTimer->isActive())
            return;
        QEventLoop loop;
        QObject::connect(w.firstRenderTimer, &QTimer::timeout, &loop, &QEventLoop::quit, Qt::QueuedConnection);
        loop.exec();
    }

    QString programDir() const { return m_dir.path(); }

    // Writes the settings file the window will find at start-up.
    void writeSettings(const QByteArray &text)
    {
        QFile f(programDir() + QStringLiteral("/Nvq.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }

    std::shared_ptr<FakeDialogs> dialogs;
    std::shared_ptr<glintag::SerialPort> port;   // null: the real serial port class

private:
    QTemporaryDir m_dir;
};
