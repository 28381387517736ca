// The main window on the real serial port path, talking to brisco-sim, and
// the check that what it shows came from a reply the simulator really sent.
#pragma once

#include "app/main_form.h"
#include "app/serial_comm_port.h"
#include "display/status_decoder.h"
#include "lamp_library_for_tests.h"
#include "sim_process.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QSet>
#include <QtCore/qtestsupport_core.h>
#include <QTimer>

#include <memory>

// What the window shows of one status reply: the eighteen fields and the
// twenty driven lamps.
using Shown = QStringList;

inline Shown shownOf(const brisco::display::StatusDisplay& display) {
    Shown shown;
    for (const auto& field : display.fields) {
        shown << field.text;
    }
    for (std::size_t i = 0; i < display.lampCodes.size(); ++i) {
        if (display.lampCodes[i] != brisco::display::kLampUnchanged) {
            shown << QString::number(display.lampCodes[i]);
        }
    }
    return shown;
}

class LiveForm {
public:
    SimProcess sim;
    std::unique_ptr<Main_Form> form;
    QList<Shown> samples; // what the window showed after each tick

    bool start(const QStringList& simOptions, QString* error) {
        if (!sim.start(simOptions, error)) {
            return false;
        }
        qputenv("BRISCO_COM1", sim.devicePath().toLocal8Bit());
        // Only the simulator is offered, whatever serial devices this machine has.
        qputenv("BRISCO_COM2", "/nonexistent/brisco-com2");
        qputenv("BRISCO_COM3", "/nonexistent/brisco-com3");
        form = std::make_unique<Main_Form>(std::make_unique<SerialCommPort>(), [](QWidget* parent) {
            return lampLibrary().createLamp(parent);
        });
        auto* timer = form->findChild<QTimer*>(QStringLiteral("Timer1"));
        QObject::connect(timer, &QTimer::timeout, form.get(), [this] {
            if (form->linkCounters().statusFrameNo > 0) {
                samples << shownNow();
            }
        });
        return true;
    }

    // Starts the simulator, waits for the port scan to offer it as COM1, and
    // opens it.
    bool startAndOpen(const QStringList& simOptions) {
        QString error;
        if (!start(simOptions, &error)) {
            qWarning("%s", qPrintable(error));
            return false;
        }
        if (!QTest::qWaitFor([this] { return text("CommPortText") == "COM1"; }, 5000)) {
            return false;
        }
        button(QStringLiteral("CommPort_ToggleButton"))->click();
        return true;
    }

    QLineEdit* edit(const QString& name) const { return form->findChild<QLineEdit*>(name); }
    QString text(const QString& name) const { return edit(name)->text(); }
    QAbstractButton* button(const QString& name) const {
        return form->findChild<QAbstractButton*>(name);
    }

    Shown shownNow() const {
        // Which fields and lamps a reply drives does not depend on its bytes.
        static const std::array<std::uint8_t, 36> anyReply{};
        const auto layout = brisco::display::decodeStatus(anyReply, QLocale());
        Shown shown;
        for (const auto& field : layout.fields) {
            shown << text(QLatin1String(field.name));
        }
        const auto& lamps = layout.lampCodes;
        for (std::size_t i = 0; i < lamps.size(); ++i) {
            if (lamps[i] != brisco::display::kLampUnchanged) {
                shown << QString::number(
                    form->findChild<QWidget*>(QStringLiteral("StatusBox%1").arg(i + 1))
                        ->property("ForeColor")
                        .toInt());
            }
        }
        return shown;
    }

    // What each status reply of this fate would show.
    QSet<Shown> statusShown(const QString& fate) const {
        QSet<Shown> all;
        for (const SentReply& reply : sim.sentReplies()) {
            if (reply.kind == QLatin1String("status") && reply.fate == fate &&
                reply.bytes.size() == 36) {
                std::array<std::uint8_t, 36> bytes{};
                std::copy(reply.bytes.begin(), reply.bytes.end(), bytes.begin());
                all.insert(shownOf(brisco::display::decodeStatus(bytes, QLocale())));
            }
        }
        return all;
    }

    // A good status reply that shows what the window shows now.
    QByteArray goodReplyShownNow() const {
        const Shown now = shownNow();
        for (const SentReply& reply : sim.sentReplies()) {
            if (reply.kind == QLatin1String("status") && reply.fate == QLatin1String("good") &&
                reply.bytes.size() == 36) {
                std::array<std::uint8_t, 36> bytes{};
                std::copy(reply.bytes.begin(), reply.bytes.end(), bytes.begin());
                if (shownOf(brisco::display::decodeStatus(bytes, QLocale())) == now) {
                    return reply.bytes;
                }
            }
        }
        return {};
    }

    // Replies of this fate among those of these kinds.
    int statusCount(const QString& fate, const QStringList& kinds = {"status"}) const {
        int count = 0;
        for (const SentReply& reply : sim.sentReplies()) {
            count += kinds.contains(reply.kind) && reply.fate == fate;
        }
        return count;
    }
};
