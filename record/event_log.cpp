#include "record/event_log.h"

#include "record/shown_time.h"
#include "record/status_csv.h"

namespace {

enum Column { Time, Controller, What, From, To, kColumnCount };

} // namespace

void EventLog::add(const SessionEvent& event) {
    if (m_events.size() == kCapacity) {
        beginRemoveRows({}, kCapacity - 1, kCapacity - 1);
        m_events.pop_back();
        endRemoveRows();
    }
    beginInsertRows({}, 0, 0);
    m_events.push_front(event);
    endInsertRows();
}

int EventLog::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_events.size());
}

int EventLog::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant EventLog::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
        return {};
    }
    const SessionEvent& event = at(index.row());
    switch (index.column()) {
    case Time:
        // The tip has the milliseconds and the offset from UTC, as the file
        // has them.
        if (role == Qt::ToolTipRole) {
            return QString::fromLatin1(StatusCsv::timeCell(event.at));
        }
        return shownTime(event.at);
    case Controller:
        return event.address == 0 ? QString() : QString::number(event.address);
    case What:
        return event.what;
    case From:
        return event.from;
    case To:
        return event.to;
    default:
        return {};
    }
}

QVariant EventLog::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return section + 1;
    }
    switch (section) {
    case Time:
        return QStringLiteral("Time (%1)").arg(shownZone());
    case Controller:
        return QStringLiteral("Controller");
    case What:
        return QStringLiteral("Event");
    case From:
        return QStringLiteral("From");
    case To:
        return QStringLiteral("To");
    default:
        return {};
    }
}
