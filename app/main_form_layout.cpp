// The main window's controls, built from tables: groups, captions, names.
#include "app/main_form.h"

#include "app/link_line.h"
#include "display/lamp_table.h"
#include "display/status_decoder.h"
#include "settings/entry_rules.h"
#include "widgets/entry_check.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <cstring>
#include <tuple>
#include <vector>

namespace {

constexpr int kBoxWidth = 64;

struct PlateRow {
    const char* name;
    const char* caption;
    const char* secondCaption;
};
constexpr PlateRow kPlateRows[] = {
    {"TextBox1", "model", nullptr},
    {"TextBox2", "PCB", "version"},
    {"TextBox3", "software version", "version"},
    {"TextBox4", "Edition statement", "statement"},
};

// Display-only measurements below the set-points of their group.
struct MeasuredRow {
    const char* group;
    const char* caption;
    const char* name;
    const char* labelName; // nullptr: numbered like every other label
};
constexpr MeasuredRow kMeasuredRows[] = {
    {"Semiconductor module", "Current", "TECcurrent_Text", nullptr},
    {"Inner fan", "Current rotation speed", "IntFanSpeed_Text", nullptr},
    {"Outer fan", "Current rotation speed", "ExtFanSpeed_Text", "ExtFanSpeedLabel"},
};

struct GeneralRow {
    const char* caption;
    const char* name;
    bool editable;
};
constexpr GeneralRow kGeneralRows[] = {
    {"Comm counter", "CommCtr_Text", false},  {"Analog temp", "SetupT_Text", true},
    {"Inner temp", "Temp1_Text", false},      {"Outer temp", "Temp2_Text", false},
    {"Control T", "ControlTemp_Text", false}, {"DC voltage", "DCvoltage_Text", false},
};

struct ButtonRow {
    const char* name;
    const char* caption;
};
constexpr ButtonRow kStateButtons[] = {
    {"Copy_Command", "Copy set"},
    {"Setup_Command", "Send set"},
    {"Command3", "Send analog"},
    {"F_Setup_Command", "factory setting"},
};
// Below the buttons of the set-points: the set-point files.
constexpr ButtonRow kSetFileButtons[] = {
    {"SaveSet_Command", "Save set…"},
    {"LoadSet_Command", "Load set…"},
};

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

// Names every control and tells assistive technology what it is.
class FormBuilder {
public:
    explicit FormBuilder(QHash<QString, QLineEdit*>& fields)
        : m_fields(fields) {}

    QGroupBox* group(const char* caption) {
        auto* box = new QGroupBox(text(caption));
        name(box, QStringLiteral("Frame%1").arg(++m_frameNo), text(caption));
        return box;
    }

    QLabel* label(const char* caption, const char* objectName = nullptr) {
        auto* label = new QLabel(text(caption));
        name(label, objectName ? text(objectName) : QStringLiteral("Label%1").arg(++m_labelNo),
             text(caption).trimmed());
        return label;
    }

    // A box that only shows a value takes the focus by a click (to copy its
    // text), never by Tab, so that Tab goes from one entry to the next.
    QLineEdit* box(const char* objectName, const QString& spokenName, bool editable) {
        auto* edit = new QLineEdit;
        edit->setReadOnly(!editable);
        edit->setFocusPolicy(editable ? Qt::StrongFocus : Qt::ClickFocus);
        edit->setFixedWidth(kBoxWidth);
        name(edit, text(objectName), spokenName);
        m_fields.insert(text(objectName), edit);
        return edit;
    }

    // A button's spoken name is its caption, whatever the caption says now.
    static QPushButton* button(const char* objectName, const char* caption) {
        auto* button = new QPushButton(text(caption));
        button->setObjectName(text(objectName));
        button->setAccessibleDescription(text(objectName));
        return button;
    }

    static void name(QWidget* widget, const QString& objectName, const QString& spokenName) {
        widget->setObjectName(objectName);
        widget->setAccessibleDescription(objectName);
        widget->setAccessibleName(spokenName);
    }

private:
    QHash<QString, QLineEdit*>& m_fields;
    int m_frameNo = 0;
    int m_labelNo = 0;
};

// The titled groups that hold set-points, by caption, each a grid of rows:
// label, entry box, display box.
class SetPointGroups {
public:
    QGroupBox* add(FormBuilder& b, const char* caption) {
        QGroupBox* groupBox = b.group(caption);
        auto* grid = new QGridLayout(groupBox);
        grid->setColumnStretch(0, 1);
        m_grids.emplace_back(text(caption), grid);
        return groupBox;
    }

    QGridLayout* grid(const char* caption) const {
        for (const auto& [name, grid] : m_grids) {
            if (name == text(caption)) {
                return grid;
            }
        }
        return nullptr;
    }

