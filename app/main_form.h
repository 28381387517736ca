// The main window: owner of the poll timer, the station that runs the line,
// and every field, button and lamp.
#pragma once

#include "display/fan_speed.h"
#include "display/status_values.h"
#include "sequencer/poll_sequencer.h"
#include "settings/setpoint_file.h"
#include "station/station.h"

#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <span>

class BusWindow;
class CommPort;
class F_Setup_Form;
class FormBuilder;
class LinkLine;
class Password_Form;
class QGridLayout;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTimer;
class SessionLog;
class SetPointGroups;
namespace brisco::display {
struct LampRow;
}

class Main_Form : public QWidget, private brisco::station::BoxSource {
    Q_OBJECT

public:
    using LampFactory = std::function<QWidget*(QWidget* parent)>;

    static constexpr int kTickMilliseconds = brisco::station::Station::kTickMilliseconds;

    // The form takes the port; createLamp makes one indicator lamp.
    Main_Form(std::unique_ptr<CommPort> port, const LampFactory& createLamp,
              QWidget* parent = nullptr);
    ~Main_Form() override;

    const brisco::sequencer::LinkCounters& linkCounters() const { return m_station->counters(); }
    LinkLine* linkLine() const { return m_linkLine; }
    SessionLog* sessionLog() const { return &m_station->log(); }

    // The set-points as the controller last reported them, into a file;
    // false, with the operator told why, when there are none yet or the file
    // cannot be written.
    bool saveSetPoints(const QString& path);
    // A set-point file into the entry boxes, whole or not at all; nothing is
    // sent until "Send set".
    bool loadSetPoints(const QString& path);

    // Handlers, named after their control and event.
    void Form_Load();
    void Form_Unload();
    void Timer1_Timer();
    void CommPort_ToggleButton_Click();
    void CommPortVScroll_Change();
    void Addr_Command1_Click();
    void Addr_Command2_Click();
    void AddrText1_Change();
    void Copy_Command_Click();
    void Setup_Command_Click();
    void Command3_Click();
    void F_Setup_Command_Click();
    void SaveSet_Command_Click();
    void LoadSet_Command_Click();
    void ScanBus_Command_Click();
    void Ports_Command_Click();
    // The main window follows the controller at address from now on, asking
    // the operator first when writes to the one shown are still to be sent.
    void monitorController(std::uint8_t address);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // What the poll sequencer asks of the window.
    QString boxText(const char* name) const override;
    bool boxChecked(const char* name) const override;
    bool factoryFormShown() const override;

    // The layout, one group per function.
    void buildLayout(const LampFactory& createLamp);
    QGroupBox* buildPlateGroup(FormBuilder& b);
    QGroupBox* buildPortGroup(FormBuilder& b);
    QGroupBox* buildStateGroup(FormBuilder& b, const LampFactory& createLamp);
    void fillSetPointGroups(FormBuilder& b, SetPointGroups& groups);
    void addCoolingOnly(FormBuilder& b, QGridLayout* moduleGrid);
    QGridLayout* buildGeneralRows(FormBuilder& b);
    QGroupBox* buildLampGroup(FormBuilder& b, const LampFactory& createLamp, const char* caption,
                              std::span<const brisco::display::LampRow> lamps);
    void setTabChain();
    void connectHandlers();
    void connectStation();
    void ScanPorts();
    void showPortSelector();
    void DecodeStatusFrame(const brisco::station::StatusReply& reply);
    void UpdateFanSpeed(std::uint8_t innerHigh, std::uint8_t innerLow, std::uint8_t outerHigh,
                        std::uint8_t outerLow);
    void DecodeDeviceInfo(const brisco::protocol::DeviceInfo& info);
    void clearShown();
    // Both windows are made on first use and live as long as this one.
    Password_Form* passwordForm();
    F_Setup_Form* factoryForm();
    void showPortOpen();
    void onPortLost();
    void showSelectedPort();
    // The devices behind the ports were chosen anew.
    void portsChosen();
    // The link line, and the value boxes greyed while they are not live.
    void showLink(bool lost = false);
    // A set of the controller on the line, its values still to be filled in.
    brisco::settings::SetPointFile plate() const;
    // The last status reply's set-points with the plate; nothing, with the
    // operator told, before the first reply.
    std::optional<brisco::settings::SetPointFile> reportedSet();

    QLineEdit* field(const char* name) const;

    brisco::station::Station* m_station;
    CommPort* m_MSComm1;
    brisco::sequencer::PollSequencer& m_sequencer;
    QTimer* m_Timer1 = nullptr;
    brisco::display::FanSpeed m_FanSpeed;
    qint16 m_CommPortNo = 0;
    std::array<QString, 4> m_CommPortName;

    QHash<QString, QLineEdit*> m_fields;
    std::array<QWidget*, 22> m_lamps{};
    QLineEdit* m_CommPortText = nullptr;
    QScrollBar* m_CommPortVScroll = nullptr;
    QPushButton* m_CommPort_ToggleButton = nullptr;
    QRadioButton* m_RS422Option = nullptr;
    QRadioButton* m_RS485Option = nullptr;
    LinkLine* m_linkLine = nullptr;
    QList<QLineEdit*> m_statusBoxes; // what a status reply fills
    bool m_shownLive = true;
    QPointer<Password_Form> m_Password_Form;
    QPointer<F_Setup_Form> m_F_Setup_Form;
    QPointer<BusWindow> m_busWindow;
    QPushButton* m_ScanBus_Command = nullptr;
    QPushButton* m_Ports_Command = nullptr;
    bool m_switched = false; // the link line names the address once the operator chose one
};
