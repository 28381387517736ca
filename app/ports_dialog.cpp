#include "app/ports_dialog.h"

#include "port/line_name.h"
#include "port/port_names.h"
#include "widgets/message_box.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QVBoxLayout>

using brisco::port::LineKind;

namespace {

// The kinds of line, as the kind box lists them; "system" is no choice of
// the operator's: the number-th serial device of the system.
enum Kind { System, Serial, RawTcp, Rfc2217 };

void name(QWidget* widget, const QString& objectName, const QString& spokenName) {
    widget->setObjectName(objectName);
    widget->setAccessibleDescription(objectName);
    widget->setAccessibleName(spokenName);
}

QLabel* label(const QString& caption, const QString& objectName) {
    auto* label = new QLabel(caption);
    name(label, objectName, caption);
    return label;
}

} // namespace

PortsDialog::PortsDialog(QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Ports"));
    name(this, QStringLiteral("Ports_Form"), windowTitle());
    QStringList devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        devices << info.systemLocation();
    }
    devices = brisco::port::orderSerialDevices(devices);

    auto* grid = new QGridLayout;
    int column = 1;
    for (const auto& [caption, objectName] :
         {std::pair("Line", "KindLabel"), std::pair("Serial device", "DeviceLabel"),
          std::pair("Host", "HostLabel"), std::pair("TCP port", "TcpPortLabel")}) {
        grid->addWidget(label(QString::fromLatin1(caption), QString::fromLatin1(objectName)), 0,
                        column++);
    }
    QStringList overridden;
    for (int n = 1; n <= kPorts; ++n) {
        const QString port = QStringLiteral("COM%1").arg(n);
        const QString prefix = QStringLiteral("Com%1").arg(n);
        Row& row = m_rows[static_cast<std::size_t>(n - 1)];
        row.kind = new QComboBox;
        row.kind->addItems({QStringLiteral("Serial device %1 of the system").arg(n),
                            QStringLiteral("Serial device"), QStringLiteral("Network, raw TCP"),
                            QStringLiteral("Network, RFC 2217")});
        name(row.kind, prefix + QStringLiteral("Kind"), port + QStringLiteral(" line"));
        row.device = new QComboBox;
        row.device->setEditable(true);
        row.device->addItems(devices);
        row.device->setMinimumContentsLength(14);
        name(row.device, prefix + QStringLiteral("Device"),
             port + QStringLiteral(" serial device"));
        row.host = new QLineEdit;
        row.host->setMinimumWidth(160);
        name(row.host, prefix + QStringLiteral("Host"), port + QStringLiteral(" host"));
        row.port = new QLineEdit;
        row.port->setFixedWidth(70);
        name(row.port, prefix + QStringLiteral("TcpPort"), port + QStringLiteral(" TCP port"));
        grid->addWidget(label(port, prefix + QStringLiteral("Label")), n, 0);
        grid->addWidget(row.kind, n, 1);
        grid->addWidget(row.device, n, 2);
        grid->addWidget(row.host, n, 3);
        grid->addWidget(row.port, n, 4);
        showChoice(row, brisco::port::chosenDevice(n));
        connect(row.kind, &QComboBox::currentIndexChanged, this,
                [this, row] { enableFields(row); });
        if (const QString set = brisco::port::environmentDevice(n); !set.isEmpty()) {
            overridden << QStringLiteral("BRISCO_COM%1=%2").arg(n).arg(set);
        }
    }

    QString note = QStringLiteral("A network line goes to a serial device server such as "
                                  "ser2net: raw TCP, or telnet with COM port control (RFC 2217), "
                                  "which also sets its port to 9600 baud, 8N1.");
    if (!overridden.isEmpty()) {
        note += QStringLiteral("\nSet in the environment, and used instead of the choice here: ") +
                overridden.join(QStringLiteral(", ")) + u'.';
    }
    QLabel* noteLabel = label(note, QStringLiteral("PortsNote"));
    noteLabel->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    name(buttons, QStringLiteral("PortsButtons"), QStringLiteral("Ports buttons"));
    name(buttons->button(QDialogButtonBox::Ok), QStringLiteral("PortsOk_Command"),
         QStringLiteral("OK"));
    name(buttons->button(QDialogButtonBox::Cancel), QStringLiteral("PortsCancel_Command"),
         QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &PortsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PortsDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(noteLabel);
    layout->addWidget(buttons);
}

void PortsDialog::showChoice(const Row& row, const QString& name) {
    const brisco::port::LineName line = brisco::port::parseLineName(name);
    row.device->setCurrentIndex(-1);
    if (name.isEmpty()) {
        row.kind->setCurrentIndex(System);
    } else if (line.kind == LineKind::Serial) {
        row.kind->setCurrentIndex(Serial);
        row.device->setCurrentText(name);
    } else {
        row.kind->setCurrentIndex(line.kind == LineKind::RawTcp ? RawTcp : Rfc2217);
        row.host->setText(line.host);
        row.port->setText(QString::number(line.port));
    }
    enableFields(row);
}

void PortsDialog::enableFields(const Row& row) {
    const int kind = row.kind->currentIndex();
    row.device->setEnabled(kind == Serial);
    row.host->setEnabled(kind == RawTcp || kind == Rfc2217);
    row.port->setEnabled(kind == RawTcp || kind == Rfc2217);
}

QString PortsDialog::chosenName(const Row& row) {
    switch (row.kind->currentIndex()) {
    case Serial:
        return row.device->currentText().trimmed();
    case RawTcp:
    case Rfc2217:
        return brisco::port::networkLineName(
            row.kind->currentIndex() == RawTcp ? LineKind::RawTcp : LineKind::Rfc2217,
            row.host->text().trimmed(), row.port->text().trimmed());
    default:
        return {};
    }
}

void PortsDialog::accept() {
    for (const Row& row : m_rows) {
        if (const QString error = brisco::port::parseLineName(chosenName(row)).error;
            !error.isEmpty()) {
            showMessage(this, error);
            row.host->setFocus();
            return;
        }
    }
    for (int n = 1; n <= kPorts; ++n) {
        brisco::port::setChosenDevice(n, chosenName(m_rows[static_cast<std::size_t>(n - 1)]));
    }
    QDialog::accept();
}
