// The main window: owner of the port, the poll timer, the shared state and
// every field, button and lamp.
#pragma once

#include "display/fan_speed.h"
#include "protocol/frame_scan.h"
#include "protocol/frames.h"
#include "protocol/receive_ring.h"

#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class CommPort;
class QAbstractButton;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTimer;

class Main_Form : public QWidget {
    Q_OBJECT

public:
    using LampFactory = std::function<QWidget*(QWidget* parent)>;

    static constexpr int kTickMilliseconds = 250;

    // The form takes the port; createLamp makes one indicator lamp.
    Main_Form(std::unique_ptr<CommPort> port, const LampFactory& createLamp,
              QWidget* parent = nullptr);
    ~Main_Form() override;

    // Shared state. The request flags and step counters are reached by the
    // factory window too; everything else is the window's own.
    bool f_Addr_Command1 = false;
    bool f_Addr_Command2 = false;
    bool f_SetupButton = false;
    qint16 m_Address = 1;
    qint16 m_CommPortNo = 0;
    bool f_Command02 = false;
    qint16 m_SetupNo = 0;
    bool f_F_Setup_Command = false;
    qint16 m_F_SetupNo = 0;
    bool f_Command3 = false;
    std::array<QString, 4> m_CommPortName;
    qint16 m_TickNo = 0;
    // Counts every decoded status reply; it goes on past 32767 rather than
    // wrapping negative.
    qint64 m_StatusFrameNo = 0;
    // Replies dropped because their checksum did not match.
    qint64 m_ChecksumErrorNo = 0;

    const brisco::protocol::ReceiveRing& receiveRing() const { return m_Ring; }
    const brisco::display::FanSpeed& fanSpeed() const { return m_FanSpeed; }
    CommPort* commPort() const { return m_MSComm1; }

    // Handlers, named after their control and event.
    void Form_Load();
    void Form_Unload();
    void Timer1_Timer();
    void CommPort_ToggleButton_Click();
    void CommPortVScroll_Change();
    void Addr_Command1_Click();
    void Addr_Command2_Click();
    void Command3_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout(const LampFactory& createLamp);
    void ScanPorts();
    void ReadCommInput();
    void DispatchReply(const brisco::protocol::ScanResult& found);
    void DecodeStatusFrame();
    void UpdateFanSpeed(std::uint8_t innerHigh, std::uint8_t innerLow, std::uint8_t outerHigh,
                        std::uint8_t outerLow);
    void DecodeDeviceInfo();
    void SendSetting();
    void SendFactorySetting();
    void SendCommandSlot();
    void SendParameterWrite(const char* box, std::uint8_t parameter,
                            brisco::protocol::Encoding encoding);
    void WriteFrame(const brisco::protocol::Frame& frame);
    void ResynchroniseIfStalled(bool waiting, bool inputArrived);
    void onPortLost();
    void showSelectedPort();
    std::uint8_t addressByte() const;
    bool factoryFormShown() const;

    QLineEdit* field(const char* name) const;

    CommPort* m_MSComm1 = nullptr;
    QTimer* m_Timer1 = nullptr;
    brisco::protocol::ReceiveRing m_Ring;
    brisco::display::FanSpeed m_FanSpeed;
    int m_stalledTicks = 0;

    QHash<QString, QLineEdit*> m_fields;
    std::array<QWidget*, 22> m_lamps{};
    QLineEdit* m_CommPortText = nullptr;
    QScrollBar* m_CommPortVScroll = nullptr;
    QPushButton* m_CommPort_ToggleButton = nullptr;
    QRadioButton* m_RS422Option = nullptr;
    QRadioButton* m_RS485Option = nullptr;
    QPointer<QWidget> m_F_Setup_Form;
};
