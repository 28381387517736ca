// Basic authentication against the bcrypt hashes of the web configuration
// file. A bcrypt check costs tens of milliseconds, so credentials that passed
// are remembered (as a digest, never as the password) and a scrape every
// second pays it once.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QSet>
#include <QString>

namespace brisco::metrics {

class BasicAuth {
public:
    // Enough for every scraper of an agent; beyond it all are checked again.
    static constexpr qsizetype kRemembered = 64;
    static constexpr qsizetype kLongestPassword = 72;

    // No users: every request passes.
    explicit BasicAuth(QMap<QString, QByteArray> users);

    // The value of a request's Authorization header (empty when it has none).
    bool allows(const QByteArray& authorization);

private:
    QMap<QString, QByteArray> m_users;
    QSet<QByteArray> m_passed;
};

} // namespace brisco::metrics
