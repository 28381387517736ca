// The bus window: the controllers found on the line, one row each, the
// progress of the scan, and the way to make the main window follow one of
// them. It shows the station's bus model, starts and cancels the scan, and
// keeps the controllers found polled in turn while it is open.
#pragma once

#include <QWidget>

#include <cstdint>

class QLabel;
class QPushButton;
class QTableView;

namespace brisco::bus {
class BusModel;
}
namespace brisco::station {
class Station;
}

class BusWindow : public QWidget {
    Q_OBJECT

public:
    BusWindow(brisco::station::Station& station, QWidget* parent = nullptr);

    // A scan from address 1, unless one runs; the controllers found are
    // polled in turn from now on.
    void scan();
    // "Scanning 7 of 20" while a scan runs, else what it found; and the
    // replies dropped because nobody waited for them.
    void showScan();

    void Monitor_Command_Click();
    void BusScan_Command_Click();

signals:
    void monitorRequested(std::uint8_t address);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void fitColumns();

    brisco::station::Station& m_station;
    brisco::bus::BusModel& m_model;
    QLabel* m_progress;
    QTableView* m_table;
    QPushButton* m_scan;
    QPushButton* m_monitor;
    bool m_scanning = false;
};
