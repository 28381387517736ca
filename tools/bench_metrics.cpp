// The cost of the agent's metrics with 60 controllers (three lines of 20):
// rendering the exposition, publishing a snapshot (what a poll tick pays),
// and answering GET /metrics over a kept-alive connection on 127.0.0.1.
#include "metrics/exposition.h"
#include "metrics/metrics_server.h"

#include <QCoreApplication>
#include <QTcpSocket>

#include <chrono>
#include <cstdio>

using namespace brisco;
using namespace brisco::metrics;
using Clock = std::chrono::steady_clock;

namespace {

Snapshot busyAgent() {
    Snapshot snapshot;
    for (int line = 1; line <= 3; ++line) {
        const QString name = QStringLiteral("line-%1").arg(line);
        snapshot.lines.push_back(
            {name, QStringLiteral("/dev/ttyUSB%1").arg(line - 1), true, 123456 * line, 42, 3, 17});
        for (std::uint8_t address = 1; address <= 20; ++address) {
            display::StatusValues status;
            status.setPoints = {35, 28, 5, 12, 2, 1550, 3400, 3, 2900, 55, -10, 1.5, 12.5};
            status.innerTemp = 20 + address / 2.0;
            status.outerTemp = 30.5 - line;
            status.controlTemp = 21.5;
            status.tecCurrent = 3.7;
            status.dcVoltage = 48.1;
            status.innerFanReading = 1500 + address;
            status.outerFanReading = 2700 - address;
            status.lampCodes[std::size_t(address) % 22] = 2;
            snapshot.controllers.push_back(
                {name, address, QStringLiteral("TC-200"), true, 0.25 * address, status});
        }
    }
    return snapshot;
}

double millisecondsSince(Clock::time_point start, int times) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / times;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const Snapshot snapshot = busyAgent();
    constexpr int kTimes = 500;

    auto start = Clock::now();
    qsizetype size = 0;
    for (int i = 0; i < kTimes; ++i) {
        size = exposition(snapshot).size();
    }
    std::printf("render the exposition of 60 controllers: %.3f ms (%lld bytes)\n",
                millisecondsSince(start, kTimes), static_cast<long long>(size));

    MetricsServer server;
    ServerOptions options;
    options.listenAddress = QStringLiteral("127.0.0.1:0");
    QString error;
    if (!server.start(options, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    start = Clock::now();
    for (int i = 0; i < kTimes; ++i) {
        server.publish(snapshot);
    }
    std::printf("publish a snapshot (the tick's share): %.3f ms\n",
                millisecondsSince(start, kTimes));

    QTcpSocket client;
    client.connectToHost(QStringLiteral("127.0.0.1"), server.port());
    if (!client.waitForConnected(5000)) {
        std::fprintf(stderr, "cannot connect\n");
        return 1;
    }
    const QByteArray request = "GET /metrics HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    start = Clock::now();
    for (int i = 0; i < kTimes; ++i) {
        client.write(request);
        QByteArray reply;
        // The body ends the reply: the exposition's last lamp line.
        while (!reply.endsWith("\"Switch value 4\"} 0\n") && client.waitForReadyRead(5000)) {
            reply += client.readAll();
        }
        if (!reply.startsWith("HTTP/1.1 200")) {
            std::fprintf(stderr, "unexpected reply\n");
            return 1;
        }
    }
    std::printf("GET /metrics with 60 controllers, request to whole reply: %.3f ms\n",
                millisecondsSince(start, kTimes));
    return 0;
}
