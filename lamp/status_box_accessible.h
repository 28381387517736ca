// What assistive technology hears of a lamp: the caption that its host gave
// it (the host's accessible name) and the colour it shows, as a word.
#pragma once

#include <QAccessibleWidget>

class StatusBox;

class StatusBoxAccessible : public QAccessibleWidget {
public:
    explicit StatusBoxAccessible(StatusBox* lamp);

    // Name: "caption, word" (the word alone without a caption); value: the word.
    QString text(QAccessible::Text t) const override;
    // The figure inside is the lamp itself, not a part of its own.
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;

    // Installed while a lamp lives (installing again is harmless), so that a
    // host may unload the library once its lamps are gone.
    static void install();
    static void uninstall();
    // Tells assistive technology that the colour shown has changed.
    static void colourChanged(StatusBox* lamp);

private:
    StatusBox* lamp() const;
};
