// The main window on the real serial port path, talking to brisco-sim, and
// what it shows compared with the replies the simulator really sent.
#pragma once

#include "app/main_form.h"
#include "display/status_decoder.h"
#include "lamp_library_for_tests.h"
#include "port/dispatching_comm_port.h"

#include <QAbstractButton>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <QtCore/qtestsupport_core.h>

// brisco-sim as a child process, linked into a scratch folder, and the
// replies it reports having sent.
struct SentReply {
    QString kind; // status, address, info, factory, ack, refusal, other
    QString fate; // good, corrupt, refused, silenced
    QByteArray bytes;
};

class SimProcess {
public:
    ~SimProcess() { stop(); }

    bool start(const QStringList& options, QString* error) {
        m_process.start(BRISCO_SIM_PATH,
                        options + QStringList{"--link", devicePath(), "--stats-file", statsPath()});
        // The simulator prints its terminal once it serves it.
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(5000)) {
                *error = m_process.errorString() + ' ' + m_process.readAllStandardError();
                return false;
            }
        }
        return true;
    }
    // SIGTERM; true when the simulator ended with status 0 and took its link away.
    bool stop() {
        m_process.terminate();
        return m_process.waitForFinished(5000) && m_process.exitStatus() == QProcess::NormalExit &&
               m_process.exitCode() == 0 && !QFileInfo(devicePath()).isSymLink();
    }
    QString devicePath() const { return m_dir.filePath("tty"); }
    QString statsPath() const { return m_dir.filePath("stats"); }

    QList<SentReply> sentReplies() const {
        QFile file(statsPath());
        QList<SentReply> replies;
        file.open(QIODevice::ReadOnly);
        for (const QByteArray& line : file.readAll().split('\n')) {
            // "<seconds> <kind> <fate> <hex bytes>"; the heading and the totals have fewer words.
            const QList<QByteArray> words = line.split(' ');
            if (words.size() > 4) {
                replies.append({words[1], words[2], QByteArray::fromHex(words.mid(3).join())});
            }
        }
        return replies;
    }

private:
    QProcess m_process;
    QTemporaryDir m_dir;
};

// The field texts and lamp colours that a status reply drives.
using Shown = QStringList;

// What this reply would show or, given the window, what the window shows now:
// which fields and lamps a reply drives does not depend on its bytes.
inline Shown shownOf(const QByteArray& reply, const QWidget* window = nullptr) {
    std::array<std::uint8_t, 36> bytes{};
    std::copy_n(reply.begin(), qMin(reply.size(), 36), bytes.begin());
    const auto display = brisco::display::decodeStatus(bytes, QLocale());
    Shown shown;
    for (const auto& field : display.fields) {
        shown << (window ? window->findChild<QLineEdit*>(field.name)->text() : field.text);
    }
    for (std::size_t i = 0; i < display.lampCodes.size(); ++i) {
        const QString lamp = QStringLiteral("StatusBox%1").arg(i + 1);
        if (display.lampCodes[i] != brisco::display::kLampUnchanged) {
            shown << QString::number(
                window ? window->findChild<QWidget*>(lamp)->property("ForeColor").toInt()
                       : display.lampCodes[i]);
        }
    }
    return shown;
}

struct LiveForm {
    SimProcess sim;
    std::unique_ptr<Main_Form> form;
    QList<Shown> samples; // what the window showed after each tick, once a reply was decoded

    bool start(const QStringList& simOptions, QString* error) {
        if (!sim.start(simOptions, error)) {
            return false;
        }
        showForm(sim.devicePath());
        return true;
    }

    // The window, COM1 standing for device (the simulator's terminal or a
    // line to it), and only COM1, whatever serial devices this machine has.
    void showForm(const QString& device) {
        qputenv("BRISCO_COM1", device.toLocal8Bit());
        qputenv("BRISCO_COM2", "/nonexistent/brisco-com2");
        qputenv("BRISCO_COM3", "/nonexistent/brisco-com3");
        form = std::make_unique<Main_Form>(
            std::make_unique<DispatchingCommPort>(),
            [](QWidget* parent) { return lampLibrary().createLamp(parent); });
        QObject::connect(form->findChild<QTimer*>("Timer1"), &QTimer::timeout, form.get(), [this] {
            if (form->linkCounters().statusFrameNo > 0) {
                samples << shownOf({}, form.get());
            }
        });
    }

    // Starts and opens COM1 once the port scan offers it.
    bool startAndOpen(const QStringList& simOptions) {
        QString error;
        if (!start(simOptions, &error)) {
            qWarning("%s", qPrintable(error));
            return false;
        }
        return openCom1();
    }
    bool openCom1() {
        if (!QTest::qWaitFor([this] { return text("CommPortText") == "COM1"; }, 5000)) {
            return false;
        }
        button("CommPort_ToggleButton")->click();
        return true;
    }

    QLineEdit* edit(const QString& name) const { return form->findChild<QLineEdit*>(name); }
    QString text(const QString& name) const { return edit(name)->text(); }
    QAbstractButton* button(const QString& name) const {
        return form->findChild<QAbstractButton*>(name);
    }

    // What the status replies of this fate would show.
    QSet<Shown> statusShown(const QString& fate) const {
        QSet<Shown> all;
        for (const SentReply& reply : sim.sentReplies()) {
            if (reply.kind == "status" && reply.fate == fate) {
                all.insert(shownOf(reply.bytes));
            }
        }
        return all;
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
