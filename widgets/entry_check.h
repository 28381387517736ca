// The entry check of a box (the handler <box>_Validate): it runs when the box
// loses the focus to another control of its window, by Tab or by a click on a
// box or a button, and never when the program sets the text or the operator
// turns to another application. A value out of range is answered with a
// message; the check is advisory, so the text stays as typed and the focus
// goes where the operator sent it.
#pragma once

#include "settings/setpoint_table.h"

#include <QObject>
#include <QString>

class QLineEdit;

class EntryCheck : public QObject {
    Q_OBJECT

public:
    // Child of the box, named after it: "<box>_Validate".
    EntryCheck(QLineEdit* box, const brisco::settings::Range& range, const QString& message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void validate();
    void showAfterTheClick();

    QLineEdit* m_box;
    brisco::settings::Range m_range;
    QString m_message;
    QString m_pending; // the message to show once the click is over
};
