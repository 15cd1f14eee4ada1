#!/usr/bin/python3
"""The measures of `glintag serve`, from outside, against a real
pseudo-terminal and a real broker (Debian's mosquitto):

  HTTP POST /api/send -> first byte at the pseudo-terminal   (median, max)
  a notify of N seconds -> the setup back, after the notify's upload ended
  MQTT publish -> first byte at the pseudo-terminal          (median, max)
  GET /api/status requests per second on one loopback connection
  idle CPU over 10 s
  RSS after 10,000 requests, and before and after a 1,000-message burst

Usage: python3 bench/serve_bench.py build/bin/glintag
Never run by the tests: the figures depend on the machine.
"""
import http.client
import json
import os
import pty
import re
import select
import socket
import statistics
import subprocess
import sys
import tempfile
import time

GLINTAG = sys.argv[1]
BROKER = "/usr/sbin/mosquitto"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Badge:
    def __init__(self):
        self.master, self.slave = pty.openpty()  # the far end held open: no hang-up between uploads
        self.path = os.ttyname(self.slave)

    def drain(self):
        while select.select([self.master], [], [], 0)[0]:
            os.read(self.master, 65536)

    def first_byte(self, limit=10):
        if not select.select([self.master], [], [], limit)[0]:
            return None
        t = time.perf_counter()
        os.read(self.master, 65536)
        return t


def rss_kb(pid):
    with open("/proc/%d/status" % pid) as f:
        return int(re.search(r"VmRSS:\s+(\d+)", f.read()).group(1))


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def mqtt_connect(port):
    s = socket.create_connection(("127.0.0.1", port))
    client = b"glintag-bench"
    body = b"\x00\x04MQTT\x04\x02\x00\x3c" + len(client).to_bytes(2, "big") + client
    s.sendall(bytes([0x10, len(body)]) + body)
    s.recv(4)  # CONNACK
    return s


def remaining_length(n):
    out = b""
    while True:
        byte, n = n % 128, n // 128
        out += bytes([byte | (0x80 if n else 0)])
        if not n:
            return out


def mqtt_publish(s, topic, payload):
    body = len(topic).to_bytes(2, "big") + topic + payload
    s.sendall(b"\x30" + remaining_length(len(body)) + body)


def main():
    home = tempfile.mkdtemp()
    badge = Badge()
    broker_dir = tempfile.mkdtemp()
    broker_port = free_port()
    with open(os.path.join(broker_dir, "b.conf"), "w") as f:
        f.write("listener %d 127.0.0.1\nallow_anonymous true\npersistence false\n" % broker_port)
    broker = subprocess.Popen([BROKER, "-c", os.path.join(broker_dir, "b.conf")], stderr=subprocess.DEVNULL)
    time.sleep(0.5)
    env = dict(os.environ, HOME=home)
    serve = subprocess.Popen([GLINTAG, "serve", "--listen", "127.0.0.1:0", "--port", badge.path, "--mqtt",
                              "127.0.0.1:%d" % broker_port, "--topic", "bench", "-q"],
                             env=env, stderr=subprocess.PIPE)
    err = b""
    while b"connected to broker" not in err:
        err += os.read(serve.stderr.fileno(), 4096)
    port = int(re.search(rb"http://127\.0\.0\.1:(\d+)/", err).group(1))
    conn = http.client.HTTPConnection("127.0.0.1", port)

    def call(method, path, body=None):
        headers = {"Content-Type": "application/json"} if method != "GET" else {}
        conn.request(method, path, body=None if body is None else json.dumps(body), headers=headers)
        reply = conn.getresponse()
        return reply.status, reply.read()

    def wait_idle():
        while json.loads(call("GET", "/api/status")[1])["state"] != "idle":
            time.sleep(0.01)

    rounds = 15
    http_ms = []
    for i in range(rounds):
        wait_idle()
        badge.drain()
        t0 = time.perf_counter()
        call("POST", "/api/send", {"text": "HTTP %d" % i})
        t1 = badge.first_byte()
        http_ms.append((t1 - t0) * 1000)
    print("HTTP POST /api/send -> first byte: median %.1f ms, max %.1f ms (%d rounds)"
          % (statistics.median(http_ms), max(http_ms), rounds))

    mqtt = mqtt_connect(broker_port)
    mqtt_ms = []
    for i in range(rounds):
        wait_idle()
        badge.drain()
        t0 = time.perf_counter()
        mqtt_publish(mqtt, b"bench/text/set", b"MQTT %d" % i)
        t1 = badge.first_byte()
        mqtt_ms.append((t1 - t0) * 1000)
    print("MQTT publish -> first byte: median %.1f ms, max %.1f ms (%d rounds)"
          % (statistics.median(mqtt_ms), max(mqtt_ms), rounds))

    for seconds in (1, 3):
        wait_idle()
        badge.drain()
        call("POST", "/api/notify", {"text": "NOTE", "seconds": seconds})
        badge.first_byte()
        wait_idle()
        ended = time.perf_counter()
        badge.drain()
        back = badge.first_byte(seconds + 5)
        print("notify %d s -> setup back %.3f s after its upload ended (error %+.0f ms, status polled every 10 ms)"
              % (seconds, back - ended, (back - ended - seconds) * 1000))
    wait_idle()

    n = 5000
    t0 = time.perf_counter()
    for _ in range(n):
        call("GET", "/api/status")
    rate = n / (time.perf_counter() - t0)
    print("GET /api/status: %.0f requests/s (one keep-alive connection, %d requests)" % (rate, n))

    before = cpu_seconds(serve.pid)
    time.sleep(10)
    print("idle CPU: %.2f %% over 10 s" % ((cpu_seconds(serve.pid) - before) / 10 * 100))

    print("RSS after start and the above: %.1f MB" % (rss_kb(serve.pid) / 1024))
    for i in range(10000):
        path = ("/api/status", "/api/setup", "/api/preview.png?scale=2", "/api/ports")[i % 4]
        call("GET", path)
    print("RSS after 10,000 more requests: %.1f MB" % (rss_kb(serve.pid) / 1024))

    wait_idle()
    before = rss_kb(serve.pid)
    for i in range(1000):
        mqtt_publish(mqtt, b"bench/text/set", b"BURST %d" % i)
    time.sleep(0.5)
    wait_idle()
    print("1,000-message burst: RSS %.1f MB before, %.1f MB after; uploads %d"
          % (before / 1024, rss_kb(serve.pid) / 1024, json.loads(call("GET", "/api/status")[1])["uploads"]))

    serve.terminate()
    serve.wait()
    broker.terminate()
    broker.wait()


if __name__ == "__main__":
    main()
