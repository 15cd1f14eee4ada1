#pragma once

#include "gui/documentcontrol.h"
#include "gui/mainwindow.h"
#include "gui/settingsrow.h"
#include "gui/setupmodel.h"
#include "gui/slotrow.h"
#include "gui/slottable.h"
#include "gui/statusrow.h"
#include "gui/stripwidgets.h"
#include "gui/windowrendering.h"
#include "i18n/languages.h"
#include "support/fakedialogs.h"
#include "support/files.h"
#include "support/pseudoterminal.h"
#include "support/throttledport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// Only these slots selected.
inline void selectOnly(glintag::MainWindow &w, std::initializer_list<int> slots)
{
    for (int i = 0; i < glintag::kSlotCount; ++i)
        w.slotRow(i).selectBox()->setChecked(std::find(slots.begin(), slots.end(), i) != slots.end());
}

// Only the first texts.size() slots selected, holding these texts.
inline void selectTexts(glintag::MainWindow &w, const QStringList &texts)
{
    for (int i = 0; i < glintag::kSlotCount; ++i) {
        w.slotRow(i).selectBox()->setChecked(i < texts.size());
        if (i < texts.size())
            w.slotRow(i).textBox()->setText(texts[i]);
    }
}

inline QString statusLine(const glintag::MainWindow &w)
{
    return w.parts().statusRow.statusLine()->text();
}

// Lets the one-shot start-up timer deliver its tick.
inline void waitForFirstRendering(glintag::MainWindow &w)
{
    if (!w.parts().renderer.firstRenderTimer()->isActive())
        return;
    QEventLoop loop;
    QObject::connect(w.parts().renderer.firstRenderTimer(), &QTimer::timeout, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    loop.exec();
}

// The window uploads from the event loop: runs it until a running upload has
// ended.
inline void waitForUpload(glintag::MainWindow &w)
{
    if (!w.isSending())
        return;
    QEventLoop loop;
    QObject::connect(&w.parts().uploadControl, &glintag::UploadControl::finished, &loop, &QEventLoop::quit);
    loop.exec();
}

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
        if (clock)
            o.clock = clock;
        o.stallLimitMs = stallLimitMs;
        // Never the machine's own serial devices.
        o.systemDevices = [] { return QStringList(); };
        // The language a first start had before it followed the system.
        o.systemLocale = QLocale(QLocale::Chinese, QLocale::China);
        return o;
    }

    std::unique_ptr<glintag::MainWindow> makeWindow() { return std::make_unique<glintag::MainWindow>(options()); }
    std::unique_ptr<glintag::MainWindow> renderedWindow()
    {
        auto w = makeWindow();
        waitForFirstRendering(*w);
        return w;
    }

    QString programDir() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }

    // Writes the settings file the window will find at start-up.
    void writeSettings(const QByteArray &text) { ASSERT_TRUE(writeFile(file(QStringLiteral("Nvq.ini")), text)); }

    std::shared_ptr<FakeDialogs> dialogs;
    std::shared_ptr<glintag::SerialPort> port; // null: the real serial port class
    std::function<qint64()> clock;             // null: the window's own
    qint64 stallLimitMs = glintag::kStallLimitMs;

private:
    QTemporaryDir m_dir;
};

// A window in English sending `text` from slot 1 to pseudo-terminals kept
// as COM7, COM8, ..., COM7 in the Port box.
class PtyWindowTest : public WindowTest {
protected:
    std::unique_ptr<glintag::MainWindow> windowOn(std::initializer_list<Pty *> ptys, const QString &text)
    {
        QByteArray settings = "[Language]\nLanguage=4\n[Ports]\n";
        int number = 7;
        for (Pty *pty : ptys) {
            EXPECT_TRUE(pty->ok());
            settings += "COM" + QByteArray::number(number++) + '=' + pty->slavePath().toLocal8Bit() + '\n';
        }
        writeSettings(settings);
        auto w = renderedWindow();
        w->parts().settingsRow.choosePort(QStringLiteral("COM7"));
        selectTexts(*w, {text});
        return w;
    }

    // Hangs the line up as soon as the first bytes reach the terminal.
    void hangUpOnFirstBytes(Pty &pty)
    {
        m_hangUp = std::make_unique<QSocketNotifier>(pty.masterFd(), QSocketNotifier::Read);
        QObject::connect(m_hangUp.get(), &QSocketNotifier::activated, [this, &pty] {
            m_hangUp->setEnabled(false);
            pty.closeMaster();
        });
    }

private:
    std::unique_ptr<QSocketNotifier> m_hangUp;
};

// A window on a throttled COM3 and a clock the test moves: each count read is
// 100 ms later, and a line is given up after one second without progress.
class UploadTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        throttled = std::make_shared<glintag::ThrottledPort>();
        throttled->openable = {3};
        throttled->drainPerPoll = 12;
        throttled->onPoll = [this] {
            now += 100;
            if (m_during)
                m_during(++lastPolls);
        };
        port = throttled;
        clock = [this] { return now; };
        stallLimitMs = 1000;
    }

    // In English, only slot 1 selected: 100 + 12 × 15 = 280 bytes to send.
    std::unique_ptr<glintag::MainWindow> readyWindow()
    {
        auto w = renderedWindow();
        w->parts().settingsRow.languageBox()->setCurrentIndex(glintag::UiEnglish);
        selectTexts(*w, {QStringLiteral("SLOW UPLOAD 123")});
        return w;
    }

    // Sends; `during` runs at every count read with the poll's number.
    void send(
        glintag::MainWindow &w, std::function<void(int poll)> during = [](int) {})
    {
        lastPolls = 0;
        m_during = std::move(during);
        w.parts().sendButton->click();
        waitForUpload(w);
        m_during = nullptr;
    }

    std::shared_ptr<glintag::ThrottledPort> throttled;
    qint64 now = 0;
    int lastPolls = 0; // count reads during the last send

private:
    std::function<void(int poll)> m_during;
};
