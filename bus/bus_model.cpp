#include "bus/bus_model.h"

#include "bus/bus_schedule.h"
#include "display/lamp_table.h"
#include "display/text_forms.h"
#include "protocol/device_info.h"
#include "protocol/receive_ring.h"

#include <algorithm>
#include <array>

namespace brisco::bus {

namespace {

QString latin1(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString temperatureText(const std::optional<double>& value, display::Sensor sensor) {
    if (value) {
        return display::decimalText(*value, QLocale());
    }
    return sensor == display::Sensor::Open ? QStringLiteral("Open") : QStringLiteral("Short");
}

} // namespace

int BusModel::indexOf(std::uint8_t address) const {
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].address == address) {
            return i;
        }
    }
    return -1;
}

void BusModel::replied(std::uint8_t from, protocol::ReplyKind kind,
                       const protocol::ReceiveRing& ring) {
    if (from == 0) {
        return; // the broadcast address is nobody's row
    }
    int at = indexOf(from);
    if (kind == protocol::ReplyKind::DeviceInfo) {
        if (const auto info = protocol::splitDeviceInfo(protocol::deviceInfoText(ring))) {
            Row found{from,
                      latin1(info->model),
                      latin1(info->version),
                      latin1(info->softwareVersion),
                      {},
                      m_now,
                      {}};
            if (at >= 0) {
                found.status = m_rows[at].status;
                m_rows[at] = found;
                changed(at, Model, Software);
            } else {
                // Complete before it is inserted, so that a view fits its columns to it.
                at = static_cast<int>(
                    std::count_if(m_rows.begin(), m_rows.end(),
                                  [from](const Row& row) { return row.address < from; }));
                beginInsertRows({}, at, at);
                m_rows.insert(at, found);
                endInsertRows();
            }
        }
    }
    if (at < 0) {
        return;
    }
    Row& row = m_rows[at];
    if (kind == protocol::ReplyKind::Status) {
        std::array<std::uint8_t, protocol::kStatusReplyLength> reply{};
        for (int k = 0; k < protocol::kStatusReplyLength; ++k) {
            reply[static_cast<std::size_t>(k)] = ring.at(k);
        }
        const bool alarmedBefore = alarmed(at);
        row.status = display::statusValues(reply);
        // The whole row takes or leaves the alarm colour.
        if (alarmed(at) != alarmedBefore) {
            changed(at, Address, State);
        } else {
            changed(at, InnerTemp, RedAlarms);
        }
    }
    row.lastGood = m_now;
    row.askedAt.reset();
    changed(at, LastReply, State);
}

void BusModel::asked(std::uint8_t address) {
    const int at = indexOf(address);
    if (at >= 0 && !m_rows[at].askedAt) {
        m_rows[at].askedAt = m_now;
    }
}

void BusModel::tick() {
    ++m_now;
    if (!m_rows.isEmpty()) {
        changed(0, LastReply, State, rowCount() - 1);
    }
}

void BusModel::setShown(std::uint8_t address) {
    if (address == m_shown) {
        return;
    }
    const int before = indexOf(m_shown);
    m_shown = address;
    for (const int at : {before, indexOf(address)}) {
        if (at >= 0) {
            changed(at, State, State);
        }
    }
}

std::vector<std::uint8_t> BusModel::addresses() const {
    std::vector<std::uint8_t> all;
    for (const Row& row : m_rows) {
        all.push_back(row.address);
    }
    return all;
}

QString BusModel::modelOf(std::uint8_t address) const {
    const int at = indexOf(address);
    return at >= 0 ? m_rows[at].model : QString();
}

std::uint8_t BusModel::addressAt(int row) const {
    return row >= 0 && row < m_rows.size() ? m_rows[row].address : 0;
}

bool BusModel::stale(int at) const {
    const Row& row = m_rows[at];
    return row.askedAt && m_now - *row.askedAt >= m_waitTicks && m_now - row.lastGood > kStaleTicks;
}

bool BusModel::alarmed(int at) const {
    const auto& status = m_rows[at].status;
    return status && std::count(status->lampCodes.begin(), status->lampCodes.end(), display::kRed);
}

QStringList BusModel::redLamps(int at) const {
    QStringList titles;
    const Row& row = m_rows[at];
    for (int lamp = 1; row.status && lamp <= display::kLampCount; ++lamp) {
        if (row.status->lampCodes[static_cast<std::size_t>(lamp - 1)] == display::kRed) {
            titles << display::lampTitle(lamp);
        }
    }
    return titles;
}

void BusModel::changed(int row, int first, int last, int lastRow) {
    emit dataChanged(index(row, first), index(lastRow < 0 ? row : lastRow, last));
}

int BusModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int BusModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant BusModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return text(index.row(), index.column());
    }
    // The count of red lamps names them, on hover and to a screen reader.
    if ((role == Qt::ToolTipRole || role == Qt::AccessibleTextRole) &&
        index.column() == RedAlarms && alarmed(index.row())) {
        const QStringList red = redLamps(index.row());
        return QStringLiteral("%1 red: %2").arg(red.size()).arg(red.join(QStringLiteral(", ")));
    }
    if (role == Qt::TextAlignmentRole) {
        const bool number = index.column() == Address ||
                            (index.column() >= InnerTemp && index.column() <= RedAlarms);
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    return {};
}

QString BusModel::text(int at, int column) const {
    const Row& row = m_rows[at];
    switch (column) {
    case Address:
        return QString::number(row.address);
    case Model:
        return row.model;
    case Board:
        return row.board;
    case Software:
        return row.software;
    case LastReply: {
        const qint64 seconds = (m_now - row.lastGood) / kTicksPerSecond;
        return seconds == 0 ? QStringLiteral("just now") : QStringLiteral("%1 s ago").arg(seconds);
    }
    case State: {
        QStringList words;
        if (row.address == m_shown) {
            words << QStringLiteral("monitored");
        }
        if (stale(at)) {
            words << QStringLiteral("stale");
        }
        return words.isEmpty() ? QStringLiteral("live") : words.join(QStringLiteral(", "));
    }
    default:
        break;
    }
    if (!row.status) {
        return {};
    }
    const display::StatusValues& values = *row.status;
    switch (column) {
    case InnerTemp:
        return temperatureText(values.innerTemp, values.innerSensor);
    case OuterTemp:
        return temperatureText(values.outerTemp, values.outerSensor);
    case DcVoltage:
        return display::decimalText(values.dcVoltage, QLocale());
    case RedAlarms:
        return QString::number(
            std::count(values.lampCodes.begin(), values.lampCodes.end(), display::kRed));
    default:
        return {};
    }
}

QVariant BusModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const kTitles[ColumnCount] = {
        "Address",    "Model",      "Board version", "Software version", "Inner temp",
        "Outer temp", "DC voltage", "Red alarms",    "Last reply",       "State"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return QString::fromLatin1(kTitles[section]);
}

} // namespace brisco::bus
