#include "factory/password_form.h"

#include "settings/factory_table.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

constexpr int kMaximumLength = 10;

} // namespace

Password_Form::Password_Form(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_Password_TextBox(new QLineEdit) {
    setObjectName(QStringLiteral("Password_Form"));
    setWindowTitle(QStringLiteral("密码"));
    auto* label = new QLabel(QStringLiteral("Password"));
    label->setObjectName(QStringLiteral("Label1"));
    label->setAccessibleDescription(label->objectName());
    label->setBuddy(m_Password_TextBox);
    m_Password_TextBox->setObjectName(QStringLiteral("Password_TextBox"));
    m_Password_TextBox->setAccessibleDescription(m_Password_TextBox->objectName());
    m_Password_TextBox->setAccessibleName(QStringLiteral("Password"));
    m_Password_TextBox->setEchoMode(QLineEdit::Password);
    m_Password_TextBox->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    m_Password_TextBox->setMaxLength(kMaximumLength);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_Password_TextBox);
    connect(m_Password_TextBox, &QLineEdit::textChanged, this,
            &Password_Form::Password_TextBox_Change);
}

// Shown or brought back to the front, the window asks afresh.
bool Password_Form::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show) {
        Form_Activate();
    }
    return QWidget::event(event);
}

void Password_Form::Form_Activate() {
    m_Password_TextBox->clear();
}

void Password_Form::Password_TextBox_Change() {
    if (brisco::settings::accessCodeOpens(m_Password_TextBox->text())) {
        hide();
        emit opened();
    }
}
