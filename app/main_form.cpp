#include "app/main_form.h"

#include "app/alarm_reporter.h"
#include "app/bus_window.h"
#include "app/link_line.h"
#include "app/ports_dialog.h"
#include "display/status_decoder.h"
#include "display/status_values.h"
#include "factory/f_setup_form.h"
#include "factory/password_form.h"
#include "port/comm_port.h"
#include "protocol/device_info.h"
#include "record/session_log.h"
#include "settings/entry_rules.h"
#include "widgets/message_box.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

using namespace brisco;

namespace {

const QString kOpenComm = QStringLiteral("OpenComm");
const QString kStopComm = QStringLiteral("StopComm");
const QString kEditionStatement = QStringLiteral("半导体制冷制热");

// "COM3" gives 3: only the last character counts, as a digit or nothing.
int portNumberOf(const QString& portName) {
    if (portName.isEmpty() || !portName.back().isDigit()) {
        return 0;
    }
    return portName.back().digitValue();
}

} // namespace

Main_Form::Main_Form(std::unique_ptr<CommPort> port, const LampFactory& createLamp, QWidget* parent)
    : QWidget(parent)
    , m_station(new station::Station(std::move(port), this))
    , m_MSComm1(&m_station->port())
    , m_sequencer(m_station->sequencer()) {
    m_station->setBoxes(this);
    buildLayout(createLamp);
    connectStation();
    new AlarmReporter(m_station->alarms(), *m_linkLine, this);

    m_Timer1 = new QTimer(this);
    m_Timer1->setObjectName(QStringLiteral("Timer1"));
    m_Timer1->setInterval(kTickMilliseconds);
    connect(m_Timer1, &QTimer::timeout, this, &Main_Form::Timer1_Timer);

    Form_Load();
    showLink();
}

Main_Form::~Main_Form() {
    Form_Unload();
    // The station outlives the window's own members: it asks nothing of them now.
    m_station->setBoxes(nullptr);
    disconnect(m_station, nullptr, this, nullptr);
}

// What the station hands on of the controller followed goes into the boxes.
void Main_Form::connectStation() {
    connect(m_station, &station::Station::portLost, this, &Main_Form::onPortLost);
    connect(m_station, &station::Station::statusReceived, this, &Main_Form::DecodeStatusFrame);
    connect(m_station, &station::Station::deviceInfoReceived, this, &Main_Form::DecodeDeviceInfo);
    connect(m_station, &station::Station::addressReceived, this, [this](std::uint8_t address) {
        field("AddrText2")->setText(QString::number(address));
    });
    // A reply that comes before the factory window was ever shown fills it hidden.
    connect(m_station, &station::Station::factoryReceived, this,
            [this](const settings::FactoryReadback& readback) {
                factoryForm()->showReadback(readback);
            });
}

// The ring, the address and the request flags start in the sequencer.
void Main_Form::Form_Load() {
    m_FanSpeed.resetPointer();
    m_Timer1->start();
}

void Main_Form::Form_Unload() {
    if (m_MSComm1->isOpen()) {
        m_MSComm1->close();
    }
}

// The other windows end with this one, and the program with them: the
// access code, the factory values, the trends, events, replays and the bus.
void Main_Form::closeEvent(QCloseEvent* event) {
    Form_Unload();
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow()) {
            child->close();
        }
    }
    event->accept();
}

QLineEdit* Main_Form::field(const char* name) const {
    return m_fields.value(QString::fromLatin1(name));
}

bool Main_Form::factoryFormShown() const {
    return m_F_Setup_Form && m_F_Setup_Form->isVisible();
}

