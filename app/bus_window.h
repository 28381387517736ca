// The bus window: the controllers found on the line, one row each, the
// progress of the scan, and the way to make the main window follow one of
// them. It only shows the bus model and says what the operator chose.
#pragma once

#include <QWidget>

#include <cstdint>

class QLabel;
class QPushButton;
class QTableView;

namespace brisco::bus {
class BusModel;
}

class BusWindow : public QWidget {
    Q_OBJECT

public:
    BusWindow(brisco::bus::BusModel& model, QWidget* parent = nullptr);

    // "Scanning 7 of 20" while a scan runs, else what it found; and the
    // replies dropped because nobody waited for them.
    void showScan(bool scanning, int scanned, qint64 dropped);

    void Monitor_Command_Click();
    void BusScan_Command_Click();

signals:
    void monitorRequested(std::uint8_t address);
    void scanRequested();
    void cancelScanRequested();
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void fitColumns();

    brisco::bus::BusModel& m_model;
    QLabel* m_progress;
    QTableView* m_table;
    QPushButton* m_scan;
    QPushButton* m_monitor;
    bool m_scanning = false;
};
