#include "app/link_line.h"

#include "app/trends_window.h"
#include "widgets/message_box.h"

#include <QAccessible>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>

namespace {

constexpr int kTicksPerSecond = 4;

QString describe(const LinkState& state, bool* warning) {
    const QString port = state.port.isEmpty() ? QStringLiteral("No port") : state.port;
    *warning = state.lost;
    if (!state.open) {
        return state.lost ? port + QStringLiteral(": the adapter is gone, the port was closed")
                          : port + QStringLiteral(": port closed");
    }
    const auto& counters = state.counters;
    const qint64 seconds = counters.ticksSinceStatus / kTicksPerSecond;
    QString reply;
    if (counters.stale()) {
        *warning = true;
        reply = QStringLiteral("No reply for %1 s").arg(seconds);
    } else if (counters.statusFrameNo == 0) {
        reply = QStringLiteral("waiting for the first reply");
    } else {
        reply = seconds == 0 ? QStringLiteral("last reply just now")
                             : QStringLiteral("last reply %1 s ago").arg(seconds);
    }
    return QStringList{port, reply, QStringLiteral("%1 replies").arg(counters.statusFrameNo),
                       QStringLiteral("%1 bad checksums").arg(counters.checksumErrors),
                       QStringLiteral("%1 refusals").arg(counters.refusals)}
        .join(QStringLiteral("  ·  "));
}

} // namespace

LinkLine::LinkLine(QWidget* parent)
    : QWidget(parent)
    , m_text(new QLabel)
    , m_record(new QPushButton)
    , m_trendsButton(new QPushButton(QStringLiteral("Trends"))) {
    setObjectName(QStringLiteral("LinkLine"));
    m_text->setObjectName(QStringLiteral("Link_Text"));
    m_text->setAccessibleDescription(m_text->objectName());
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_record->setObjectName(QStringLiteral("Record_Command"));
    m_record->setAccessibleDescription(m_record->objectName());
    m_trendsButton->setObjectName(QStringLiteral("Trends_Command"));
    m_trendsButton->setAccessibleDescription(m_trendsButton->objectName());
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_record);
    layout->addWidget(m_trendsButton);
    connect(m_record, &QPushButton::clicked, this, &LinkLine::Record_Command_Click);
    connect(m_trendsButton, &QPushButton::clicked, this, &LinkLine::Trends_Command_Click);
    showRecording();
    showLink({});
}

// The label's text is its accessible name (a new text is told as a new
// name); a warning that comes up is announced, as its colour is not heard.
void LinkLine::showLink(const LinkState& state) {
    bool warning = false;
    const QString text = describe(state, &warning);
    if (text != m_text->text()) {
        m_text->setText(text);
    }
    if (warning && !m_warning) {
        QAccessibleEvent alert(m_text, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }
    if (warning != m_warning) {
        m_warning = warning;
        m_text->setStyleSheet(warning ? QStringLiteral("color: #b00000; font-weight: bold")
                                      : QString());
    }
}

void LinkLine::statusDecoded(const QDateTime& at, const brisco::display::StatusValues& values) {
    m_trends.append(at.toMSecsSinceEpoch(), values);
    if (m_trendsWindow && m_trendsWindow->isVisible()) {
        m_trendsWindow->refreshSoon();
    }
    if (!m_recorder.recording()) {
        return;
    }
    QString error;
    if (!m_recorder.record(at, values, &error)) {
        showRecording();
        showMessage(window(), QStringLiteral("Recording stopped: %1 cannot be written (%2). "
                                             "Monitoring goes on.")
                                  .arg(QDir::toNativeSeparators(m_recorder.path()), error));
        return;
    }
    showRecording();
}

bool LinkLine::startRecording(const QString& path) {
    QString error;
    const bool started = m_recorder.start(path, &error);
    showRecording();
    if (!started) {
        showMessage(window(), QStringLiteral("%1 cannot be written (%2).")
                                  .arg(QDir::toNativeSeparators(path), error));
    }
    return started;
}

void LinkLine::stopRecording() {
    m_recorder.stop();
    showRecording();
}

void LinkLine::showRecording() {
    m_record->setText(m_recorder.recording()
                          ? QStringLiteral("Stop recording (%1 rows)").arg(m_recorder.rows())
                          : QStringLiteral("Record…"));
}

void LinkLine::Record_Command_Click() {
    if (m_recorder.recording()) {
        stopRecording();
        return;
    }
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString name =
        QDateTime::currentDateTime().toString(QStringLiteral("'brisco-'yyyy-MM-dd-HHmmss'.csv'"));
    const QString path = QFileDialog::getSaveFileName(
        window(), QStringLiteral("Record the status replies"), QDir(folder).filePath(name),
        QStringLiteral("CSV files (*.csv)"));
    if (!path.isEmpty()) {
        startRecording(path);
    }
}

void LinkLine::Trends_Command_Click() {
    if (!m_trendsWindow) {
        m_trendsWindow = new TrendsWindow(m_trends, window());
    }
    m_trendsWindow->refresh();
    m_trendsWindow->show();
    m_trendsWindow->raise();
    m_trendsWindow->activateWindow();
}
