// serve's MQTT door against a real broker: Debian's mosquitto, started here
// on a free loopback port with a configuration in a temporary folder, and
// real serve processes sending to real pseudo-terminals.
#include "support/files.h"
#include "support/pseudoterminal.h"
#include "support/serveprocess.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>

#include <gtest/gtest.h>

#include <mosquitto.h>

namespace {

const QString kBroker = QStringLiteral("/usr/sbin/mosquitto");

// The broker, stopped and started again on the same port when asked; its
// log is its standard error.
struct Broker : ProgramRun {
    QTemporaryDir dir;
    int port = 0;

    Broker()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
        probe.close();
        writeFile(dir.filePath(QStringLiteral("broker.conf")),
                  "listener " + QByteArray::number(port)
                      + " 127.0.0.1\nallow_anonymous true\npersistence false\nlog_dest stderr\n");
    }

    // Ready once it takes a connection.
    bool start()
    {
        return ProgramRun::start({"-c", dir.filePath("broker.conf")}, {}, true, kBroker) && waitUntil([this] {
                   QTcpSocket s;
                   s.connectToHost(QHostAddress::LocalHost, quint16(port));
                   return s.waitForConnected(1000);
               });
    }
    void stop()
    {
        process.terminate();
        finish();
    }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(port); }
};

// A plain client of the test's own: publishes, or waits for one message.
struct Client {
    mosquitto *m = nullptr;
    int published = 0;
    QByteArray received;
    bool got = false;

    explicit Client(int port)
    {
        mosquitto_lib_init();
        m = mosquitto_new(nullptr, true, this);
        mosquitto_publish_callback_set(m,
                                       [](mosquitto *, void *self, int) { ++static_cast<Client *>(self)->published; });
        mosquitto_message_callback_set(m, [](mosquitto *, void *self, const mosquitto_message *msg) {
            auto *c = static_cast<Client *>(self);
            c->received = QByteArray(static_cast<const char *>(msg->payload), msg->payloadlen);
            c->got = true;
        });
        mosquitto_connect(m, "127.0.0.1", port, 30);
    }
    ~Client()
    {
        mosquitto_disconnect(m);
        mosquitto_destroy(m);
    }
    // Each message handed to the broker before this returns.
    bool publish(const QList<QPair<QByteArray, QByteArray>> &messages)
    {
        const int target = published + int(messages.size());
        for (const auto &[topic, payload] : messages)
            if (mosquitto_publish(m, nullptr, topic.constData(), int(payload.size()), payload.constData(), 1, false)
                != MOSQ_ERR_SUCCESS)
                return false;
        const QDeadlineTimer limit(20000);
        while (published < target && !limit.hasExpired())
            if (mosquitto_loop(m, 100, 1) != MOSQ_ERR_SUCCESS)
                return false;
        return published == target;
    }
    // The retained message of a topic, or nothing.
    QByteArray retained(const QByteArray &topic)
    {
        got = false;
        mosquitto_subscribe(m, nullptr, topic.constData(), 1);
        const QDeadlineTimer limit(5000);
        while (!got && !limit.hasExpired())
            mosquitto_loop(m, 100, 1);
        mosquitto_unsubscribe(m, nullptr, topic.constData());
        return received;
    }
};

struct Badge {
    Pty pty;
    // The far end held open here too, so the master never reads as hung up
    // before serve opens the port or between its uploads.
    int holder = ::open(QFile::encodeName(pty.slavePath()).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ServeProcess serve;
    ~Badge() { ::close(holder); }
    bool start(const Broker &broker, const QStringList &args)
    {
        return serve.start(QStringList{"--port", pty.slavePath(), "--mqtt", broker.address()} + args)
            && serve.waitForMatch("mqtt: connected to broker");
    }
    int uploads() const { return int(serve.err.count(" bytes): ")); }
};

} // namespace

