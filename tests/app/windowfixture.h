#pragma once

#include "app/form1.h"
#include "fakedialogs.h"

#include <QEventLoop>
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

    glintag::Form1Options options()
    {
        glintag::Form1Options o;
        o.programDir = m_dir.path();
        o.dialogs = dialogs;
        return o;
    }

    std::unique_ptr<glintag::Form1> makeWindow() { return std::make_unique<glintag::Form1>(options()); }

    // Lets the one-shot start-up timer deliver its tick.
    static void waitForFirstRendering(glintag::Form1 &w)
    {
        if (!w.Timer1->isActive())
            return;
        QEventLoop loop;
        QObject::connect(w.Timer1, &QTimer::timeout, &loop, &QEventLoop::quit, Qt::QueuedConnection);
        loop.exec();
    }

    QString programDir() const { return m_dir.path(); }

    std::shared_ptr<FakeDialogs> dialogs;

private:
    QTemporaryDir m_dir;
};
