// A screen reader's bridge built into a test program (import it with
// Q_IMPORT_PLUGIN(HearingPlugin)): what the windows tell it, to be read back.
#pragma once

#include <QAccessible>
#include <QAccessibleBridge>
#include <QAccessibleBridgePlugin>
#include <QRegularExpression>

#include <utility>

// What the platform passes on to a screen reader, "objectName event" each.
inline QStringList g_heard;
class Hearing : public QAccessibleBridge {
    void setRootObject(QAccessibleInterface*) override {}
    void notifyAccessibilityUpdate(QAccessibleEvent* event) override {
        g_heard << event->object()->objectName() + ' ' + QString::number(event->type(), 16);
    }
};
class HearingPlugin : public QAccessibleBridgePlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QAccessibleBridgeFactoryInterface_iid FILE "hearing.json")

public:
    // Qt never deletes a bridge: one for the whole run.
    QAccessibleBridge* create(const QString&) override {
        static Hearing bridge;
        return &bridge;
    }
};

// What was heard since the last look that matches the pattern.
inline QStringList heard(const QString& pattern) {
    return std::exchange(g_heard, {}).filter(QRegularExpression('^' + pattern));
}
