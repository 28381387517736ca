// The factory set-up window: each factory value as an entry box above a
// display box, the cooling-only switch as an editable check box above a
// locked one, and "Send setup".
#pragma once

#include "settings/factory_table.h"
#include "settings/setpoint_file.h"

#include <QHash>
#include <QWidget>

#include <functional>
#include <optional>

class QCheckBox;
class QLineEdit;

class F_Setup_Form : public QWidget {
    Q_OBJECT

public:
    // plate: a set of the controller on the line, its values still to be
    // filled in.
    explicit F_Setup_Form(std::function<brisco::settings::SetPointFile()> plate,
                          QWidget* parent = nullptr);

    QString boxText(const char* name) const;
    bool boxChecked(const char* name) const;
    // The controller's values, as the factory reply carries them.
    void showReadback(const brisco::settings::FactoryReadback& readback);
    // Nothing read back yet: the main window follows another controller.
    void clearReadback();

    void F_Setup_Command_Click();
    // The factory values as the controller last reported them, into a file.
    void SaveFactory_Command_Click();
    // A factory file into the entry boxes, whole or not at all; nothing is
    // sent until "Send setup".
    void LoadFactory_Command_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // "Send setup": the factory transfer starts again at parameter 16.
    void sendSetupRequested();

private:
    std::optional<brisco::settings::SetPointFile> reportedSet();

    std::function<brisco::settings::SetPointFile()> m_plate;
    std::optional<brisco::settings::FactorySet> m_reported; // by the last factory reply
    QHash<QString, QLineEdit*> m_boxes;
    QCheckBox* m_CheckBox1;
    QCheckBox* m_CheckBox2;
};
