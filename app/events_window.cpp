#include "app/events_window.h"

#include "record/event_log.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

EventsWindow::EventsWindow(EventLog* log, const QString& note, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("EventsWindow"));
    setWindowTitle(QStringLiteral("Events — Brisco_v20E"));
    auto* shown = new QLabel(note);
    shown->setObjectName(QStringLiteral("Events_Note"));
    shown->setAccessibleDescription(shown->objectName());
    shown->setTextFormat(Qt::PlainText);
    shown->setWordWrap(true);
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
    layout->addWidget(shown);
    layout->addWidget(table);
    resize(760, 420);
}