// A group topic reaches every badge of the fleet; a badge's own topic only
// that badge; what arrives is what `send` writes for the text.
TEST(Mqtt, GroupsReachEveryBadgeAndOwnTopicsOne)
{
    if (!QFileInfo::exists(kBroker))
        GTEST_SKIP() << "mosquitto is not installed";
    Broker broker;
    ASSERT_TRUE(broker.start());
    Badge a, b;
    ASSERT_TRUE(a.start(broker, {"--topic", "shop/a", "--group", "shop/all", "--ha-discovery"}))
        << a.serve.err.toStdString();
    ASSERT_TRUE(b.start(broker, {"--topic", "shop/b", "--group", "shop/all"})) << b.serve.err.toStdString();
    const QByteArray fleet = sendOutput(a.serve.home(), {"OPEN TILL 8"});
    const QByteArray onlyA = sendOutput(a.serve.home(), {"ONLY A"});
    ASSERT_FALSE(fleet.isEmpty());

    Client client(broker.port);
    ASSERT_TRUE(client.publish({{"shop/all/text/set", "OPEN TILL 8"}}));
    EXPECT_EQ(a.pty.read(int(fleet.size())), fleet);
    EXPECT_EQ(b.pty.read(int(fleet.size())), fleet);
    ASSERT_TRUE(a.serve.waitForMatch("send #1 "));
    // A setup as JSON, to one badge: the slots left out go unselected.
    ASSERT_TRUE(client.publish({{"shop/a/setup/set", "{\"slots\":[{\"text\":\"ONLY A\"}]}"}}));
    EXPECT_EQ(a.pty.read(int(onlyA.size())), onlyA);
    ASSERT_TRUE(a.serve.waitForMatch("send #2 "));
    ASSERT_TRUE(b.serve.waitForMatch("send #1 "));

    // The status stays on the broker for whoever asks later.
    const QJsonObject status = QJsonDocument::fromJson(client.retained("shop/a/status")).object();
    EXPECT_EQ(status.value(QStringLiteral("uploads")).toInt(), 2);
    EXPECT_EQ(status.value(QStringLiteral("state")).toString(), QStringLiteral("idle"));
    EXPECT_EQ(client.retained("shop/a/availability"), QByteArray("online"));
    // Home automation finds the text entity and where to send its text.
    const QJsonObject entity = QJsonDocument::fromJson(client.retained("homeassistant/text/shop_a/config")).object();
    EXPECT_EQ(entity.value(QStringLiteral("command_topic")).toString(), QStringLiteral("shop/a/text/set"));
    EXPECT_EQ(entity.value(QStringLiteral("availability_topic")).toString(), QStringLiteral("shop/a/availability"));
    const QJsonObject sensor = QJsonDocument::fromJson(client.retained("homeassistant/sensor/shop_a/config")).object();
    EXPECT_EQ(sensor.value(QStringLiteral("state_topic")).toString(), QStringLiteral("shop/a/status"));

    EXPECT_EQ(a.serve.stop(), 143);
    EXPECT_EQ(b.serve.stop(), 143);
    EXPECT_EQ(b.uploads(), 1) << "the other badge's topic reached b";
    // A clean stop says so itself and ends the session, so the broker has
    // no will to send; the will is for a serve that vanished.
    EXPECT_EQ(client.retained("shop/a/availability"), QByteArray("offline"));
    broker.stop(); // its log reaches the pipe as it exits
    const QByteArray &log = broker.err;
    EXPECT_EQ(QString::fromUtf8(log).count(QRegularExpression(QStringLiteral("Client glintag-\\S* disconnected\\."))),
              2)
        << log.toStdString();
}

// The broker goes away and comes back: serve says so once each way and
// takes messages again, without exiting.
TEST(Mqtt, ABrokerThatGoesAndComesBackIsFoundAgain)
{
    if (!QFileInfo::exists(kBroker))
        GTEST_SKIP() << "mosquitto is not installed";
    Broker broker;
    ASSERT_TRUE(broker.start());
    Badge a;
    ASSERT_TRUE(a.start(broker, {"--topic", "desk"})) << a.serve.err.toStdString();
    broker.stop();
    ASSERT_TRUE(a.serve.waitForMatch("broker 127.0.0.1:\\d+: .*trying again")) << a.serve.err.toStdString();
    ASSERT_TRUE(broker.start());
    ASSERT_TRUE(a.serve.waitForMatch("connected to broker(.|\\n)*connected to broker")) << a.serve.err.toStdString();
    EXPECT_EQ(a.serve.err.count("trying again"), 1) << "more than one line while the broker was away";
    const QByteArray expected = sendOutput(a.serve.home(), {"BACK"});
    Client client(broker.port);
    ASSERT_TRUE(client.publish({{"desk/text/set", "BACK"}}));
    EXPECT_EQ(a.pty.read(int(expected.size())), expected);
}

// A thousand messages while the first upload runs: only the last follows it.
TEST(Mqtt, ABurstEndsInOneUploadAfterTheRunningOne)
{
    if (!QFileInfo::exists(kBroker))
        GTEST_SKIP() << "mosquitto is not installed";
    Broker broker;
    ASSERT_TRUE(broker.start());
    Badge a;
    ASSERT_TRUE(a.start(broker, {"--topic", "burst"})) << a.serve.err.toStdString();
    QList<QPair<QByteArray, QByteArray>> burst;
    for (int i = 0; i < 1000; ++i)
        burst.append({"burst/text/set", "B" + QByteArray::number(i)});
    const QByteArray expected = sendOutput(a.serve.home(), {"B0"}) + sendOutput(a.serve.home(), {"B999"});
    Client client(broker.port);
    ASSERT_TRUE(client.publish(burst));
    EXPECT_EQ(a.pty.read(int(expected.size())), expected);
    ASSERT_TRUE(a.serve.waitForMatch("send #1000 ")) << a.serve.err.toStdString();
    EXPECT_EQ(a.serve.stop(), 143);
    EXPECT_EQ(a.uploads(), 2);
}
