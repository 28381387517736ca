// The events of this session, newest first, as a table that a view shows:
// time (in the zone that the header names), controller (empty for the line
// as a whole), event, from, to. Bounded: the oldest events go when it is full.
#pragma once

#include "record/session_event.h"

#include <QAbstractTableModel>

#include <deque>

class EventLog : public QAbstractTableModel {
    Q_OBJECT

public:
    // A lamp that flickers once a second fills it in under three hours.
    static constexpr int kCapacity = 10000;

    using QAbstractTableModel::QAbstractTableModel;

    void add(const SessionEvent& event);
    // Row 0 is the newest.
    const SessionEvent& at(int row) const { return m_events[std::size_t(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::deque<SessionEvent> m_events;
};
