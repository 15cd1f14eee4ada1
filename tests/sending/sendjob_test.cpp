// The send job as the window and the command line use it: a setup reaches a
// real pseudo-terminal as exactly the stream the renderer and the wire rules
// give, and a refusal comes before anything is sent. A cancel is the window's
// Stop (UploadTest.StopButtonAndEscapeEndTheUploadAtOnceAndCtrlReturnSendsAgain).
#include "sending/sendjob.h"

#include "files/picturefile.h"
#include "i18n/languages.h"
#include "support/eventloop.h"
#include "support/pseudoterminal.h"
#include "support/setups.h"
#include "support/throttledport.h"

#include <gtest/gtest.h>

#include <memory>

using namespace glintag;

const QString kProgramDir = QStringLiteral(GLINTAG_BIN_DIR);

// One setup with what the stream carries (picture bytes between texts,
// double-byte text, flash and border, an alternate group moving up, the R2
// model, dim) reaches the line exactly; the command line's test sends more
// setups (and a settings file) the same way and compares them too.
TEST(SendJob, PutsExactlyTheRenderedStreamOnAPseudoTerminal)
{
    ensureApplication();
    BadgeSetup setup = setupWithTexts({QStringLiteral("A"), QString(), QStringLiteral("二"), QStringLiteral("three")});
    setup.language = UiTradChinese;
    QImage &picture = setup.slots[1].picture = makeBlankCanvas();
    setup.slots[1].image = true;
    for (int i = 0; i < 12; ++i) {
        picture.setPixel(i * 3, i, qRgb(255, 255, 255));
        picture.setPixel(30 + i % 8, i / 2 + 3, qRgb(200, 0, 0));
    }
    for (size_t i : {0, 1, 2})
        setup.slots[i].flash = setup.slots[i].border = true;
    for (size_t i : {2, 3}) {
        setup.slots[i].mode = 2;
        setup.slots[i].alternate = true;
    }
    setup.model = QStringLiteral("R2");
    setup.brightness = QStringLiteral("2");
    const QByteArray expected = streamFor(setup);
    ASSERT_GT(expected.size(), 100 + 12);

    Pty line;
    ASSERT_TRUE(line.ok());
    SendJob job;
    job.setPortMap(PortMap::build({{QStringLiteral("COM7"), line.slavePath()}}, {}));
    qint64 now = 0;
    job.setClock([&now] { return now += 100; }); // the line's pace, without waiting for it
    ASSERT_TRUE(job.prepare(setup, kProgramDir));
    ASSERT_TRUE(job.start(QStringLiteral("COM7")));
    EXPECT_EQ(job.outcome().device, line.slavePath());
    // A second Send while the line drains changes nothing on the wire.
    EXPECT_FALSE(job.prepare(setupWithTexts({QStringLiteral("OTHER")}), kProgramDir));
    EXPECT_EQ(job.outcome().end, SendEnd::Busy);
    // The event loop runs until the job has closed the port again.
    const SendOutcome outcome = runToSignal(job, &SendJob::finished, [&job] { return job.isRunning(); });

    EXPECT_EQ(uploadEnd(outcome.upload), UploadEnd::Sent);
    EXPECT_FALSE(job.port().isOpen());
    EXPECT_EQ(line.read(expected.size() + 1).toHex(' '), expected.toHex(' '));
}

// The refusals the window and the command line meet are checked where the
// user meets them (UploadTest.RefusalsBeforeAnythingIsSent,
// CommandLine.BadInputIsOneLineAndChangesNothing); here the one only a
// caller of the job meets: a device path where only names go.
TEST(SendJob, APathWhereOnlyNamesGoIsRefusedBeforeAnythingIsSent)
{
    ensureApplication();
    auto port = std::make_shared<ThrottledPort>();
    SendJob job(port);
    ASSERT_TRUE(job.prepare(setupWithTexts({QStringLiteral("HELLO")}), kProgramDir));
    EXPECT_FALSE(job.start(QStringLiteral("/dev/ttyS0"), SendJob::PortNaming::NamesOnly));
    EXPECT_EQ(job.outcome().end, SendEnd::BadPortName);
    EXPECT_FALSE(job.isRunning());
    EXPECT_TRUE(port->written.isEmpty());
    EXPECT_FALSE(port->isOpen());
}
