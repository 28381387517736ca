// The yardstick of the agent's figures: a program that does nothing but
// tick every 250 ms, as the agent does.
#include <QCoreApplication>
#include <QTimer>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTimer timer;
    timer.setInterval(250);
    timer.setTimerType(Qt::PreciseTimer);
    int ticks = 0;
    QObject::connect(&timer, &QTimer::timeout, &app, [&ticks] { ++ticks; });
    timer.start();
    return QCoreApplication::exec();
}
