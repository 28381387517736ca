// Writes pictures of the windows for the README: the main window empty after
// start and live after a status reply with "Copy set" pressed, the
// access-code window, the factory window after a factory reply, the dialogs
// and messages of the set-point files, the bus window with three controllers
// of which one is in alarm and one stopped answering, the main window once
// it follows the one in alarm, the bus window then, and the Ports dialog.
// Usage: shoot_main_form DIR
#include "form_fixture.h"

#include "port/port_names.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTableView>

namespace {

QByteArray liveStatusReply() {
    return framed(hex("06 01 0F 00 1E 4B 46 2D 37 02 05 DC 0B B8 02 0B B8 5F 1E 0A 64 07 10 01 "
                      "04 9C 64 96 39 01 E4 0B 9A 0B C2"));
}

// Three controllers on the bus answer what they are asked, each with values
// of its own; 3 is in alarm, 7 falls silent after the first ticks.
void answerBus(FormFixture& f, int ticks) {
    for (int tick = 0; tick < ticks; ++tick) {
        f.tick();
        if (f.port->written.isEmpty()) {
            continue;
        }
        const QByteArray request = f.port->written.takeLast();
        f.port->written.clear();
        const int address = request[1];
        const int index = address == 1 ? 0 : address == 3 ? 1 : address == 7 ? 2 : -1;
        if (index < 0 || (address == 7 && tick > 60)) {
            continue;
        }
        static const char* const kInfo[] = {"TEC-48/1.0/VA2.1/", "TEC-24/1.1/VA2.2/",
                                            "TEC-60/1.2/VA2.3/"};
        if (request[3] == 2) {
            f.port->feed(deviceInfoReply(kInfo[index], address));
        } else if (request[3] == 0) {
            QByteArray reply = liveStatusReply().chopped(1);
            reply[1] = char(address);
            reply[5] = char(75 + index); // cooling start
            reply[22] = 0;
            reply[23] = char(index == 1 ? 5 : 0); // high temp and DC low on 3
            reply[24] = 0;
            reply[25] = char(150 + 7 * index); // inner temperature
            reply[26] = char(100 - 9 * index); // outer temperature
            reply[30] = char(0xE4 - 5 * index);
            f.port->feed(framed(reply));
        }
    }
}

bool save(QWidget* window, const QString& path) {
    window->resize(window->sizeHint());
    if (!window->isVisible()) {
        window->show();
    }
    QCoreApplication::processEvents();
    return window->grab().save(path);
}

} // namespace

int main(int argc, char* argv[]) {
    // The choices of the Ports dialog go to a scratch place, never the user's.
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));

    FormFixture f;
    // The file dialogs start in a Documents folder of an operator who keeps
    // the sets of a few cabinets there.
    qputenv("HOME", f.home.path().toLocal8Bit());
    QDir(f.home.path()).mkdir(QStringLiteral("Documents"));
    const QDir documents(f.home.filePath(QStringLiteral("Documents")));
    for (const char* name : {"cabinet-03.json", "cabinet-04.json", "TEC-48-factory-values.json"}) {
        QFile(documents.filePath(QString::fromLatin1(name))).open(QIODevice::WriteOnly);
    }
    // Each dialog and message of the set-point files, as it comes up, under
    // the next of these names (none: no picture).
    QStringList dialogs{
        "save_set_no_reply.png", "save_set_dialog.png", "", "load_set_question.png", "",
        "load_set_refused.png"};
    bool saved = true;
    f.messages.seen = [&](QWidget* dialog) {
        const QString name = dialogs.isEmpty() ? QString() : dialogs.takeFirst();
        if (!name.isEmpty()) {
            QCoreApplication::processEvents();
            saved &= dialog->grab().save(out.filePath(name));
        }
    };

    saved &= save(f.form.get(), out.filePath(QStringLiteral("main_form.png")));
    f.openPort();
    f.button(QStringLiteral("SaveSet_Command"))->click();
    f.port->feed(deviceInfoReply("TEC-48/1.0/VA2.1/"));
    f.tick();
    f.port->feed(liveStatusReply());
    f.tick();
    f.port->feed(framed(hex("06 01 0F 03 0C 2A 02 3A 02 31 30 64 64 64 64 00 1E")));
    f.tick();
    f.edit(QStringLiteral("AddrText2"))->setText(QStringLiteral("1"));
    f.button(QStringLiteral("Copy_Command"))->click();
    saved &= save(f.form.get(), out.filePath(QStringLiteral("main_form_live.png")));

    // Saved, then loaded where a cabinet of another model is on the line.
    const QString set = documents.filePath(QStringLiteral("cabinet-05.json"));
    f.messages.files << set;
    f.button(QStringLiteral("SaveSet_Command"))->click();
    f.edit(QStringLiteral("TextBox1"))->setText(QStringLiteral("TEC-60"));
    f.messages.files << set;
    f.button(QStringLiteral("LoadSet_Command"))->click();
    QFile file(set);
    file.open(QIODevice::ReadWrite);
    const QByteArray json = file.readAll().replace("\"TempMax\": 55", "\"TempMax\": 85");
    file.resize(0);
    file.write(json);
    file.close();
    f.messages.files << set;
    f.button(QStringLiteral("LoadSet_Command"))->click();

    f.button(QStringLiteral("F_Setup_Command"))->click();
    auto* gate = f.window(QStringLiteral("Password_Form"));
    QCoreApplication::processEvents(); // activated, and so emptied
    QTest::keyClicks(f.find<QLineEdit>(QStringLiteral("Password_Form/Password_TextBox")), "KT5");
    saved &= save(gate, out.filePath(QStringLiteral("password_form.png")));
    QTest::keyClicks(f.find<QLineEdit>(QStringLiteral("Password_Form/Password_TextBox")), "08");
    auto* factory = f.window(QStringLiteral("F_Setup_Form"));
    factory->findChild<QLineEdit*>(QStringLiteral("S_H_Fan_Text"))->setText(QStringLiteral("45"));
    saved &= save(factory, out.filePath(QStringLiteral("f_setup_form.png")));

    FormFixture bus;
    bus.show();
    bus.openPort();
    bus.button(QStringLiteral("ScanBus_Command"))->click();
    answerBus(bus, 120);
    QWidget* busWindow = bus.window(QStringLiteral("Bus_Form"));
    saved &= save(busWindow, out.filePath(QStringLiteral("bus_window.png")));
    bus.find<QTableView>(QStringLiteral("Bus_Table"))->selectRow(1);
    bus.button(QStringLiteral("Monitor_Command"))->click();
    answerBus(bus, 8);
    saved &= save(bus.form.get(), out.filePath(QStringLiteral("main_form_switched.png")));
    bus.find<QTableView>(QStringLiteral("Bus_Table"))->clearSelection();
    saved &= save(busWindow, out.filePath(QStringLiteral("bus_window_alarm.png")));

    // The ports of a site PC: COM1 a serial device server, COM2 an adapter,
    // COM3 named in the environment.
    brisco::port::setChosenDevice(1, QStringLiteral("rfc2217://site-pc:2001"));
    brisco::port::setChosenDevice(2, QStringLiteral("/dev/ttyUSB0"));
    brisco::port::setChosenDevice(3, {});
    qputenv("BRISCO_COM3", "tcp://127.0.0.1:3003");
    bus.button(QStringLiteral("Ports_Command"))->click();
    saved &= save(bus.window(QStringLiteral("Ports_Form")),
                  out.filePath(QStringLiteral("ports_dialog.png")));
    return saved && dialogs.isEmpty() ? 0 : 1;
}
