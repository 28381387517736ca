#include "app/lamp_library.h"
#include "app/main_form.h"
#include "app/serial_comm_port.h"
#include "app/signal_quit.h"
#include "widgets/message_box.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));

    LampLibrary lamps;
    QString error;
    if (!lamps.load(&error)) {
        std::fprintf(stderr, "brisco: %s\n", qPrintable(error));
        showMessage(nullptr, error);
        return 1;
    }

    Main_Form form(std::make_unique<SerialCommPort>(),
                   [&lamps](QWidget* parent) { return lamps.createLamp(parent); });
    closeOnTerminationSignals(&form);
    form.show();
    return QApplication::exec();
}
