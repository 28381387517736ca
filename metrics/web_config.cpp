#include "metrics/web_config.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSslKey>
#include <QSslSocket>

#include <crypt.h>
#include <yaml-cpp/yaml.h>

#include <algorithm>
#include <set>
#include <string>

namespace brisco::metrics {

namespace {

// Thrown at the first fault, caught once in load().
struct Fault {
    QString text;
};

QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

QString where(const YAML::Node& node) {
    return QStringLiteral("line %1").arg(node.Mark().line + 1);
}

// The entries of a mapping, each key once, every key one of known.
std::vector<std::pair<std::string, YAML::Node>> entries(const YAML::Node& node, const QString& name,
                                                        std::initializer_list<const char*> known) {
    if (!node.IsMap()) {
        throw Fault{QStringLiteral("%1 (%2) is not a mapping").arg(name, where(node))};
    }
    std::vector<std::pair<std::string, YAML::Node>> result;
    std::set<std::string> seen;
    for (const auto& entry : node) {
        const std::string key = entry.first.Scalar();
        if (!seen.insert(key).second) {
            throw Fault{
                QStringLiteral("%1: %2 given twice (%3)").arg(name, qt(key), where(entry.first))};
        }
        if (known.size() > 0 &&
            std::none_of(known.begin(), known.end(), [&](const char* k) { return key == k; })) {
            QStringList names;
            for (const char* k : known) {
                names.append(QString::fromLatin1(k));
            }
            throw Fault{QStringLiteral("%1: unknown key %2 (%3); known: %4")
                            .arg(name, qt(key), where(entry.first), names.join(u", "))};
        }
        result.emplace_back(key, entry.second);
    }
    return result;
}

QString text(const YAML::Node& node, const QString& name) {
    if (!node.IsScalar() || node.Scalar().empty()) {
        throw Fault{QStringLiteral("%1 (%2) is not a text").arg(name, where(node))};
    }
    return qt(node.Scalar());
}

QByteArray readFile(const QString& path, const QString& what) {
    QFile file(path);
    // The file itself is named once, by load().
    const QString named = what.isEmpty() ? QStringLiteral("it") : what + u' ' + path;
    if (!file.open(QIODevice::ReadOnly)) {
        throw Fault{QStringLiteral("cannot read %1: %2").arg(named, file.errorString())};
    }
    if (file.size() > WebConfig::kLargestFile) {
        throw Fault{QStringLiteral("%1 is too large").arg(named)};
    }
    return file.readAll();
}

QSslConfiguration tlsConfiguration(const YAML::Node& node, const QDir& folder) {
    QString certFile;
    QString keyFile;
    for (const auto& [key, value] :
         entries(node, QStringLiteral("tls_server_config"), {"cert_file", "key_file"})) {
        (key == "cert_file" ? certFile : keyFile) =
            folder.absoluteFilePath(text(value, QStringLiteral("tls_server_config.") + qt(key)));
    }
    if (certFile.isEmpty() || keyFile.isEmpty()) {
        throw Fault{QStringLiteral("tls_server_config needs both cert_file and key_file")};
    }
    const QList<QSslCertificate> chain =
        QSslCertificate::fromData(readFile(certFile, QStringLiteral("the certificate")));
    if (chain.isEmpty()) {
        throw Fault{QStringLiteral("no PEM certificate in %1").arg(certFile)};
    }
    const QByteArray keyData = readFile(keyFile, QStringLiteral("the key"));
    QSslKey key(keyData, QSsl::Rsa);
    if (key.isNull()) {
        key = QSslKey(keyData, QSsl::Ec);
    }
    if (key.isNull()) {
        throw Fault{QStringLiteral("no unencrypted PEM RSA or EC private key in %1").arg(keyFile)};
    }
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificateChain(chain);
    tls.setPrivateKey(key);
    tls.setProtocol(QSsl::TlsV1_2OrLater);
    // Scrapers are told apart by their password, not by a certificate.
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    return tls;
}

QMap<QString, QByteArray> userHashes(const YAML::Node& node) {
    static const QRegularExpression bcrypt(
        QStringLiteral("^\\$2[aby]\\$\\d\\d\\$[./A-Za-z0-9]{53}$"));
    QMap<QString, QByteArray> result;
    for (const auto& [name, value] : entries(node, QStringLiteral("basic_auth_users"), {})) {
        const QString user = qt(name);
        // Basic authentication ends the name at the first colon.
        if (user.isEmpty() || user.contains(u':')) {
            throw Fault{QStringLiteral("basic_auth_users: \"%1\" cannot be a user name").arg(user)};
        }
        const QString hash = text(value, QStringLiteral("the hash of ") + user);
        if (!bcrypt.match(hash).hasMatch() || crypt_checksalt(hash.toLatin1()) != CRYPT_SALT_OK) {
            throw Fault{QStringLiteral("basic_auth_users: the hash of %1 (%2) is not a bcrypt hash "
                                       "($2y$, $2b$ or $2a$)")
                            .arg(user, where(value))};
        }
        result.insert(user, hash.toLatin1());
    }
    return result;
}

} // namespace

std::optional<WebConfig> WebConfig::load(const QString& path, QString* error) {
    try {
        const QByteArray data = readFile(path, QString());
        YAML::Node root;
        try {
            root = YAML::Load(data.toStdString());
        } catch (const YAML::Exception& e) {
            throw Fault{QStringLiteral("not YAML: %1").arg(qt(e.what()))};
        }
        WebConfig config;
        if (root.IsNull()) {
            return config;
        }
        const QDir folder = QFileInfo(path).absoluteDir();
        for (const auto& [key, value] :
             entries(root, QStringLiteral("the file"), {"tls_server_config", "basic_auth_users"})) {
            if (key == "tls_server_config") {
                config.tls = tlsConfiguration(value, folder);
            } else {
                config.users = userHashes(value);
            }
        }
        return config;
    } catch (const Fault& fault) {
        *error = QStringLiteral("web configuration file %1: %2").arg(path, fault.text);
    } catch (const YAML::Exception& e) {
        *error = QStringLiteral("web configuration file %1: %2").arg(path, qt(e.what()));
    }
    return std::nullopt;
}

} // namespace brisco::metrics
