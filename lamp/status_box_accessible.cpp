#include "lamp/status_box_accessible.h"

#include "lamp/status_box.h"

namespace {

QAccessibleInterface* createInterface(const QString& className, QObject* object) {
    if (className == QLatin1String("StatusBox") && object && object->isWidgetType())
        return new StatusBoxAccessible(static_cast<StatusBox*>(object));
    return nullptr;
}

} // namespace

StatusBoxAccessible::StatusBoxAccessible(StatusBox* lamp)
    : QAccessibleWidget(lamp, QAccessible::StaticText) {}

StatusBox* StatusBoxAccessible::lamp() const {
    return static_cast<StatusBox*>(widget());
}

QString StatusBoxAccessible::text(QAccessible::Text t) const {
    const QString word = lamp()->colourWord();
    switch (t) {
    case QAccessible::Name: {
        const QString caption = lamp()->accessibleName();
        return caption.isEmpty() ? word : caption + QStringLiteral(", ") + word;
    }
    case QAccessible::Value:
        return word;
    default:
        return QAccessibleWidget::text(t);
    }
}

int StatusBoxAccessible::childCount() const {
    return 0;
}

QAccessibleInterface* StatusBoxAccessible::child(int) const {
    return nullptr;
}

void StatusBoxAccessible::install() {
    QAccessible::installFactory(&createInterface);
}

void StatusBoxAccessible::uninstall() {
    QAccessible::removeFactory(&createInterface);
}

void StatusBoxAccessible::colourChanged(StatusBox* lamp) {
    QAccessibleValueChangeEvent value(lamp, lamp->colourWord());
    QAccessible::updateAccessibility(&value);
    QAccessibleEvent name(lamp, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&name);
}
