#include "app/link_line.h"

#include "app/events_window.h"
#include "app/trends_window.h"
#include "record/event_log.h"
#include "record/session_log.h"
#include "widgets/file_places.h"
#include "widgets/message_box.h"

#include <QAccessible>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

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

LinkLine::LinkLine(SessionLog& log, QWidget* parent)
    : QWidget(parent)
    , m_log(log)
    , m_text(new QLabel)
    , m_alarm(new QLabel)
    , m_record(new QPushButton)
    , m_trendsButton(new QPushButton(QStringLiteral("Trends")))
    , m_eventsButton(new QPushButton(QStringLiteral("Events"))) {
    setObjectName(QStringLiteral("LinkLine"));
    m_text->setObjectName(QStringLiteral("Link_Text"));
    m_text->setAccessibleDescription(m_text->objectName());
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_record->setObjectName(QStringLiteral("Record_Command"));
    m_record->setAccessibleDescription(m_record->objectName());
    m_trendsButton->setObjectName(QStringLiteral("Trends_Command"));
    m_trendsButton->setAccessibleDescription(m_trendsButton->objectName());
    m_eventsButton->setObjectName(QStringLiteral("Events_Command"));
    m_eventsButton->setAccessibleDescription(m_eventsButton->objectName());
    m_alarm->setObjectName(QStringLiteral("Alarm_Text"));
    m_alarm->setAccessibleDescription(m_alarm->objectName());
    m_alarm->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_alarm->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold"));
    m_alarm->hide();
    auto* row = new QHBoxLayout;
    row->addWidget(m_text, 1);
    row->addWidget(m_record);
    row->addWidget(m_trendsButton);
    row->addWidget(m_eventsButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(row);
    layout->addWidget(m_alarm);
    connect(m_record, &QPushButton::clicked, this, &LinkLine::Record_Command_Click);
    connect(m_trendsButton, &QPushButton::clicked, this, &LinkLine::Trends_Command_Click);
    connect(m_eventsButton, &QPushButton::clicked, this, &LinkLine::Events_Command_Click);
    connect(&m_log, &SessionLog::recordingChanged, this, &LinkLine::showRecording);
    // Told once the writer has finished, outside any tick.
    connect(&m_log, &SessionLog::recordingEnded, this,
            [this](const QString& message) { showMessage(window(), message); });
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

// As the link's warning: its text is its name, and its colour is not heard.
void LinkLine::showAlarm(const QString& text, bool announce) {
    m_alarm->setText(text);
    m_alarm->setVisible(!text.isEmpty());
    if (announce) {
        QAccessibleEvent alert(m_alarm, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }
}

bool LinkLine::startRecording(const QString& path) {
    QString error;
    if (!m_log.startRecording(path, &error)) {
        showMessage(window(), error + u'.');
        return false;
    }
    return true;
}

// The count is of rows on the disk; while the last are written the button waits.
void LinkLine::showRecording() {
    switch (m_log.recording()) {
    case SessionLog::Recording::Off:
        m_record->setText(QStringLiteral("Record…"));
        break;
    case SessionLog::Recording::On:
        m_record->setText(QStringLiteral("Stop recording (%1 rows)").arg(m_log.rowsWritten()));
        break;
    case SessionLog::Recording::Finishing:
        m_record->setText(QStringLiteral("Writing the last rows…"));
        break;
    }
    m_record->setEnabled(m_log.recording() != SessionLog::Recording::Finishing);
}

void LinkLine::Record_Command_Click() {
    if (m_log.recording() != SessionLog::Recording::Off) {
        m_log.stopRecording();
        return;
    }
    const QString name =
        QDateTime::currentDateTime().toString(QStringLiteral("'brisco-'yyyy-MM-dd-HHmmss'.csv'"));
    const QString path = askSavePath(
        window(), QStringLiteral("Record the status replies"), QStandardPaths::DocumentsLocation,
        name, QStringLiteral("CSV files (*.csv)"), QStringLiteral("csv"), false);
    if (path.isEmpty()) {
        return;
    }
    // The events go beside the rows: both are replaced, so both are asked about.
    QStringList taken;
    for (const QString& file : {path, SessionLog::eventsPath(path)}) {
        if (QFileInfo::exists(file)) {
            taken << QFileInfo(file).fileName();
        }
    }
    if (taken.isEmpty() ||
        askQuestion(window(), taken.size() == 1
                                  ? QStringLiteral("%1 already exists. Replace it?").arg(taken[0])
                                  : QStringLiteral("%1 and %2 already exist. Replace them?")
                                        .arg(taken[0], taken[1]))) {
        startRecording(path);
    }
}

void LinkLine::Trends_Command_Click() {
    if (!m_trendsWindow) {
        m_trendsWindow = new TrendsWindow(m_log.trends(), m_log.events(), window());
    }
    m_trendsWindow->refresh();
    m_trendsWindow->show();
    m_trendsWindow->raise();
    m_trendsWindow->activateWindow();
}

void LinkLine::Events_Command_Click() {
    if (!m_eventsWindow) {
        m_eventsWindow = new EventsWindow(
            m_log.events(),
            QStringLiteral("Newest first, the last %1 of this session; while recording also in "
                           "<name>-events.csv beside the recording.")
                .arg(EventLog::kCapacity),
            window());
    }
    m_eventsWindow->show();
    m_eventsWindow->raise();
    m_eventsWindow->activateWindow();
}
