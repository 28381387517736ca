// Writes pictures of the session tools for the README: the trends of an
// hour with a one-second spike of the TEC current and of the inner
// temperature (trends.png); the trends of a controller that the main window
// does not show, polled in turn with others, which fell silent for four
// minutes, with the marks of its events (trends_controller.png); then a session of SECONDS against
// brisco-sim with six seconds of silence a minute and some corrupted replies, in which set-points,
// the analog value and the address are sent, recorded to a file: the events window at its end
// (events.png) and the recording replayed (replay.png). Usage: shoot_session DIR [SECONDS]
#include "live_form.h"

#include "app/link_line.h"
#include "app/trends_window.h"
#include "record/controller_trends.h"
#include "record/event_log.h"
#include "record/session_log.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>

#include <cmath>
#include <cstdio>

namespace {

bool save(QWidget* window, const QString& path) {
    window->show();
    // Laid out, refreshed at its size, and the plots laid out again.
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
    }
    return window->grab().save(path);
}

// An afternoon's hour of a cabinet that cools and heats now and then.
void hourWithSpike(ControllerTrends& trends, qint64 start) {
    brisco::display::StatusValues values;
    values.setPoints = {35, 30, 5, 12, 2, 1500, 3100, 2, 3400, 55, -10, 1.5, 12.5};
    for (int i = 0; i < 3600; ++i) {
        const double wave = std::sin(i / 400.0);
        values.innerTemp = 31 + 4 * wave + (i == 2100 ? 9 : 0);
        values.outerTemp = 24 + 3 * std::sin(i / 900.0);
        values.controlTemp = *values.innerTemp - 0.5;
        const bool cooling = *values.innerTemp > 33;
        values.tecCurrent = (cooling ? 5 + 0.3 * std::sin(i / 7.0) : 0) + (i == 2400 ? 7.5 : 0);
        values.dcVoltage = cooling ? 47.5 : 48.2;
        values.innerFanReading = cooling ? 3100 : 1500;
        values.outerFanReading = cooling ? 3400 : 0;
        trends.append(1, QStringLiteral("TEC-48"), start + qint64(i) * 1000, values);
    }
}

// Controller 7 of a row of cabinets, asked for its status every five
// seconds while the main window shows controller 1: it heats, a lamp goes
// red and back, and it does not answer for four minutes.
void controllerInTurn(ControllerTrends& trends, EventLog& events, const QDateTime& start) {
    brisco::display::StatusValues values;
    values.setPoints = {35, 30, 5, 12, 2, 1500, 3100, 2, 3400, 55, -10, 1.5, 12.5};
    for (int i = 0; i < 3600; ++i) {
        const double wave = std::sin(i / 500.0);
        values.innerTemp = 9 + 3 * wave;
        values.outerTemp = 2 + 2 * std::sin(i / 1100.0);
        values.controlTemp = *values.innerTemp + 0.5;
        const bool heating = *values.innerTemp < 8;
        values.tecCurrent = heating ? 4.2 + 0.2 * std::sin(i / 9.0) : 0;
        values.dcVoltage = heating ? 47.6 : 48.3;
        values.innerFanReading = heating ? 1500 : 0;
        values.outerFanReading = 0;
        trends.append(1, QStringLiteral("TEC-48"), start.addSecs(i).toMSecsSinceEpoch(), values);
        if (i % 5 == 2 && (i < 2100 || i > 2340)) {
            trends.append(7, QStringLiteral("TEC-48"), start.addSecs(i).toMSecsSinceEpoch(),
                          values);
        }
    }
    const auto told = [&](int second, const char* what, const char* from, const char* to,
                          std::uint8_t address) {
        events.add({start.addSecs(second), QString::fromUtf8(what), QString::fromUtf8(from),
                    QString::fromUtf8(to), address});
    };
    told(900, "Lamp Low temp", "off", "red", 7);
    told(1500, "Lamp Low temp", "red", "off", 7);
    told(1220, "Sent Heating stop temp (°C)", "12", "14", 1);
    told(2100, "Lamp Low temp", "off", "red", 1);
    told(2600, "Link", "replies coming", "no reply for 3 s", 0);
    told(2606, "Link", "no reply", "replies coming", 0);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    const int seconds = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 240;

    ControllerTrends hour;
    hourWithSpike(hour, QDateTime(QDate(2026, 12, 7), QTime(14, 0)).toMSecsSinceEpoch());
    TrendsWindow trends(hour, nullptr);
    trends.resize(1280, 860);
    bool saved = save(&trends, out.filePath(QStringLiteral("trends.png")));
    trends.close();

    ControllerTrends row;
    EventLog rowEvents;
    row.follow(1);
    controllerInTurn(row, rowEvents, QDateTime(QDate(2026, 12, 8), QTime(3, 0)));
    TrendsWindow other(row, &rowEvents);
    other.resize(1280, 860);
    auto* picker = other.findChild<QComboBox*>(QStringLiteral("Controller_Combo"));
    picker->setCurrentIndex(picker->findData(7));
    other.Controller_Combo_Activated(picker->currentIndex());
    saved &= save(&other, out.filePath(QStringLiteral("trends_controller.png")));
    other.close();

    LiveForm live;
    if (!live.startAndOpen(
            {"--seed", "7", "--silence", "6", "--silence-period", "60", "--corrupt", "3"})) {
        return 1;
    }
    QTemporaryDir dir;
    const QString recording = dir.filePath(QStringLiteral("brisco-session.csv"));
    live.form->linkLine()->startRecording(recording);
    const auto at = [&live](int second, auto what) {
        QTimer::singleShot(second * 1000, live.form.get(), what);
    };
    at(seconds / 4, [&live] {
        live.button(QStringLiteral("Copy_Command"))->click();
        live.edit(QStringLiteral("S_TempMax_Text"))->setText(QStringLiteral("58"));
        live.edit(QStringLiteral("S_TECcurrH_Text"))->setText(QStringLiteral("14.5"));
        live.button(QStringLiteral("Setup_Command"))->click();
    });
    at(seconds / 3, [&live] {
        live.edit(QStringLiteral("SetupT_Text"))->setText(QStringLiteral("24.5"));
        live.button(QStringLiteral("Command3"))->click();
    });
    at(seconds / 2, [&live] {
        live.edit(QStringLiteral("AddrText1"))->setText(QStringLiteral("1"));
        live.button(QStringLiteral("Addr_Command1"))->click();
    });
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    QApplication::exec();

    live.button(QStringLiteral("Events_Command"))->click();
    QWidget* events = live.form->findChild<QWidget*>(QStringLiteral("EventsWindow"));
    events->resize(820, 560);
    saved &= save(events, out.filePath(QStringLiteral("events.png")));
    // The operator reads where the recording went, and closes the box.
    QTimer::singleShot(0, &app, [] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            box->close();
        }
    });
    live.form->sessionLog()->stopRecordingAndWait();
    TrendsWindow* replay = TrendsWindow::openRecording(recording, nullptr);
    if (replay) {
        replay->resize(1280, 860);
    }
    saved &= replay && save(replay, out.filePath(QStringLiteral("replay.png")));
    std::printf("%lld events, %lld rows recorded in %d s\n",
                static_cast<long long>(live.form->sessionLog()->events()->rowCount()),
                static_cast<long long>(live.form->sessionLog()->rowsWritten()), seconds);
    return saved ? 0 : 1;
}
