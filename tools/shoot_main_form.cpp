// Writes pictures of the main window for the README: empty after start, and
// after a status reply with several lamps lit. Usage: shoot_main_form DIR
#include "form_fixture.h"

#include <QDir>

namespace {

QByteArray liveStatusReply() {
    return framed(hex("06 01 0F 00 1E 4B 46 2D 37 02 05 DC 0B B8 02 0B B8 5F 1E 0A 64 07 10 01 "
                      "04 9C 64 96 39 01 E4 0B 9A 0B C2"));
}

bool save(QWidget& window, const QString& path) {
    window.resize(window.sizeHint());
    window.show();
    QCoreApplication::processEvents();
    return window.grab().save(path);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));

    FormFixture f;
    if (!save(*f.form, out.filePath(QStringLiteral("main_form.png")))) {
        return 1;
    }
    f.openPort();
    f.port->feed(deviceInfoReply("TEC-48/1.0/VA2.1/"));
    f.tick();
    f.port->feed(liveStatusReply());
    f.tick();
    f.form->findChild<QLineEdit*>(QStringLiteral("AddrText2"))->setText(QStringLiteral("1"));
    return save(*f.form, out.filePath(QStringLiteral("main_form_live.png"))) ? 0 : 1;
}
