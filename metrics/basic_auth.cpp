#include "metrics/basic_auth.h"

#include <QCryptographicHash>

#include <crypt.h>

#include <memory>

namespace brisco::metrics {

namespace {

// Compares every byte whatever differs, so that the time taken tells nothing
// of how much of a hash matched.
bool sameBytes(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size()) {
        return false;
    }
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i) {
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    }
    return difference == 0;
}

bool bcryptMatches(const QByteArray& password, const QByteArray& hash) {
    // Large (tens of kilobytes) and to be zeroed before its first use.
    const auto data = std::make_unique<crypt_data>();
    const char* result = crypt_rn(password.constData(), hash.constData(), data.get(), sizeof *data);
    return result && sameBytes(QByteArray(result), hash);
}

} // namespace

BasicAuth::BasicAuth(QMap<QString, QByteArray> users)
    : m_users(std::move(users)) {}

bool BasicAuth::allows(const QByteArray& authorization) {
    if (m_users.isEmpty()) {
        return true;
    }
    const qsizetype space = authorization.indexOf(' ');
    if (space < 0 || authorization.left(space).toLower() != "basic") {
        return false;
    }
    const auto decoded = QByteArray::fromBase64Encoding(authorization.mid(space + 1).trimmed(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    const qsizetype colon = decoded.decoded.indexOf(':');
    if (!decoded || colon < 0) {
        return false;
    }
    const QString user = QString::fromUtf8(decoded.decoded.left(colon));
    const QByteArray password = decoded.decoded.mid(colon + 1);
    // bcrypt reads 72 bytes up to the first zero byte: a longer password, or
    // one with a zero byte, would pass on its beginning alone.
    if (password.size() > kLongestPassword || password.contains('\0')) {
        return false;
    }
    // An unknown user costs a bcrypt check as well, against a hash of the same
    // cost, so that the time taken does not tell which names exist.
    const bool known = m_users.contains(user);
    const QByteArray hash = known ? m_users.value(user) : m_users.first();
    const QByteArray remembered =
        QCryptographicHash::hash(decoded.decoded + '\0' + hash, QCryptographicHash::Sha256);
    if (known && m_passed.contains(remembered)) {
        return true;
    }
    if (!bcryptMatches(password, hash) || !known) {
        return false;
    }
    if (m_passed.size() >= kRemembered) {
        m_passed.clear();
    }
    m_passed.insert(remembered);
    return true;
}

} // namespace brisco::metrics
