#include "app/main_form.h"

#include "app/comm_port.h"
#include "app/message_box.h"
#include "display/status_decoder.h"
#include "protocol/device_info.h"
#include "settings/number_reading.h"

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
const QString kDataError = QStringLiteral("Data error！");
const QString kEditionStatement = QStringLiteral("半导体制冷制热");

constexpr int kBacklogLimit = 80;
constexpr int kCommandSlotBacklogLimit = 100;
constexpr int kLastTick = 31999;
constexpr int kStallTicks = 8;

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
    , m_MSComm1(port.release()) {
    m_MSComm1->setParent(this);
    m_MSComm1->setObjectName(QStringLiteral("MSComm1"));
    connect(m_MSComm1, &CommPort::lost, this, &Main_Form::onPortLost);

    buildLayout(createLamp);

    m_Timer1 = new QTimer(this);
    m_Timer1->setObjectName(QStringLiteral("Timer1"));
    m_Timer1->setInterval(kTickMilliseconds);
    connect(m_Timer1, &QTimer::timeout, this, &Main_Form::Timer1_Timer);

    Form_Load();
}

Main_Form::~Main_Form() {
    Form_Unload();
}

void Main_Form::Form_Load() {
    m_Ring = protocol::ReceiveRing();
    m_Address = 1;
    m_FanSpeed.resetPointer();
    f_Command02 = true;
    m_Timer1->start();
}

void Main_Form::Form_Unload() {
    if (m_MSComm1->isOpen()) {
        m_MSComm1->close();
    }
}

void Main_Form::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

QLineEdit* Main_Form::field(const char* name) const {
    return m_fields.value(QString::fromLatin1(name));
}

std::uint8_t Main_Form::addressByte() const {
    return static_cast<std::uint8_t>(m_Address & 0xFF);
}

bool Main_Form::factoryFormShown() const {
    return m_F_Setup_Form && m_F_Setup_Form->isVisible();
}

void Main_Form::CommPort_ToggleButton_Click() {
    if (m_CommPortNo > 0) {
        if (m_CommPort_ToggleButton->text() == kOpenComm) {
            m_MSComm1->setPortNumber(portNumberOf(m_CommPortText->text()));
            // A port taken by another program since the scan stays closed.
            if (m_MSComm1->open()) {
                m_CommPort_ToggleButton->setText(kStopComm);
            }
        } else {
            m_CommPort_ToggleButton->setText(kOpenComm);
            m_MSComm1->close();
        }
    }
    m_CommPort_ToggleButton->setChecked(m_CommPort_ToggleButton->text() == kStopComm);
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

void Main_Form::onPortLost() {
    m_CommPort_ToggleButton->setText(kOpenComm);
    m_CommPort_ToggleButton->setChecked(false);
}

void Main_Form::Addr_Command1_Click() {
    if (m_MSComm1->isOpen()) {
        f_Addr_Command1 = true;
    }
}

void Main_Form::Addr_Command2_Click() {
    if (m_MSComm1->isOpen()) {
        f_Addr_Command2 = true;
    }
}

void Main_Form::Command3_Click() {
    if (m_MSComm1->isOpen()) {
        f_Command3 = true;
    }
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
        if (!m_CommPortText->text().startsWith(u'C') && m_CommPortNo > 0) {
            m_CommPortText->setText(m_CommPortName[0]);
            m_CommPortVScroll->setMaximum(m_CommPortNo);
            showSelectedPort();
            if (m_CommPortNo > 1) {
                m_CommPortVScroll->setVisible(true);
            }
        }
        return;
    }

    const bool inputArrived = m_MSComm1->bytesWaiting() > 0;
    ReadCommInput();
    const protocol::ScanResult found = protocol::scanFrames(m_Ring, addressByte());
    DispatchReply(found);

    if (++m_TickNo > kLastTick) {
        m_TickNo = 0;
    }
    const int unread = m_Ring.dataNo();
    switch (m_TickNo % 4) {
    case 2:
        if (unread < kCommandSlotBacklogLimit) {
            SendCommandSlot();
        }
        break;
    case 0:
        if (unread < kBacklogLimit) {
            if (f_SetupButton) {
                SendSetting();
            } else {
                WriteFrame(protocol::buildStatusPoll(addressByte()));
            }
        }
        break;
    default:
        if (unread < kBacklogLimit && f_SetupButton) {
            SendSetting();
        }
        break;
    }
    ResynchroniseIfStalled(found.waiting, inputArrived);
}

// A frame that waits for more bytes while the backlog holds back the requests
// whose replies would bring them (a corrupted length byte can announce up to
// 128) would wait for ever. Once no byte has come for a while, its first byte
// is given up and the scan resynchronises on the bytes behind it.
void Main_Form::ResynchroniseIfStalled(bool waiting, bool inputArrived) {
    if (!waiting || inputArrived || m_Ring.dataNo() < kBacklogLimit) {
        m_stalledTicks = 0;
        return;
    }
    if (++m_stalledTicks >= kStallTicks) {
        m_Ring.drop(1);
        m_stalledTicks = 0;
    }
}

