#include "factory/f_setup_form.h"

#include "protocol/receive_ring.h"
#include "settings/entry_rules.h"
#include "widgets/entry_check.h"
#include "widgets/message_box.h"
#include "widgets/set_file_dialogs.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <tuple>

using namespace brisco::settings;

namespace {

constexpr int kBoxWidth = 64;

void name(QWidget* widget, const char* objectName, const QString& spokenName) {
    widget->setObjectName(QString::fromLatin1(objectName));
    widget->setAccessibleDescription(widget->objectName());
    widget->setAccessibleName(spokenName);
}

} // namespace

F_Setup_Form::F_Setup_Form(std::function<SetPointFile()> plate, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_plate(std::move(plate))
    , m_CheckBox1(new QCheckBox)
    , m_CheckBox2(new QCheckBox) {
    setObjectName(QStringLiteral("F_Setup_Form"));
    setWindowTitle(QStringLiteral("厂家设定"));
    auto* grid = new QGridLayout;
    int labelNo = 0;
    // Each pair takes two grid rows: the entry above the display.
    for (const FactoryValue& value : factoryValues()) {
        if (value.rule == FactoryRule::SecondCharacter) {
            continue;
        }
        const QString caption = QString::fromUtf8(value.label);
        auto* label = new QLabel(caption);
        label->setObjectName(QStringLiteral("Label%1").arg(++labelNo));
        label->setAccessibleDescription(label->objectName());
        QWidget* entry = m_CheckBox1;
        QWidget* display = m_CheckBox2;
        if (value.rule != FactoryRule::CheckBox) {
            auto* entryBox = new QLineEdit;
            auto* displayBox = new QLineEdit;
            displayBox->setReadOnly(true);
            displayBox->setFocusPolicy(Qt::ClickFocus);
            for (QLineEdit* box : {entryBox, displayBox}) {
                box->setFixedWidth(kBoxWidth);
            }
            m_boxes.insert(QString::fromLatin1(value.entryName), entryBox);
            m_boxes.insert(QString::fromLatin1(value.displayName), displayBox);
            entry = entryBox;
            display = displayBox;
        }
        const QString spoken = factoryValueName(value);
        name(entry, value.entryName, spoken + QStringLiteral(", new value"));
        name(display, value.displayName, spoken + QStringLiteral(", controller value"));
        label->setBuddy(entry);
        const int row = 2 * value.row;
        const int column = 2 * value.column;
        grid->addWidget(label, row, column, 2, 1);
        grid->addWidget(entry, row, column + 1);
        grid->addWidget(display, row + 1, column + 1);
    }
    // Shown, but changed only by the controller's reply.
    m_CheckBox2->setFocusPolicy(Qt::NoFocus);
    m_CheckBox2->installEventFilter(this);

    // The factory files on the left, so that "Send setup" keeps its place.
    auto* buttons = new QHBoxLayout;
    const auto button = [buttons](const char* objectName, const char* caption) {
        auto* pushButton = new QPushButton(QString::fromUtf8(caption));
        pushButton->setObjectName(QString::fromLatin1(objectName));
        pushButton->setAccessibleDescription(pushButton->objectName());
        buttons->addWidget(pushButton);
        return pushButton;
    };
    QPushButton* save = button("SaveFactory_Command", "Save setup…");
    QPushButton* load = button("LoadFactory_Command", "Load setup…");
    buttons->addStretch();
    QPushButton* send = button("F_Setup_Command", "Send setup");
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    // Tab in reading order: the left column down, then the pairs of the
    // middle and right columns row by row, then "Send setup".
    QList<const FactoryValue*> order;
    for (const FactoryValue& value : factoryValues()) {
        if (value.rule != FactoryRule::SecondCharacter) {
            order << &value;
        }
    }
    std::stable_sort(order.begin(), order.end(), [](const FactoryValue* a, const FactoryValue* b) {
        return std::tuple(a->column > 0, a->row, a->column) <
               std::tuple(b->column > 0, b->row, b->column);
    });
    QWidget* previous = nullptr;
    for (const FactoryValue* value : order) {
        QWidget* entry = findChild<QWidget*>(QString::fromLatin1(value->entryName));
        if (previous) {
            setTabOrder(previous, entry);
        }
        previous = entry;
    }
    setTabOrder(previous, send);
    setTabOrder(send, save);
    setTabOrder(save, load);

    connect(send, &QPushButton::clicked, this, &F_Setup_Form::F_Setup_Command_Click);
    connect(save, &QPushButton::clicked, this, &F_Setup_Form::SaveFactory_Command_Click);
    connect(load, &QPushButton::clicked, this, &F_Setup_Form::LoadFactory_Command_Click);
    // S_H_Fan_Text_Validate.
    new EntryCheck(m_boxes.value(QStringLiteral("S_H_Fan_Text")), kHydrogenPeriodRange,
                   kFactoryDataError);
}

bool F_Setup_Form::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return watched == m_CheckBox2;
    default:
        return false;
    }
}

QString F_Setup_Form::boxText(const char* name) const {
    const QLineEdit* box = m_boxes.value(QString::fromLatin1(name));
    return box ? box->text() : QString();
}

bool F_Setup_Form::boxChecked(const char* name) const {
    const auto* box = findChild<QCheckBox*>(QString::fromLatin1(name));
    return box && box->isChecked();
}

void F_Setup_Form::showReadback(const FactoryReadback& readback) {
    for (const auto& [name, text] : readback.texts) {
        m_boxes.value(QString::fromLatin1(name))->setText(text);
    }
    m_CheckBox2->setChecked(readback.values.coolingOnly);
    m_reported = readback.values;
}

std::optional<SetPointFile> F_Setup_Form::reportedSet() {
    if (!m_reported) {
        showMessage(this, QStringLiteral("No factory reply has come yet: there are no factory "
                                         "values to save."));
        return std::nullopt;
    }
    SetPointFile set = m_plate();
    set.kind = SetPointFile::Kind::Factory;
    set.factory = *m_reported;
    return set;
}

void F_Setup_Form::SaveFactory_Command_Click() {
    if (const auto set = reportedSet()) {
        if (const QString path = askSavePath(this, *set); !path.isEmpty()) {
            writeSet(this, path, *set);
        }
    }
}

void F_Setup_Form::LoadFactory_Command_Click() {
    const QString path = askOpenPath(this, SetPointFile::Kind::Factory);
    const auto set = path.isEmpty()
                         ? std::nullopt
                         : readSet(this, path, SetPointFile::Kind::Factory, m_plate().model);
    if (!set) {
        return;
    }
    for (const FactoryValue& value : factoryValues()) {
        QLineEdit* entry = m_boxes.value(QString::fromLatin1(value.entryName));
        if (value.rule == FactoryRule::Numeric) {
            entry->setText(QString::number(set->factory.numbers[static_cast<std::size_t>(
                value.parameter - kFirstFactoryParameter)]));
        } else if (value.rule == FactoryRule::FirstCharacter) {
            entry->setText(set->factory.version);
        }
    }
    m_CheckBox1->setChecked(set->factory.coolingOnly);
}

void F_Setup_Form::clearReadback() {
    for (const auto& [name, text] : readFactoryReply({}).texts) {
        m_boxes.value(QString::fromLatin1(name))->clear();
    }
    m_CheckBox2->setChecked(false);
}

void F_Setup_Form::F_Setup_Command_Click() {
    emit sendSetupRequested();
}
