// The listener on 127.0.0.1 and ::1, on ports the system picks: what each
// request gets, connections that send too much or nonsense, users and
// passwords, TLS, and the addresses and files it refuses.
#include "sample_snapshot.h"

#include "metrics/exposition.h"
#include "metrics/metrics_server.h"

#include <QLoggingCategory>
#include <QMutex>
#include <QProcess>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTest>

#include <crypt.h>

#include <memory>

using namespace brisco::metrics;

namespace {

// One request on a connected socket and its whole reply, head and body;
// nothing when the connection closes first.
QByteArray exchange(QAbstractSocket& socket, const QByteArray& request) {
    socket.write(request);
    QByteArray reply;
    const bool whole = QTest::qWaitFor(
        [&] {
            reply += socket.readAll();
            const qsizetype head = reply.indexOf("\r\n\r\n") + 4;
            const qsizetype length = reply.indexOf("Content-Length: ") + 16;
            return (head > 3 && length > 15 &&
                    reply.size() >= head + reply.mid(length, 12).split('\r')[0].toInt()) ||
                   socket.state() != QAbstractSocket::ConnectedState;
        },
        10000);
    return whole && socket.state() == QAbstractSocket::ConnectedState ? reply : QByteArray();
}

int status(const QByteArray& reply) {
    return reply.mid(9, 3).toInt();
}

std::unique_ptr<QTcpSocket> connected(quint16 port, const QString& host = "127.0.0.1") {
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(host, port);
    socket->waitForConnected(5000);
    return socket;
}

QByteArray get(const QByteArray& headers = {}) {
    return "GET /metrics HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headers + "\r\n";
}

QByteArray basic(const QByteArray& credentials) {
    return "Authorization: Basic " + credentials.toBase64() + "\r\n";
}

QByteArray bcrypt(const QByteArray& password) {
    char salt[CRYPT_GENSALT_OUTPUT_SIZE];
    // The lowest cost keeps the test fast.
    crypt_gensalt_rn("$2b$", 4, nullptr, 0, salt, sizeof salt);
    crypt_data data{};
    return crypt_rn(password.constData(), salt, &data, sizeof data);
}

const QByteArray kLong(72, 'L');
const QByteArray kRight = get(basic("prom:secret"));
const QByteArray kFiller = "X-Filler: " + QByteArray(12000, 'x') + "\r\n";

// Status 0: the connection is closed instead.
void row(const char* name, const char* webConfig, const QByteArrayList& requests,
         const QList<int>& statuses) {
    QTest::newRow(name) << QString(webConfig) << requests << statuses;
}

// A web configuration for 127.0.0.1:0 when no address is given.
void error(const char* name, const QByteArray& webConfig, const char* error,
           const char* address = "127.0.0.1:0", bool listenAny = false) {
    QTest::newRow(name) << QString(address) << webConfig << listenAny << QString(error);
}

} // namespace

