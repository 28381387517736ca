// The factory set-up window: each factory value as an entry box above a
// display box, the cooling-only switch as an editable check box above a
// locked one, and "Send setup".
#pragma once

#include "settings/factory_table.h"

#include <QHash>
#include <QWidget>

class QCheckBox;
class QLineEdit;

class F_Setup_Form : public QWidget {
    Q_OBJECT

public:
    explicit F_Setup_Form(QWidget* parent = nullptr);

    QString boxText(const char* name) const;
    bool boxChecked(const char* name) const;
    // The controller's values, as the factory reply carries them.
    void showReadback(const brisco::settings::FactoryReadback& readback);
    // Nothing read back yet: the main window follows another controller.
    void clearReadback();

    void F_Setup_Command_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // "Send setup": the factory transfer starts again at parameter 16.
    void sendSetupRequested();

private:
    QHash<QString, QLineEdit*> m_boxes;
    QCheckBox* m_CheckBox1;
    QCheckBox* m_CheckBox2;
};
