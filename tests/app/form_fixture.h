// A main window on the fake port, with the real lamp library, for tests
// that drive the poll tick by hand.
#pragma once

#include "lamp_library_for_tests.h"
#include "test_bytes.h"

#include "app/main_form.h"
#include "fake_comm_port.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <memory>

struct FormFixture {
    FakeCommPort* port = nullptr;
    std::unique_ptr<Main_Form> form;

    explicit FormFixture(const QSet<int>& ports = {1}) {
        auto fake = std::make_unique<FakeCommPort>();
        fake->available = ports;
        port = fake.get();
        form = std::make_unique<Main_Form>(
            std::move(fake), [](QWidget* parent) { return lampLibrary().createLamp(parent); });
        // Ticks are driven by the test alone.
        form->findChild<QTimer*>(QStringLiteral("Timer1"))->stop();
    }

    template <typename T = QWidget> T* find(const QString& name) const {
        return form->findChild<T*>(name);
    }
    QLineEdit* edit(const QString& name) const { return find<QLineEdit>(name); }
    QString text(const QString& name) const { return edit(name)->text(); }
    QAbstractButton* button(const QString& name) const { return find<QAbstractButton>(name); }
    int lamp(int number) const {
        return find(QStringLiteral("StatusBox%1").arg(number))->property("ForeColor").toInt();
    }

    void tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            form->Timer1_Timer();
        }
    }

    // Scans, then opens the first port found; the next tick is the first
    // with the port open.
    void openPort() {
        tick();
        button(QStringLiteral("CommPort_ToggleButton"))->click();
        port->written.clear();
    }

    // The window laid out and shown, as the operator sees it.
    void show() {
        form->resize(form->sizeHint());
        form->show();
    }
};

// Closes every message box that comes up and keeps its text, title and icon.
class MessageBoxCatcher : public QObject {
public:
    QStringList texts;
    QStringList titles;
    bool anyIcon = false;

    MessageBoxCatcher() {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box) {
                texts << box->text();
                titles << box->windowTitle();
                anyIcon = anyIcon || box->icon() != QMessageBox::NoIcon;
                box->button(QMessageBox::Ok)->click();
            }
        });
        m_timer.start();
    }

private:
    QTimer m_timer;
};
