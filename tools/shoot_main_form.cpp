// Writes pictures of the windows for the README: the main window empty after
// start and live after a status reply with "Copy set" pressed, the
// access-code window, and the factory window after a factory reply.
// Usage: shoot_main_form DIR
#include "form_fixture.h"

#include <QDir>

namespace {

QByteArray liveStatusReply() {
    return framed(hex("06 01 0F 00 1E 4B 46 2D 37 02 05 DC 0B B8 02 0B B8 5F 1E 0A 64 07 10 01 "
                      "04 9C 64 96 39 01 E4 0B 9A 0B C2"));
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
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));

    FormFixture f;
    bool saved = save(f.form.get(), out.filePath(QStringLiteral("main_form.png")));
    f.openPort();
    f.port->feed(deviceInfoReply("TEC-48/1.0/VA2.1/"));
    f.tick();
    f.port->feed(liveStatusReply());
    f.tick();
    f.port->feed(framed(hex("06 01 0F 03 0C 2A 02 3A 02 31 30 64 64 64 64 00 1E")));
    f.tick();
    f.edit(QStringLiteral("AddrText2"))->setText(QStringLiteral("1"));
    f.button(QStringLiteral("Copy_Command"))->click();
    saved &= save(f.form.get(), out.filePath(QStringLiteral("main_form_live.png")));

    f.button(QStringLiteral("F_Setup_Command"))->click();
    auto* gate = f.window(QStringLiteral("Password_Form"));
    QCoreApplication::processEvents(); // activated, and so emptied
    QTest::keyClicks(f.find<QLineEdit>(QStringLiteral("Password_Form/Password_TextBox")), "KT5");
    saved &= save(gate, out.filePath(QStringLiteral("password_form.png")));
    QTest::keyClicks(f.find<QLineEdit>(QStringLiteral("Password_Form/Password_TextBox")), "08");
    auto* factory = f.window(QStringLiteral("F_Setup_Form"));
    factory->findChild<QLineEdit*>(QStringLiteral("S_H_Fan_Text"))->setText(QStringLiteral("45"));
    saved &= save(factory, out.filePath(QStringLiteral("f_setup_form.png")));
    return saved ? 0 : 1;
}
