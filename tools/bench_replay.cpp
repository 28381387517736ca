// Time to replay a day's recording, 86,400 status replies at one a second:
// reading the file alone, and reading it into a shown trends window.
#include "app/trends_window.h"
#include "record/status_csv.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    constexpr int kRows = 86'400;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("day.csv"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return 1;
    }
    file.write(StatusCsv::header());
    const QDateTime start = QDateTime::currentDateTime().addDays(-1);
    brisco::display::StatusValues values;
    values.setPoints = {35, 30, 5, 12, 2, 1500, 3100, 2, 3400, 55, -10, 1.5, 12.5};
    for (int i = 0; i < kRows; ++i) {
        const bool fault = i % 5000 == 17;
        values.innerTemp =
            fault ? std::nullopt : std::optional(std::round(60 + 8 * std::sin(i / 700.0)) / 2);
        values.innerSensor = fault ? brisco::display::Sensor::Open : brisco::display::Sensor::Ok;
        values.outerTemp = std::round(44 + 12 * std::sin(i / 5000.0)) / 2;
        values.controlTemp = values.innerTemp.value_or(30);
        values.tecCurrent = (i * 37 % 61) / 10.0;
        values.dcVoltage = (475 + i % 9) / 10.0;
        values.innerFanReading = 1500 + i % 41;
        values.outerFanReading = 3400 - i % 37;
        values.lampCodes[0] = 1;
        values.lampCodes[2] = (i / 120) % 2;
        file.write(
            StatusCsv::row(start.addMSecs(qint64(i) * 1000), 1, QStringLiteral("TEC-48"), values));
    }
    file.close();

    QElapsedTimer timer;
    timer.start();
    const StatusCsv::Replay replay = StatusCsv::readFile(path, QDateTime::currentMSecsSinceEpoch());
    const double read = timer.nsecsElapsed() / 1e6;
    timer.restart();
    TrendsWindow* window = TrendsWindow::openRecording(path, nullptr);
    QCoreApplication::processEvents();
    if (window) {
        window->grab();
    }
    const double shown = timer.nsecsElapsed() / 1e6;
    std::printf("replay of %zu rows (%.1f MB): read %.0f ms; read into a trends window and "
                "painted %.0f ms\n",
                replay.rows.size(), QFileInfo(path).size() / 1e6, read, shown);
    return window && replay.error.isEmpty() ? 0 : 1;
}
