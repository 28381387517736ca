// Writes pictures of the main window for the README: empty after start, and
// after a status reply with several lamps lit. Usage: shoot_main_form DIR
#include "form_fixture.h"

#include <QDir>

namespace {

QByteArray liveStatusReply() {
    QByteArray frame =
        bytes({0x06, 0x01, 0x0F, 0x00, 0x1E, 75,   70,   45,   55,   2,    0x05, 0xDC,
               0x0B, 0xB8, 2,    0x0B, 0xB8, 95,   30,   10,   100,  0x07, 0x10, 0x01,
               0x04, 156,  100,  150,  57,   0x01, 0xE4, 0x0B, 0x9A, 0x0B, 0xC2});
    return withChecksum(frame);
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
    f.port->feed(bytes({0x06, 0x01, 0x0F, 0x02, 17}) + "TEC-48/1.0/VA2.1/");
    f.port->incoming = withChecksum(f.port->incoming);
    f.tick();
    f.port->feed(liveStatusReply());
    f.tick();
    f.form->findChild<QLineEdit*>(QStringLiteral("AddrText2"))->setText(QStringLiteral("1"));
    return save(*f.form, out.filePath(QStringLiteral("main_form_live.png"))) ? 0 : 1;
}