// The command slot: at most one operator request, in order of priority.
void Main_Form::SendCommandSlot() {
    if (f_SetupButton) {
        SendSetting();
        return;
    }
    if (f_Addr_Command2) {
        f_Addr_Command2 = false;
        WriteFrame(protocol::buildAddressQuery());
        return;
    }
    if (f_Addr_Command1) {
        f_Addr_Command1 = false;
        SendParameterWrite("AddrText1", protocol::kParamBusAddress, protocol::Encoding::Plain);
        return;
    }
    if (f_Command02) {
        if (field("TextBox1")->text().isEmpty()) {
            WriteFrame(protocol::buildDeviceInfoQuery(addressByte()));
            return;
        }
        f_Command02 = false;
    }
    if (f_Command3) {
        f_Command3 = false;
        SendParameterWrite("SetupT_Text", protocol::kParamAnalogTemp,
                           protocol::Encoding::HalfDegree);
        return;
    }
    if (f_F_Setup_Command) {
        SendFactorySetting();
        return;
    }
    if (factoryFormShown()) {
        WriteFrame(protocol::buildFactoryQuery(addressByte()));
    }
}

// A value that does not fit its byte is never sent truncated.
void Main_Form::SendParameterWrite(const char* box, std::uint8_t parameter,
                                   protocol::Encoding encoding) {
    const double x = settings::readNumber(field(box)->text());
    const auto frame = protocol::buildParameterWrite(addressByte(), parameter, encoding, x);
    if (frame) {
        WriteFrame(*frame);
    } else {
        postMessage(this, kDataError);
    }
}

// The settings transfer is carried out frame by frame from here; until the
// set-point sender exists a transfer ends at once without a frame.
void Main_Form::SendSetting() {
    f_SetupButton = false;
}

void Main_Form::SendFactorySetting() {
    f_F_Setup_Command = false;
}

void Main_Form::WriteFrame(const protocol::Frame& frame) {
    m_MSComm1->write(QByteArray(reinterpret_cast<const char*>(frame.data()),
                                static_cast<qsizetype>(frame.size())));
}

void Main_Form::ReadCommInput() {
    if (m_MSComm1->bytesWaiting() <= 0) {
        return;
    }
    const QByteArray bytes = m_MSComm1->readAll();
    m_Ring.append(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                            static_cast<std::size_t>(bytes.size())));
}

void Main_Form::DispatchReply(const protocol::ScanResult& found) {
    if (found.echoSeen) {
        m_RS422Option->setChecked(true);
    }
    if (found.reply == protocol::ReplyKind::None) {
        return;
    }
    const bool checked = found.reply != protocol::ReplyKind::WriteAck &&
                         found.reply != protocol::ReplyKind::Command45;
    if (checked && !found.verified) {
        ++m_ChecksumErrorNo;
    }
    if (found.verified) {
        switch (found.reply) {
        case protocol::ReplyKind::Status:
            DecodeStatusFrame();
            break;
        case protocol::ReplyKind::Address:
            m_Address = found.replyAddress;
            field("AddrText2")->setText(QString::number(m_Address));
            break;
        case protocol::ReplyKind::DeviceInfo:
            DecodeDeviceInfo();
            break;
        case protocol::ReplyKind::Factory:
        case protocol::ReplyKind::WriteAck:
        case protocol::ReplyKind::Command45:
        case protocol::ReplyKind::None:
            break;
        }
    }
    m_Ring.drop(found.dropLength);
    if (found.replyIndicatesLine && !m_RS422Option->isChecked()) {
        m_RS485Option->setChecked(true);
    }
}

void Main_Form::DecodeStatusFrame() {
    std::array<std::uint8_t, protocol::kStatusReplyLength> reply{};
    for (int k = 0; k < protocol::kStatusReplyLength; ++k) {
        reply[static_cast<std::size_t>(k)] = m_Ring.at(k);
    }
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
    ++m_StatusFrameNo;
    field("CommCtr_Text")->setText(QString::number(m_StatusFrameNo));
}

void Main_Form::UpdateFanSpeed(std::uint8_t innerHigh, std::uint8_t innerLow,
                               std::uint8_t outerHigh, std::uint8_t outerLow) {
    const display::FanSpeed::Shown shown =
        m_FanSpeed.update(innerHigh, innerLow, outerHigh, outerLow);
    field("IntFanSpeed_Text")->setText(shown.inner);
    field("ExtFanSpeed_Text")->setText(shown.outer);
}

void Main_Form::DecodeDeviceInfo() {
    const std::string text = protocol::deviceInfoText(m_Ring);
    const auto info = protocol::splitDeviceInfo(text);
    if (!info) {
        return;
    }
    const auto latin1 = [](const std::string& bytes) {
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    };
    field("TextBox1")->setText(latin1(info->model));
    field("TextBox2")->setText(latin1(info->version));
    field("TextBox3")->setText(latin1(info->softwareVersion));
    if (info->semiconductorEdition) {
        field("TextBox4")->setText(kEditionStatement);
    }
}
