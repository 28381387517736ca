// Turns SIGINT and SIGTERM into a signal of the event loop, so the simulator
// ends through its normal shutdown.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace brisco::sim {

class SignalWatcher : public QObject {
    Q_OBJECT

public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

    bool install(QString* error);

signals:
    void terminationRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace brisco::sim
