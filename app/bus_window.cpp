#include "app/bus_window.h"

#include "bus/bus_model.h"
#include "bus/bus_schedule.h"
#include "station/station.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

using brisco::bus::BusModel;

namespace {

// Behind the row of a controller with a red lamp.
const QColor kAlarmBackground(255, 200, 200);

// The row of the controller shown in bold, a stale row greyed, a row in alarm
// in the alarm colour.
class RowLook : public QStyledItemDelegate {
public:
    RowLook(const BusModel& model, QObject* parent)
        : QStyledItemDelegate(parent)
        , m_model(model) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (m_model.stale(index.row())) {
            option->palette.setColor(QPalette::Text,
                                     option->palette.color(QPalette::Disabled, QPalette::Text));
        }
        option->font.setBold(m_model.addressAt(index.row()) == m_model.shown());
        if (m_model.alarmed(index.row())) {
            option->backgroundBrush = kAlarmBackground;
        }
    }

private:
    const BusModel& m_model;
};

void name(QWidget* widget, const QString& objectName, const QString& spokenName) {
    widget->setObjectName(objectName);
    widget->setAccessibleDescription(objectName);
    widget->setAccessibleName(spokenName);
}

} // namespace

BusWindow::BusWindow(brisco::station::Station& station, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_station(station)
    , m_model(station.sequencer().busModel())
    , m_progress(new QLabel)
    , m_table(new QTableView)
    , m_scan(new QPushButton)
    , m_monitor(new QPushButton(QStringLiteral("Monitor"))) {
    setWindowTitle(QStringLiteral("Bus"));
    name(this, QStringLiteral("Bus_Form"), windowTitle());
    // Read out by its text, which follows the scan.
    m_progress->setObjectName(QStringLiteral("BusProgress_Text"));
    m_progress->setAccessibleDescription(m_progress->objectName());
    name(m_table, QStringLiteral("Bus_Table"), QStringLiteral("Controllers on the bus"));
    m_scan->setObjectName(QStringLiteral("BusScan_Command"));
    m_scan->setAccessibleDescription(m_scan->objectName());
    m_monitor->setObjectName(QStringLiteral("Monitor_Command"));
    m_monitor->setAccessibleDescription(m_monitor->objectName());
    m_monitor->setEnabled(false);

    m_table->setModel(&m_model);
    m_table->setItemDelegate(new RowLook(m_model, m_table));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    // Fitted when a controller is found, not on every refresh, which would
    // measure every cell again four times a second.
    connect(&m_model, &QAbstractItemModel::rowsInserted, this, &BusWindow::fitColumns);
    connect(&m_station, &brisco::station::Station::ticked, this, &BusWindow::showScan);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_scan);
    buttons->addWidget(m_monitor);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_progress);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    m_table->setMinimumHeight(160);
    fitColumns();

    connect(m_monitor, &QPushButton::clicked, this, &BusWindow::Monitor_Command_Click);
    connect(m_scan, &QPushButton::clicked, this, &BusWindow::BusScan_Command_Click);
    connect(m_table, &QTableView::doubleClicked, this, &BusWindow::Monitor_Command_Click);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { m_monitor->setEnabled(m_table->selectionModel()->hasSelection()); });
    showScan();
}

// Every column in sight, the window wider where a new row needs it.
void BusWindow::fitColumns() {
    m_table->resizeColumnsToContents();
    // Room for the longest state, which a row may reach later.
    QFont bold = m_table->font();
    bold.setBold(true);
    m_table->setColumnWidth(
        BusModel::State,
        std::max(m_table->columnWidth(BusModel::State),
                 QFontMetrics(bold).horizontalAdvance(QStringLiteral("monitored, stale")) + 12));
    m_table->setMinimumWidth(m_table->horizontalHeader()->length() + 2 * m_table->frameWidth() +
                             m_table->verticalScrollBar()->sizeHint().width());
}

void BusWindow::scan() {
    auto& sequencer = m_station.sequencer();
    if (!sequencer.busSchedule().scanning()) {
        sequencer.startBusScan();
    }
    sequencer.watchBus(true);
    showScan();
}

void BusWindow::showScan() {
    const auto& schedule = m_station.sequencer().busSchedule();
    const bool scanning = schedule.scanning();
    const int scanned = schedule.scanned();
    const qint64 dropped = m_station.counters().foreignReplies;
    m_scanning = scanning;
    m_scan->setText(scanning ? QStringLiteral("Cancel scan") : QStringLiteral("Scan again"));
    const int found = m_model.rowCount();
    QString text =
        scanning ? QStringLiteral("Scanning %1 of %2").arg(scanned).arg(brisco::bus::kLastAddress)
        : found == 0 ? QStringLiteral("No controller found")
        : found == 1 ? QStringLiteral("1 controller found")
                     : QStringLiteral("%1 controllers found").arg(found);
    if (dropped > 0) {
        text += QStringLiteral("  ·  %1 late replies dropped").arg(dropped);
    }
    m_progress->setText(text);
}

void BusWindow::Monitor_Command_Click() {
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    if (!rows.isEmpty()) {
        emit monitorRequested(m_model.addressAt(rows.first().row()));
    }
}

void BusWindow::BusScan_Command_Click() {
    if (m_scanning) {
        m_station.sequencer().cancelBusScan();
        showScan();
    } else if (m_station.isOpen()) {
        scan();
    }
}

// The controllers found are no longer polled in turn.
void BusWindow::closeEvent(QCloseEvent* event) {
    m_station.sequencer().cancelBusScan();
    m_station.sequencer().watchBus(false);
    event->accept();
}
