// The controllers found on the bus, one row each in address order: what
// their device information says, their latest status values, how long ago
// they last answered and whether what the row shows is still live. Time is
// counted in poll ticks. A QtCore table that the bus window only shows.
#pragma once

#include "bus/bus_schedule.h"
#include "display/status_values.h"
#include "protocol/frame_scan.h"

#include <QAbstractTableModel>
#include <QList>

#include <cstdint>
#include <optional>
#include <vector>

namespace brisco::protocol {
class ReceiveRing;
}

namespace brisco::bus {

class BusModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column {
        Address,
        Model,
        Board,
        Software,
        InnerTemp,
        OuterTemp,
        DcVoltage,
        RedAlarms,
        LastReply,
        State,
        ColumnCount
    };
    static constexpr int kTicksPerSecond = 4;
    // A row whose latest request went unanswered is stale once its last good
    // reply is more than three seconds old.
    static constexpr int kStaleTicks = 3 * kTicksPerSecond;

    using QAbstractTableModel::QAbstractTableModel;

    // A reply with a matching checksum from this address, at the read index
    // of ring. A device-information text that splits makes the address's row,
    // or renews it; a status reply refreshes a row's values; any reply shows
    // that the controller is there.
    void replied(std::uint8_t from, protocol::ReplyKind kind, const protocol::ReceiveRing& ring);
    // A request went out to this address.
    void asked(std::uint8_t address);
    // One poll tick has passed.
    void tick();
    // The address that the main window follows.
    void setShown(std::uint8_t address);
    // Ticks that an answer is waited for, as the schedule waits.
    void setWaitTicks(int ticks) { m_waitTicks = ticks; }

    std::vector<std::uint8_t> addresses() const;
    std::uint8_t addressAt(int row) const;
    std::uint8_t shown() const { return m_shown; }
    // What its device information says; empty while unknown.
    QString modelOf(std::uint8_t address) const;
    bool stale(int row) const;
    // A lamp of the row's latest status reply is red.
    bool alarmed(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct Row {
        std::uint8_t address = 0;
        QString model;
        QString board;
        QString software;
        std::optional<display::StatusValues> status;
        qint64 lastGood = 0;
        std::optional<qint64> askedAt; // the first request still unanswered
    };

    int indexOf(std::uint8_t address) const;
    // What an operator calls each red lamp of the row's latest status reply.
    QStringList redLamps(int at) const;
    QString text(int at, int column) const;
    // Columns first..last of rows row..lastRow (row alone by default).
    void changed(int row, int first, int last, int lastRow = -1);

    QList<Row> m_rows;
    qint64 m_now = 0;
    int m_waitTicks = BusSchedule::kWaitTicks;
    std::uint8_t m_shown = 0;
};

} // namespace brisco::bus
