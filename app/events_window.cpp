#include "app/events_window.h"

#include "record/event_log.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

EventsWindow::EventsWindow(EventLog* log, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("EventsWindow"));
    setWindowTitle(QStringLiteral("Events — Brisco_v20E"));
    auto* note = new QLabel(QStringLiteral("Newest first, the last %1 of this session; while "
                                           "recording also in <name>-events.csv beside the "
                                           "recording.")
                                .arg(EventLog::kCapacity));
    note->setObjectName(QStringLiteral("Events_Note"));
    note->setAccessibleDescription(note->objectName());
    note->setTextFormat(Qt::PlainText);
    note->setWordWrap(true);
    auto* table = new QTableView;
    table->setObjectName(QStringLiteral("Events_Table"));
    table->setAccessibleDescription(table->objectName());
    table->setAccessibleName(QStringLiteral("Events"));
    table->setModel(log);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setAlternatingRowColors(true);
    table->setWordWrap(false);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(table);
    resize(760, 420);
}
