// The access-code window: the factory window opens the moment the code has
// been typed, with no key to confirm it, no message and no count of tries.
#pragma once

#include <QWidget>

class QLineEdit;

class Password_Form : public QWidget {
    Q_OBJECT

public:
    explicit Password_Form(QWidget* parent = nullptr);

    void Form_Activate();
    void Password_TextBox_Change();

signals:
    // The code was typed; this window has hidden itself.
    void opened();

protected:
    bool event(QEvent* event) override;

private:
    QLineEdit* m_Password_TextBox;
};
