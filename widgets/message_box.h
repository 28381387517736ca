// The one way the program tells the operator something.
#pragma once

#include <QString>

class QWidget;

inline constexpr const char* kApplicationTitle = "Brisco_v20E";

// A modal box with the text, an OK button, no icon, under the application's
// title. Returns when the operator has closed it.
void showMessage(QWidget* parent, const QString& text);

// The same box with Yes and No buttons (No the default, as the safe answer);
// true when the operator answered Yes.
bool askQuestion(QWidget* parent, const QString& text);

// The same box, shown once the current handler has returned, for handlers
// that must not wait for the operator (the poll tick).
void postMessage(QWidget* parent, const QString& text);

// A question in the same manner: the text, the OK button captioned go (what
// it does) and Cancel. True when the operator chose OK.
bool askMessage(QWidget* parent, const QString& text, const QString& go);