    void addRow(const char* caption, QLabel* label, QLineEdit* entry, QLineEdit* shown) const {
        QGridLayout* to = grid(caption);
        const int row = to->rowCount();
        to->addWidget(label, row, 0);
        if (entry) {
            to->addWidget(entry, row, 1);
        }
        to->addWidget(shown, row, 2);
    }

private:
    std::vector<std::pair<QString, QGridLayout*>> m_grids;
};

void Main_Form::buildLayout(const LampFactory& createLamp) {
    FormBuilder b(m_fields);
    setWindowTitle(QStringLiteral("Brisco后台软件_v20E"));
    FormBuilder::name(this, QStringLiteral("Main_Form"), windowTitle());

    // Side by side, so that the window fits the screen of a service laptop.
    auto* side = new QVBoxLayout;
    side->addWidget(buildPlateGroup(b));
    side->addWidget(buildPortGroup(b));
    side->addStretch();
    auto* body = new QHBoxLayout;
    body->addLayout(side);
    body->addWidget(buildStateGroup(b, createLamp), 1);
    m_linkLine = new LinkLine(m_station->log());
    auto* window = new QVBoxLayout(this);
    window->addLayout(body, 1);
    window->addWidget(m_linkLine);

    // What a status reply fills, greyed while it is not live.
    static const std::array<std::uint8_t, 36> anyReply{};
    for (const auto& shown : brisco::display::decodeStatus(anyReply, QLocale::c()).fields) {
        m_statusBoxes << field(shown.name);
    }
    m_statusBoxes << field("IntFanSpeed_Text") << field("ExtFanSpeed_Text");

    setTabChain();
    connectHandlers();
}

QGroupBox* Main_Form::buildPlateGroup(FormBuilder& b) {
    QGroupBox* plate = b.group("Plate information");
    auto* grid = new QGridLayout(plate);
    int row = 0;
    for (const PlateRow& r : kPlateRows) {
        auto* captions = new QVBoxLayout;
        captions->setSpacing(0);
        QString spoken = text(r.caption);
        captions->addWidget(b.label(r.caption));
        if (r.secondCaption) {
            captions->addWidget(b.label(r.secondCaption));
            spoken += u' ' + text(r.secondCaption);
        }
        grid->addLayout(captions, row, 0);
        QLineEdit* edit = b.box(r.name, spoken, false);
        edit->setMinimumWidth(150);
        edit->setMaximumWidth(QWIDGETSIZE_MAX);
        grid->addWidget(edit, row++, 1);
    }
    grid->setColumnStretch(1, 1);
    return plate;
}

QGroupBox* Main_Form::buildPortGroup(FormBuilder& b) {
    QGroupBox* portGroup = b.group("Communication port");
    auto* grid = new QGridLayout(portGroup);
    m_CommPortText = b.box("CommPortText", QStringLiteral("Serial port"), false);
    m_CommPortVScroll = new QScrollBar(Qt::Vertical);
    FormBuilder::name(m_CommPortVScroll, QStringLiteral("CommPortVScroll"),
                      QStringLiteral("Next serial port"));
    m_CommPortVScroll->setRange(0, 0);
    // One port per click, on the arrows and on the trough alike.
    m_CommPortVScroll->setPageStep(1);
    m_CommPortVScroll->setFixedHeight(m_CommPortText->sizeHint().height());
    m_CommPortVScroll->setVisible(false);
    m_CommPort_ToggleButton = b.button("CommPort_ToggleButton", "OpenComm");
    m_CommPort_ToggleButton->setCheckable(true);
    // Which device stands behind each port, beside the port's name.
    m_Ports_Command = b.button("Ports_Command", "Ports…");
    auto* selector = new QHBoxLayout;
    selector->setSpacing(1);
    selector->addWidget(m_CommPortText);
    selector->addWidget(m_CommPortVScroll);
    selector->addWidget(m_Ports_Command);
    selector->addStretch();
    grid->addLayout(selector, 0, 0, 1, 2);
    grid->addWidget(m_CommPort_ToggleButton, 0, 2, 1, 2);

    grid->addWidget(b.label("Mode"), 1, 0);
    m_RS485Option = new QRadioButton(QStringLiteral("RS485"));
    FormBuilder::name(m_RS485Option, QStringLiteral("RS485Option"), QStringLiteral("Mode RS485"));
    m_RS422Option = new QRadioButton(QStringLiteral("RS422"));
    FormBuilder::name(m_RS422Option, QStringLiteral("RS422Option"), QStringLiteral("Mode RS422"));
    grid->addWidget(m_RS485Option, 1, 1);
    grid->addWidget(m_RS422Option, 1, 2);

    int row = 2;
    for (const auto& [name, caption, value] :
         {std::tuple("TextBox5", "Setup", "9600,8,N,1"),
          std::tuple("TextBox6", "Protocol", "MODBUS 改进型")}) {
        grid->addWidget(b.label(caption), row, 0);
        QLineEdit* fixed = b.box(name, text(caption), false);
        fixed->setText(text(value));
        fixed->setMinimumWidth(120);
        grid->addWidget(fixed, row++, 1, 1, 2);
    }
    grid->addWidget(b.button("Addr_Command1", "Send addr"), 4, 0);
    grid->addWidget(b.box("AddrText1", QStringLiteral("New address"), true), 4, 1);
    grid->addWidget(b.button("Addr_Command2", "Get addr"), 5, 0);
    grid->addWidget(b.box("AddrText2", QStringLiteral("Address read"), false), 5, 1);
    // Every controller on the line, where the address commands are.
    m_ScanBus_Command = b.button("ScanBus_Command", "Scan bus");
    m_ScanBus_Command->setEnabled(false);
    grid->addWidget(m_ScanBus_Command, 5, 2);
    grid->setColumnStretch(3, 1);
    return portGroup;
}

// "Device state database": the set-point groups, the measurements and the
// buttons on the left, the lamp groups on the right.
QGroupBox* Main_Form::buildStateGroup(FormBuilder& b, const LampFactory& createLamp) {
    QGroupBox* state = b.group("Device state database");
    auto* grid = new QGridLayout(state);
    SetPointGroups groups;
    QGroupBox* module = groups.add(b, "Semiconductor module");
    QGridLayout* moduleGrid = groups.grid("Semiconductor module");
    moduleGrid->addWidget(groups.add(b, "Cooling"), 0, 0, 1, 3);
    moduleGrid->addWidget(groups.add(b, "Heating"), 1, 0, 1, 3);
    auto* fans = new QVBoxLayout;
    for (const char* caption : {"Inner fan", "Outer fan", "Warning"}) {
        fans->addWidget(groups.add(b, caption));
    }
    fans->addStretch();
    fillSetPointGroups(b, groups);
    addCoolingOnly(b, moduleGrid);

    auto* moduleColumn = new QVBoxLayout;
    moduleColumn->addWidget(module);
    moduleColumn->addLayout(buildGeneralRows(b));
    moduleColumn->addStretch();

    grid->addLayout(moduleColumn, 0, 0);
    grid->addLayout(fans, 0, 1);
    grid->addWidget(buildLampGroup(b, createLamp, brisco::display::kWorkingStateGroup,
                                   brisco::display::workingStateLamps()),
                    0, 2, Qt::AlignTop);
    grid->addWidget(
        buildLampGroup(b, createLamp, brisco::display::kAlertsGroup, brisco::display::alertLamps()),
        0, 3);
    return state;
}

// Each set-point as its label, entry box and display box in its group, then
// the measurements that only show a value.
void Main_Form::fillSetPointGroups(FormBuilder& b, SetPointGroups& groups) {
    for (const brisco::settings::SetPoint& setPoint : brisco::settings::setPoints()) {
        const QString spoken = text(setPoint.group) + u' ' + text(setPoint.label).trimmed();
        groups.addRow(
            setPoint.group, b.label(setPoint.label),
            b.box(setPoint.entryName, spoken + QStringLiteral(", new value"), true),
            b.box(setPoint.displayName, spoken + QStringLiteral(", controller value"), false));
    }
    for (const MeasuredRow& r : kMeasuredRows) {
        groups.addRow(r.group, b.label(r.caption, r.labelName), nullptr,
                      b.box(r.name, text(r.group) + u' ' + text(r.caption), false));
    }
}

void Main_Form::addCoolingOnly(FormBuilder& b, QGridLayout* moduleGrid) {
    const int row = moduleGrid->rowCount();
    moduleGrid->addWidget(b.label("Cooling only"), row, 0);
    auto* choice = new QHBoxLayout;
    for (const char* name : {"Option1", "Option2"}) {
        auto* option = new QRadioButton;
        FormBuilder::name(option, text(name),
                          QStringLiteral("Cooling only, choice %1").arg(text(name).back()));
        choice->addWidget(option);
    }
    moduleGrid->addLayout(choice, row, 1, 1, 2);
}

// The measurements and "Analog temp" with the buttons of the group beside them.
QGridLayout* Main_Form::buildGeneralRows(FormBuilder& b) {
    auto* general = new QGridLayout;
    int row = 0;
    for (const GeneralRow& r : kGeneralRows) {
        general->addWidget(b.label(r.caption), row, 0);
        general->addWidget(b.box(r.name, text(r.caption), r.editable), row++, 1);
    }
    general->setRowStretch(row, 1);
    auto* buttons = new QVBoxLayout;
    for (const auto& rows :
         {std::span<const ButtonRow>(kStateButtons), std::span<const ButtonRow>(kSetFileButtons)}) {
        for (const ButtonRow& r : rows) {
            buttons->addWidget(b.button(r.name, r.caption));
        }
    }
    buttons->addStretch();
    general->addLayout(buttons, 0, 2, row, 1);
    return general;
}

QGroupBox* Main_Form::buildLampGroup(FormBuilder& b, const LampFactory& createLamp,
                                     const char* caption,
                                     std::span<const brisco::display::LampRow> lamps) {
    QGroupBox* groupBox = b.group(caption);
    auto* grid = new QGridLayout(groupBox);
    grid->setVerticalSpacing(6);
    int row = 0;
    for (const brisco::display::LampRow& lampRow : lamps) {
        QWidget* lamp = createLamp(groupBox);
        FormBuilder::name(lamp, QStringLiteral("StatusBox%1").arg(lampRow.number),
                          text(caption) + u' ' + text(lampRow.caption));
        lamp->setFixedSize(17, 15);
        m_lamps[static_cast<std::size_t>(lampRow.number - 1)] = lamp;
        grid->addWidget(b.label(lampRow.caption), row, 0);
        grid->addWidget(lamp, row++, 1);
    }
    grid->setRowStretch(row, 1);
    return groupBox;
}

// Opening the port is the first thing an operator does; then Tab takes the
// entries in the order of the set-point table.
void Main_Form::setTabChain() {
    m_CommPort_ToggleButton->setFocus();
    QList<QWidget*> chain{
        m_CommPort_ToggleButton, m_RS485Option,
        m_RS422Option,           findChild<QWidget*>(QStringLiteral("Addr_Command1")),
        field("AddrText1"),      findChild<QWidget*>(QStringLiteral("Addr_Command2")),
        m_ScanBus_Command};
    for (const brisco::settings::SetPoint& setPoint : brisco::settings::setPoints()) {
        chain << field(setPoint.entryName);
    }
    chain << field("SetupT_Text");
    for (const ButtonRow& r : kStateButtons) {
        chain << findChild<QPushButton*>(text(r.name));
    }
    chain << findChild<QWidget*>(QStringLiteral("Option1"))
          << findChild<QWidget*>(QStringLiteral("Option2"));
    for (const ButtonRow& r : kSetFileButtons) {
        chain << findChild<QPushButton*>(text(r.name));
    }
    chain << m_linkLine->findChild<QWidget*>(QStringLiteral("Record_Command"))
          << m_linkLine->findChild<QWidget*>(QStringLiteral("Trends_Command"))
          << m_linkLine->findChild<QWidget*>(QStringLiteral("Events_Command")) << m_Ports_Command;
    for (qsizetype i = 1; i < chain.size(); ++i) {
        setTabOrder(chain[i - 1], chain[i]);
    }
}

void Main_Form::connectHandlers() {
    const auto button = [this](const char* name) {
        return findChild<QPushButton*>(QString::fromLatin1(name));
    };
    connect(m_CommPort_ToggleButton, &QPushButton::clicked, this,
            &Main_Form::CommPort_ToggleButton_Click);
    connect(m_CommPortVScroll, &QScrollBar::valueChanged, this, &Main_Form::CommPortVScroll_Change);
    connect(button("Addr_Command1"), &QPushButton::clicked, this, &Main_Form::Addr_Command1_Click);
    connect(button("Addr_Command2"), &QPushButton::clicked, this, &Main_Form::Addr_Command2_Click);
    connect(button("Command3"), &QPushButton::clicked, this, &Main_Form::Command3_Click);
    connect(button("Copy_Command"), &QPushButton::clicked, this, &Main_Form::Copy_Command_Click);
    connect(button("Setup_Command"), &QPushButton::clicked, this, &Main_Form::Setup_Command_Click);
    connect(button("F_Setup_Command"), &QPushButton::clicked, this,
            &Main_Form::F_Setup_Command_Click);
    connect(button("SaveSet_Command"), &QPushButton::clicked, this,
            &Main_Form::SaveSet_Command_Click);
    connect(button("LoadSet_Command"), &QPushButton::clicked, this,
            &Main_Form::LoadSet_Command_Click);
    connect(m_ScanBus_Command, &QPushButton::clicked, this, &Main_Form::ScanBus_Command_Click);
    connect(m_Ports_Command, &QPushButton::clicked, this, &Main_Form::Ports_Command_Click);
    connect(field("AddrText1"), &QLineEdit::textChanged, this, &Main_Form::AddrText1_Change);

    // The entry checks, S_TECcoolStart_Text_Validate ... SetupT_Text_Validate.
    for (const brisco::settings::SetPoint& setPoint : brisco::settings::setPoints()) {
        new EntryCheck(field(setPoint.entryName), setPoint.range, brisco::settings::kDataError);
    }
    new EntryCheck(field("SetupT_Text"), brisco::settings::kAnalogTempRange,
                   brisco::settings::kDataError);
}