void Main_Form::CommPort_ToggleButton_Click() {
    if (m_CommPortNo > 0) {
        if (m_CommPort_ToggleButton->text() == kOpenComm) {
            m_MSComm1->setPortNumber(portNumberOf(m_CommPortText->text()));
            if (m_station->open()) {
                m_CommPort_ToggleButton->setText(kStopComm);
            } else if (const QString why = m_MSComm1->nameError(); !why.isEmpty()) {
                showMessage(this, why);
            }
        } else {
            m_CommPort_ToggleButton->setText(kOpenComm);
            m_station->close();
        }
    }
    m_CommPort_ToggleButton->setChecked(m_CommPort_ToggleButton->text() == kStopComm);
    showPortOpen();
    showLink();
}

void Main_Form::showPortOpen() {
    m_ScanBus_Command->setEnabled(m_MSComm1->isOpen());
}

void Main_Form::CommPortVScroll_Change() {
    if (m_CommPortVScroll->value() >= m_CommPortNo) {
        // Re-entered through the value change; the second pass shows port 0.
        m_CommPortVScroll->setValue(0);
    }
    const int index = qBound(0, m_CommPortVScroll->value(), int(m_CommPortName.size()) - 1);
    m_CommPortText->setText(m_CommPortName[static_cast<std::size_t>(index)]);
    showSelectedPort();
    // An open port keeps its device; the new number applies at the next open.
    if (!m_MSComm1->isOpen()) {
        m_MSComm1->setPortNumber(portNumberOf(m_CommPortText->text()));
    }
}

void Main_Form::showSelectedPort() {
    const int number = portNumberOf(m_CommPortText->text());
    const QString device = number > 0 ? m_MSComm1->deviceName(number) : QString();
    m_CommPortText->setToolTip(device);
    m_CommPortVScroll->setToolTip(device);
}

void Main_Form::Ports_Command_Click() {
    auto* dialog = new PortsDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, &Main_Form::portsChosen);
    dialog->open();
}

// While no port is open, the scan of the next tick offers them anew.
void Main_Form::portsChosen() {
    if (!m_MSComm1->isOpen()) {
        m_CommPortNo = 0;
        m_CommPortText->clear();
        m_CommPortVScroll->setVisible(false);
    }
    showSelectedPort();
    showLink();
}

void Main_Form::onPortLost() {
    m_CommPort_ToggleButton->setText(kOpenComm);
    m_CommPort_ToggleButton->setChecked(false);
    showPortOpen();
    showLink(true);
}

void Main_Form::showLink(bool lost) {
    const int number = portNumberOf(m_CommPortText->text());
    LinkState state{m_MSComm1->isOpen(), lost, m_CommPortText->text(), m_sequencer.counters()};
    if (number > 0) {
        state.port += QStringLiteral(" — ") + m_MSComm1->deviceName(number);
    }
    if (m_switched) {
        state.port += QStringLiteral(", address %1").arg(m_sequencer.address());
    }
    m_linkLine->showLink(state);
    const bool live = state.open && !state.counters.stale();
    if (live == m_shownLive) {
        return;
    }
    m_shownLive = live;
    for (QLineEdit* box : std::as_const(m_statusBoxes)) {
        QPalette palette;
        if (!live) {
            palette = box->palette();
            palette.setColor(QPalette::Text, palette.color(QPalette::Disabled, QPalette::Text));
        }
        box->setPalette(palette);
    }
}

// Only 1..20 is ever written (an untouched box would write the broadcast
// address 0); the sequencer checks the text again when it sends.
void Main_Form::Addr_Command1_Click() {
    if (!m_MSComm1->isOpen()) {
        return;
    }
    if (!settings::newBusAddress(field("AddrText1")->text())) {
        showMessage(this, settings::kDataError);
        return;
    }
    m_sequencer.requestAddressWrite();
}

void Main_Form::Addr_Command2_Click() {
    if (m_MSComm1->isOpen()) {
        m_sequencer.requestAddressQuery();
    }
}

void Main_Form::AddrText1_Change() {
    QLineEdit* box = field("AddrText1");
    if (!settings::addressEntryAccepted(box->text())) {
        showMessage(this, settings::kDataError);
        box->setText(QStringLiteral("1"));
    }
}