class TestMetricsServer : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString file(const QString& name, const QByteArray& text) {
        QFile out(m_dir.filePath(name));
        return out.open(QIODevice::WriteOnly) && out.write(text) == text.size() ? out.fileName()
                                                                                : QString();
    }

    // On 127.0.0.1, with the web configuration of that name in the folder.
    std::unique_ptr<MetricsServer> started(const QString& webConfig = {}) {
        auto server = std::make_unique<MetricsServer>();
        QString error;
        if (!server->start(
                {"127.0.0.1:0", webConfig.isEmpty() ? QString() : m_dir.filePath(webConfig)},
                &error)) {
            qWarning() << error;
            return nullptr;
        }
        server->publish(sampleSnapshot());
        return server;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        // A self-signed certificate for localhost, with an EC key.
        QCOMPARE(QProcess::execute("openssl",
                                   {"req", "-x509", "-newkey", "ec", "-pkeyopt",
                                    "ec_paramgen_curve:prime256v1", "-nodes", "-days", "2", "-subj",
                                    "/CN=localhost", "-addext", "subjectAltName=DNS:localhost",
                                    "-keyout", m_dir.filePath("key.pem"), "-out",
                                    m_dir.filePath("cert.pem")}),
                 0);
        const QByteArray users =
            "basic_auth_users:\n  prom: " + bcrypt("secret") + "\n  long: " + bcrypt(kLong) + "\n";
        QVERIFY(!file("users.yml", users).isEmpty());
        // The certificate relative to the file's folder, the key by its whole path.
        QVERIFY(!file("tls.yml", "tls_server_config:\n  cert_file: cert.pem\n  key_file: " +
                                     m_dir.filePath("key.pem").toUtf8() + "\n" + users)
                     .isEmpty());
    }

    void requests_data() {
        QTest::addColumn<QString>("webConfig");
        QTest::addColumn<QByteArrayList>("requests");
        QTest::addColumn<QList<int>>("statuses");
        row("GET /metrics", "", {get()}, {200});
        row("with a query", "", {"GET /metrics?x=1 HTTP/1.1\r\n\r\n"}, {200});
        row("root", "", {"GET / HTTP/1.1\r\n\r\n"}, {404});
        row("below", "", {"GET /metrics/x HTTP/1.1\r\n\r\n"}, {404});
        row("POST", "", {"POST /metrics HTTP/1.1\r\nContent-Length: 2\r\n\r\nab"}, {405});
        row("HEAD", "", {"HEAD /metrics HTTP/1.1\r\n\r\n"}, {405});
        // Past the bound of a request, or unreadable: that connection closes.
        row("no request line", "", {"NONSENSE\r\n\r\n"}, {0});
        row("endless request line", "", {"GET /" + QByteArray(20000, 'a')}, {0});
        row("endless header", "", {"GET /metrics HTTP/1.1\r\nX: " + QByteArray(20000, 'h')}, {0});
        row("huge body", "",
            {"POST /metrics HTTP/1.1\r\nContent-Length: 90000\r\n\r\n" + QByteArray(20000, 'b')},
            {0});
        row("large headers within the bound", "", {get(kFiller)}, {200});
        row("three such requests", "", {get(kFiller), get(kFiller), get(kFiller)}, {200, 200, 200});
        row("right password", "users.yml", {kRight, kRight, kRight}, {200, 200, 200});
        row("then a wrong one", "users.yml", {kRight, get(basic("prom:secreT"))}, {200, 401});
        row("no password", "users.yml", {get()}, {401});
        row("no password, elsewhere", "users.yml", {"GET /x HTTP/1.1\r\n\r\n"}, {401});
        row("longer password", "users.yml", {get(basic("prom:secret!"))}, {401});
        row("after a zero byte", "users.yml", {get(basic(QByteArray("prom:secret\0x", 13)))},
            {401});
        row("another user's", "users.yml", {get(basic("long:secret"))}, {401});
        row("unknown user", "users.yml", {get(basic("other:secret"))}, {401});
        // The hash that an unknown user is checked against.
        row("unknown user, first user's password", "users.yml", {get(basic("other:" + kLong))},
            {401});
        row("72 bytes", "users.yml", {get(basic("long:" + kLong))}, {200});
        row("73 bytes, the first 72 right", "users.yml", {get(basic("long:" + kLong + "x"))},
            {401});
        row("not base64", "users.yml", {get("Authorization: Basic cHJvbTpzZWNyZXQ=!\r\n")}, {401});
        row("another scheme", "users.yml",
            {get("Authorization: Bearer " + QByteArray("prom:secret").toBase64() + "\r\n")}, {401});
    }
    void requests() {
        QFETCH(QString, webConfig);
        QFETCH(QByteArrayList, requests);
        QFETCH(QList<int>, statuses);
        const auto server = started(webConfig);
        QVERIFY(server);
        const auto bystander = connected(server->port());
        const auto client = connected(server->port());
        QCOMPARE(status(exchange(*bystander, kRight)), 200);
        for (qsizetype i = 0; i < requests.size(); ++i) {
            const QByteArray reply = exchange(*client, requests[i]);
            QCOMPARE(status(reply), statuses[i]);
            QCOMPARE(client->state() == QAbstractSocket::ConnectedState, statuses[i] != 0);
            QCOMPARE(reply.contains("\r\nWWW-Authenticate: Basic"), statuses[i] == 401);
            QCOMPARE(reply.contains("\r\nAllow: GET\r\n"), statuses[i] == 405);
            QCOMPARE(
                reply.contains("\r\nContent-Type: text/plain; version=0.0.4; charset=utf-8\r\n"),
                statuses[i] == 200);
            QCOMPARE(reply.endsWith("\r\n\r\n" + exposition(sampleSnapshot())), statuses[i] == 200);
        }
        // Nothing else closed; and what was published since is shown.
        server->publish({});
        QVERIFY(exchange(*bystander, kRight).endsWith("\r\n\r\n" + exposition({})));
        QCOMPARE(status(exchange(*connected(server->port()), kRight)), 200);
    }

    void tls() {
        const auto server = started("tls.yml");
        QVERIFY(server);
        QSslSocket client;
        QSslConfiguration trust = client.sslConfiguration();
        trust.setCaCertificates(QSslCertificate::fromPath(m_dir.filePath("cert.pem")));
        client.setSslConfiguration(trust);
        client.connectToHostEncrypted("127.0.0.1", server->port(), "localhost");
        QVERIFY2(client.waitForEncrypted(10000), qPrintable(client.errorString()));
        QVERIFY(exchange(client, kRight).endsWith("\r\n\r\n" + exposition(sampleSnapshot())));
        QCOMPARE(status(exchange(client, get())), 401);
        // Plain HTTP gets nothing from it.
        QCOMPARE(exchange(*connected(server->port()), kRight), QByteArray());
    }

    // Qt's HTTP server logs every request with its headers at debug level.
    void passwordNeverLogged() {
        static QMutex mutex;
        static QByteArrayList logged;
        QLoggingCategory::setFilterRules("qt.httpserver*.debug=true");
        const auto previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
                const QMutexLocker lock(&mutex);
                logged.append(text.toUtf8());
            });
        const auto server = started("users.yml");
        const QByteArray reply = exchange(*connected(server->port()), kRight);
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules({});
        QCOMPARE(status(reply), 200);
        const QMutexLocker lock(&mutex);
        for (const QByteArray& line : logged) {
            QVERIFY2(!line.contains(QByteArray("prom:secret").toBase64()), line);
        }
    }

    void startErrors_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QByteArray>("webConfig");
        QTest::addColumn<bool>("listenAny");
        QTest::addColumn<QString>("error");
        const QByteArray users = "basic_auth_users:\n  a: " + bcrypt("x") + "\n";
        const QByteArray tls = "tls_server_config:\n  cert_file: cert.pem\n  key_file: key.pem\n";
        error("IPv4 loopback", {}, "");
        error("IPv6 loopback", {}, "", "[::1]:0");
        error("localhost", {}, "", "localhost:0");
        error("with TLS and users", tls + users, "");
        error("every address", {}, "refusing to serve metrics on :0", ":0");
        // Past the refusal, the system's own answer: not an address of this machine.
        error("elsewhere, allowed", {}, "cannot listen on 192.0.2.1:0", "192.0.2.1:0", true);
        error("elsewhere, with users", users, "cannot listen", "192.0.2.1:0");
        error("elsewhere, with TLS", tls, "cannot listen on [2001:db8::", "[2001:db8::1]:0");
        error("no port", {}, "has no port", "127.0.0.1");
        error("port too large", {}, "not a port number", "127.0.0.1:65536");
        error("IPv6 without brackets", {}, "not an IPv4 address", "::1:0");
        error("host name", {}, "not an IPv4", "example.org:0");
        error("empty file", "", "");
        error("not YAML", "tls_server_config: [cert", "not YAML");
        error("a list", "- tls_server_config\n", "is not a mapping");
        error("unknown key", "http_server_config:\n  http2: false\n",
              "unknown key http_server_config");
        error("unknown TLS key", tls + "  min_version: TLS13\n", "unknown key min_version");
        error("no key file", "tls_server_config:\n  cert_file: cert.pem\n",
              "needs both cert_file and key_file");
        error("missing certificate",
              "tls_server_config:\n  cert_file: none.pem\n  key_file: key.pem\n",
              "cannot read the certificate");
        error("key as certificate",
              "tls_server_config:\n  cert_file: key.pem\n  key_file: key.pem\n",
              "no PEM certificate");
        error("certificate as key",
              "tls_server_config:\n  cert_file: cert.pem\n  key_file: cert.pem\n",
              "no unencrypted PEM RSA or EC private key");
        error("MD5 crypt", "basic_auth_users:\n  a: $1$salt$abcdefghij\n",
              "the hash of a (line 2) is not a bcrypt hash");
        error("cut bcrypt", users.chopped(2) + "\n", "is not a bcrypt hash");
        error("user twice", users + users.mid(18), "a given twice");
        error("colon in a name", "basic_auth_users:\n  \"a:b\": " + bcrypt("x"),
              "\"a:b\" cannot be a user name");
    }
    void startErrors() {
        QFETCH(QString, address);
        QFETCH(QByteArray, webConfig);
        QFETCH(bool, listenAny);
        QFETCH(QString, error);
        const QString path =
            QTest::currentDataTag() == QLatin1String("empty file") || !webConfig.isEmpty()
                ? file("web.yml", webConfig)
                : QString();
        MetricsServer server;
        QString reason;
        QCOMPARE(server.start({address, path, listenAny}, &reason), error.isEmpty());
        QVERIFY2(reason.contains(error), qPrintable(reason));
        if (error.isEmpty() && !webConfig.contains("tls")) {
            const QString host = address.startsWith('[') ? "::1" : "127.0.0.1";
            QCOMPARE(status(exchange(*connected(server.port(), host), get(basic("a:x")))), 200);
        }
    }

    void unreadableOrBusy() {
        MetricsServer server;
        QString error;
        QVERIFY(!server.start({"127.0.0.1:0", m_dir.filePath("none.yml")}, &error));
        QVERIFY2(error.contains("none.yml: cannot read it"), qPrintable(error));
        const auto first = started();
        QVERIFY(first);
        QVERIFY(!server.start({QStringLiteral("127.0.0.1:%1").arg(first->port()), {}}, &error));
        QVERIFY2(error.contains("in use"), qPrintable(error));
        QVERIFY(server.start({"127.0.0.1:0", {}}, &error) && server.port() != 0);
        QVERIFY(!first->start({"127.0.0.1:0", {}}, &error));
        QVERIFY2(error.contains("already listening"), qPrintable(error));
        QCOMPARE(status(exchange(*connected(first->port()), get())), 200);
    }
};

QTEST_GUILESS_MAIN(TestMetricsServer)
#include "test_metrics_server.moc"
