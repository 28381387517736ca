#include "widgets/entry_check.h"

#include "settings/entry_rules.h"
#include "widgets/message_box.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTimer>

EntryCheck::EntryCheck(QLineEdit* box, const brisco::settings::Range& range, const QString& message)
    : QObject(box)
    , m_box(box)
    , m_range(range)
    , m_message(message) {
    setObjectName(box->objectName() + QStringLiteral("_Validate"));
    box->installEventFilter(this);
}

bool EntryCheck::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_box && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // The focus has already moved when the box hears of it.
        const QWidget* next = QApplication::focusWidget();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && next &&
            next->window() == m_box->window()) {
            validate();
        }
    } else if (event->type() == QEvent::MouseButtonRelease && !m_pending.isEmpty()) {
        // The release still has to reach the button: answer once it has.
        qApp->removeEventFilter(this);
        QTimer::singleShot(0, this, [this] { showAfterTheClick(); });
    }
    return false;
}

// A modal box shown between the press and the release of a click would
// swallow the click, so the message waits for the end of the click.
void EntryCheck::validate() {
    if (brisco::settings::withinRange(m_range, m_box->text())) {
        return;
    }
    m_pending = m_message;
    if (QApplication::mouseButtons() != Qt::NoButton) {
        qApp->installEventFilter(this);
    } else {
        QTimer::singleShot(0, this, [this] { showAfterTheClick(); });
    }
}

void EntryCheck::showAfterTheClick() {
    const QString message = std::exchange(m_pending, QString());
    if (!message.isEmpty()) {
        showMessage(m_box->window(), message);
    }
}