void Main_Form::Copy_Command_Click() {
    for (const settings::SetPoint& setPoint : settings::setPoints()) {
        field(setPoint.entryName)->setText(field(setPoint.displayName)->text());
    }
}

// A changed entry whose value would not fit its bytes refuses the whole
// transfer before anything is sent.
void Main_Form::Setup_Command_Click() {
    if (!m_MSComm1->isOpen()) {
        return;
    }
    if (field("S_TECcoolStart_Text")->text().isEmpty() ||
        field("S_TempMin_Text")->text().isEmpty()) {
        showMessage(this, settings::kNoData);
        return;
    }
    for (const settings::SetPoint& setPoint : settings::setPoints()) {
        const QString entry = field(setPoint.entryName)->text();
        if (entry != field(setPoint.displayName)->text() &&
            !settings::setPointWrite(setPoint, entry, 0)) {
            showMessage(this, settings::kDataError);
            return;
        }
    }
    m_sequencer.requestSettings();
}

void Main_Form::Command3_Click() {
    if (m_MSComm1->isOpen()) {
        m_sequencer.requestAnalogWrite();
    }
}

// The access code is asked for unless the factory window is already shown.
void Main_Form::F_Setup_Command_Click() {
    if (factoryFormShown()) {
        return;
    }
    Password_Form* gate = passwordForm();
    gate->show();
    gate->raise();
    gate->activateWindow();
}

// The scan opens the bus window, which keeps the controllers found polled
// while it stays open.
void Main_Form::ScanBus_Command_Click() {
    if (!m_MSComm1->isOpen()) {
        return;
    }
    if (!m_busWindow) {
        m_busWindow = new BusWindow(*m_station, this);
        connect(m_busWindow, &BusWindow::monitorRequested, this, &Main_Form::monitorController);
    }
    m_busWindow->scan();
    m_busWindow->show();
    m_busWindow->raise();
    m_busWindow->activateWindow();
}

// As after an address reply, every later request carries the new address;
// what the window shows of the controller followed so far is emptied and
// refills from the new one's replies, its device information first.
void Main_Form::monitorController(std::uint8_t address) {
    const std::uint8_t shown = m_sequencer.address();
    if (address == shown) {
        return;
    }
    if (m_sequencer.writesPending() &&
        !askMessage(this,
                    QStringLiteral("Values for controller %1 are still to be sent. Give them up "
                                   "and monitor controller %2?")
                        .arg(shown)
                        .arg(address),
                    QStringLiteral("Monitor %1").arg(address))) {
        return;
    }
    clearShown();
    m_station->switchTo(address);
    field("AddrText2")->setText(QString::number(address));
    m_switched = true;
    showLink();
}

// Nothing of the controller followed so far stays in the boxes and lamps.
void Main_Form::clearShown() {
    for (const char* name : {"TextBox1", "TextBox2", "TextBox3", "TextBox4"}) {
        field(name)->clear();
    }
    for (QLineEdit* box : std::as_const(m_statusBoxes)) {
        box->clear();
    }
    for (QWidget* lamp : m_lamps) {
        lamp->setProperty("ForeColor", display::kWhite);
    }
    m_FanSpeed.clear();
    if (m_F_Setup_Form) {
        m_F_Setup_Form->clearReadback();
    }
}

Password_Form* Main_Form::passwordForm() {
    if (!m_Password_Form) {
        m_Password_Form = new Password_Form(this);
        connect(m_Password_Form, &Password_Form::opened, this, [this] {
            F_Setup_Form* form = factoryForm();
            form->show();
            form->raise();
            form->activateWindow();
        });
    }
    return m_Password_Form;
}

F_Setup_Form* Main_Form::factoryForm() {
    if (!m_F_Setup_Form) {
        m_F_Setup_Form = new F_Setup_Form([this] { return plate(); }, this);
        connect(m_F_Setup_Form, &F_Setup_Form::sendSetupRequested, this,
                [this] { m_sequencer.requestFactorySettings(); });
    }
    return m_F_Setup_Form;
}

void Main_Form::ScanPorts() {
    for (int n = 1; n <= 3; ++n) {
        m_MSComm1->setPortNumber(n);
        if (m_MSComm1->open()) {
            m_MSComm1->close();
            m_CommPortName[static_cast<std::size_t>(m_CommPortNo)] = QStringLiteral("COM%1").arg(n);
            ++m_CommPortNo;
        }
    }
}

void Main_Form::Timer1_Timer() {
    if (m_CommPortNo == 0) {
        ScanPorts();
    }
    if (!m_MSComm1->isOpen()) {
        showPortSelector();
        return;
    }
    const sequencer::TickResult done = m_station->tick();
    if (done.echoSeen) {
        m_RS422Option->setChecked(true);
    }
    if (done.replyIndicatesLine && !m_RS422Option->isChecked()) {
        m_RS485Option->setChecked(true);
    }
    if (!done.message.isEmpty()) {
        postMessage(this, done.message);
    }
    if (!done.factoryMessage.isEmpty()) {
        postMessage(factoryForm(), done.factoryMessage);
    }
    showLink();
}

// Once ports are known, the selector shows the first.
void Main_Form::showPortSelector() {
    if (!m_CommPortText->text().startsWith(u'C') && m_CommPortNo > 0) {
        m_CommPortText->setText(m_CommPortName[0]);
        m_CommPortVScroll->setMaximum(m_CommPortNo);
        showSelectedPort();
        if (m_CommPortNo > 1) {
            m_CommPortVScroll->setVisible(true);
        }
        showLink();
    }
}

// The factory window's boxes are empty until it exists.
QString Main_Form::boxText(const char* name) const {
    if (const QLineEdit* box = field(name)) {
        return box->text();
    }
    return m_F_Setup_Form ? m_F_Setup_Form->boxText(name) : QString();
}

bool Main_Form::boxChecked(const char* name) const {
    return m_F_Setup_Form && m_F_Setup_Form->boxChecked(name);
}

void Main_Form::DecodeStatusFrame(const station::StatusReply& reply) {
    const display::StatusDisplay shown = display::decodeStatus(reply, QLocale());
    for (const display::FieldText& text : shown.fields) {
        field(text.name)->setText(text.text);
    }
    for (std::size_t i = 0; i < m_lamps.size(); ++i) {
        if (shown.lampCodes[i] != display::kLampUnchanged) {
            m_lamps[i]->setProperty("ForeColor", shown.lampCodes[i]);
        }
    }
    UpdateFanSpeed(shown.innerFanHigh, shown.innerFanLow, shown.outerFanHigh, shown.outerFanLow);
    field("CommCtr_Text")->setText(QString::number(m_sequencer.counters().statusFrameNo));
}

void Main_Form::UpdateFanSpeed(std::uint8_t innerHigh, std::uint8_t innerLow,
                               std::uint8_t outerHigh, std::uint8_t outerLow) {
    const display::FanSpeed::Shown shown =
        m_FanSpeed.update(innerHigh, innerLow, outerHigh, outerLow);
    field("IntFanSpeed_Text")->setText(shown.inner);
    field("ExtFanSpeed_Text")->setText(shown.outer);
}

void Main_Form::DecodeDeviceInfo(const protocol::DeviceInfo& info) {
    const auto latin1 = [](const std::string& bytes) {
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    };
    field("TextBox1")->setText(latin1(info.model));
    field("TextBox2")->setText(latin1(info.version));
    field("TextBox3")->setText(latin1(info.softwareVersion));
    if (info.semiconductorEdition) {
        field("TextBox4")->setText(kEditionStatement);
    }
}
