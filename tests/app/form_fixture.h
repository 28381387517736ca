// A main window on the fake port, with the real lamp library, for tests
// that drive the poll tick by hand, and a small script language that says
// what the operator and the line do and what must follow.
#pragma once

#include "lamp_library_for_tests.h"
#include "test_bytes.h"

#include "app/main_form.h"
#include "fake_comm_port.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAccessible>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

// Closes every message box that comes up and keeps its text, title and icon;
// answers the questions and the file dialogs.
class MessageBoxCatcher : public QObject {
public:
    QStringList texts;
    QStringList titles;
    QStringList windows; // the objectName of the window each box was shown on
    bool anyIcon = false;
    QList<bool> answers; // to the yes/no questions in turn (no when none is left)
    QStringList files;   // chosen in the file dialogs in turn (cancelled when none is left)
    QStringList folders; // where each file dialog started
    std::function<void(QWidget*)> seen; // shown each dialog before it is answered

    MessageBoxCatcher() {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal == m_answered) {
                return;
            }
            if (seen) {
                seen(modal);
            }
            if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                m_answered = dialog;
                folders << dialog->directory().path();
                const QString file = files.isEmpty() ? QString() : files.takeFirst();
                dialog->findChild<QLineEdit*>("fileNameEdit")->setText(file);
                // Queued, so that a box the dialog asks in turn is answered too.
                QMetaObject::invokeMethod(dialog, file.isEmpty() ? "reject" : "accept",
                                          Qt::QueuedConnection);
            } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                texts << box->text();
                titles << box->windowTitle();
                windows << box->parentWidget()->window()->objectName();
                anyIcon = anyIcon || box->icon() != QMessageBox::NoIcon;
                const bool yes = !answers.isEmpty() && answers.takeFirst();
                QAbstractButton* ok = box->button(QMessageBox::Ok);
                (ok ? ok : box->button(yes ? QMessageBox::Yes : QMessageBox::No))->click();
            }
        });
        m_timer.start();
    }

private:
    QTimer m_timer;
    QPointer<QWidget> m_answered; // a file dialog whose answer is on its way
};

struct FormFixture {
    FakeCommPort* port = nullptr;
    std::unique_ptr<Main_Form> form;
    MessageBoxCatcher messages;
    QTemporaryDir home;          // the files that a script saves and loads
    qsizetype checkedWrites = 0; // blocks written that a script has looked at
    qsizetype checkedMessages = 0;

    explicit FormFixture(const QSet<int>& ports = {1}) {
        auto fake = std::make_unique<FakeCommPort>();
        fake->available = ports;
        port = fake.get();
        form = std::make_unique<Main_Form>(
            std::move(fake), [](QWidget* parent) { return lampLibrary().createLamp(parent); });
        // Ticks are driven by the test alone.
        form->findChild<QTimer*>(QStringLiteral("Timer1"))->stop();
    }

    // "Name" on the main window, else on another; "Window/Name" on that window.
    template <typename T = QWidget> T* find(const QString& path) const {
        const QStringList parts = path.split(u'/');
        T* elsewhere = nullptr;
        for (T* widget : form->findChildren<T*>(parts.last())) {
            const QWidget* window = widget->window();
            if (parts.size() == 2 ? window->objectName() == parts[0] : window == form.get()) {
                return widget;
            }
            elsewhere = elsewhere ? elsewhere : widget;
        }
        return parts.size() == 2 ? nullptr : elsewhere;
    }
    QWidget* window(const QString& name) const {
        return name == form->objectName() ? form.get() : form->findChild<QWidget*>(name);
    }
    QLineEdit* edit(const QString& name) const { return find<QLineEdit>(name); }
    QAbstractButton* button(const QString& name) const { return find<QAbstractButton>(name); }

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
        checkedWrites = 0;
    }

    // The window laid out and shown, as the operator sees it.
    void show() {
        form->resize(form->sizeHint());
        form->show();
    }

    // Runs the steps, separated by ";", and stops at the first that fails:
    //   ports [N ...] (those that open) | refuse N | open | toggle | unplug
    //   badname N WHY (port N's device name is refused) | network (every port a network line)
    //   step (the port selector) | tick [N] | spin (the event loop's turn)
    //   feed HEX | status OFFSET=VALUE ... | info TEXT | locale NAME
    //   set BOX [TEXT] | type BOX TEXT | key WIDGET KEY | click BUTTON
    //   show (the main window) | activate WINDOW | close WINDOW | focus WIDGET
    //   press WIDGET   clicked through its window, no message box between press and release
    //   focused WIDGET the focus of its window is there
    //   wrote HEX      the next block written since the last look
    //   quiet          nothing more was written
    //   port N (the one open, 0: none) | opens N (calls so far) | waiting N (bytes unread)
    //   shows NAME [TEXT] (a box's, button's or label's text)
    //   checked NAME 0|1 | visible NAME 0|1 | shown WINDOW 0|1 | spoken NAME TEXT
    //   told TEXT      the next message box, once the event loop has turned
    //   untold         no message box yet, without a turn of the event loop
    //   on WINDOW      the last message box told was shown on that window
    //   lamps CODES    the 22 lamp codes as digits
    //   file NAME      the next file dialog chooses home/NAME | answer yes|no (the next question)
    //   started DIR    the last file dialog started in home/DIR | mkdir DIR | exists NAME 0|1
    // A widget of another window is NAME, or WINDOW/NAME where the main window has one.
    void run(const QString& script) {
        for (const QString& step : script.split(u';')) {
            const QString command = step.trimmed().section(u' ', 0, 0);
            const QString rest = step.trimmed().section(u' ', 1);
            const QString name = rest.section(u' ', 0, 0);
            const QString text = rest.section(u' ', 1);
            const QString where = QStringLiteral("at \"%1\"").arg(step.trimmed());
            if (command == "told" || command == "spin") {
                QCoreApplication::processEvents();
            }
            if (command == "ports" || command == "refuse") {
                QSet<int> numbers;
                for (const QString& number : rest.split(u' ', Qt::SkipEmptyParts)) {
                    numbers << number.toInt();
                }
                (command == "ports" ? port->available : port->failing) = numbers;
            } else if (command == "badname") {
                port->badNames[name.toInt()] = text;
            } else if (command == "network") {
                port->network = true;
            } else if (command == "step") {
                find<QAbstractSlider>(QStringLiteral("CommPortVScroll"))
                    ->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            } else if (command == "show") {
                show();
            } else if (command == "focus") {
                find(rest)->setFocus();
            } else if (command == "press") {
                QWidget* target = find(rest);
                const QPoint at = target->mapTo(target->window(), target->rect().center());
                QTest::mousePress(target->window()->windowHandle(), Qt::LeftButton, {}, at);
                QCoreApplication::processEvents(); // whatever the loop does in between
                QCOMPARE(messages.texts.mid(checkedMessages), QStringList());
                QTest::mouseRelease(target->window()->windowHandle(), Qt::LeftButton, {}, at);
            } else if (command == "focused") {
                QCOMPARE(find(rest)->window()->focusWidget(), find(rest));
            } else if (command == "activate") {
                window(rest)->activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(window(rest)));
            } else if (command == "close") {
                window(rest)->close();
            } else if (command == "port") {
                QCOMPARE(port->isOpen() ? port->openedNumber : 0, rest.toInt());
            } else if (command == "opens") {
                QCOMPARE(port->openCalls, rest.toInt());
            } else if (command == "waiting") {
                QCOMPARE(port->incoming.size(), rest.toInt());
            } else if (command == "visible") {
                QCOMPARE(find(name)->isVisibleTo(form.get()), text == "1");
            } else if (command == "spoken") {
                QCOMPARE(QAccessible::queryAccessibleInterface(find(name))->text(QAccessible::Name),
                         text);
            } else if (command == "open") {
                openPort();
            } else if (command == "toggle") {
                button(QStringLiteral("CommPort_ToggleButton"))->click();
            } else if (command == "unplug") {
                port->unplug();
            } else if (command == "tick") {
                tick(rest.isEmpty() ? 1 : rest.toInt());
            } else if (command == "feed") {
                port->feed(QByteArray::fromHex(rest.toLatin1()));
            } else if (command == "locale") {
                QLocale::setDefault(QLocale(rest));
            } else if (command == "status") {
                QByteArray reply = statusReply();
                for (const QString& pair : rest.split(u' ', Qt::SkipEmptyParts)) {
                    reply[pair.section(u'=', 0, 0).toInt()] = char(pair.section(u'=', 1).toInt());
                }
                port->feed(framed(reply.chopped(1)));
            } else if (command == "info") {
                port->feed(deviceInfoReply(rest.toLatin1()));
            } else if (command == "set") {
                QVERIFY2(edit(name), qPrintable(where));
                edit(name)->setText(text);
            } else if (command == "type") {
                QTest::keyClicks(edit(name), text);
            } else if (command == "key") {
                QTest::keyClick(find(name), Qt::Key(QKeySequence::fromString(text)[0].key()));
            } else if (command == "click") {
                QVERIFY2(button(rest), qPrintable(where));
                button(rest)->click();
            } else if (command == "wrote") {
                QVERIFY2(checkedWrites < port->written.size(), qPrintable(where + " nothing"));
                QCOMPARE(hexOf(port->written[checkedWrites++]), rest.toUpper());
            } else if (command == "quiet") {
                QCOMPARE(port->written.mid(checkedWrites), QList<QByteArray>());
            } else if (command == "shows") {
                QVERIFY2(find(name), qPrintable(where));
                QCOMPARE(find(name)->property("text").toString(), text);
            } else if (command == "told") {
                QVERIFY2(checkedMessages < messages.texts.size(), qPrintable(where + " untold"));
                QCOMPARE(messages.texts[checkedMessages++], rest);
            } else if (command == "on") {
                QCOMPARE(messages.windows.value(checkedMessages - 1), rest);
            } else if (command == "untold") {
                QCOMPARE(messages.texts.mid(checkedMessages), QStringList());
            } else if (command == "lamps") {
                QString codes;
                for (int n = 1; n <= 22; ++n) {
                    codes += find(QStringLiteral("StatusBox%1").arg(n))
                                 ->property("ForeColor")
                                 .toString();
                }
                QCOMPARE(codes, rest);
            } else if (command == "checked") {
                QCOMPARE(button(name)->isChecked(), text == "1");
            } else if (command == "shown") {
                QCOMPARE(window(name) && window(name)->isVisible(), text == "1");
            } else if (command == "file") {
                messages.files << home.filePath(rest);
            } else if (command == "answer") {
                messages.answers << (rest == "yes");
            } else if (command == "started") {
                QCOMPARE(QDir(messages.folders.value(messages.folders.size() - 1)),
                         QDir(home.filePath(rest)));
            } else if (command == "mkdir") {
                QVERIFY(QDir(home.path()).mkdir(rest));
            } else if (command == "exists") {
                QCOMPARE(QFileInfo::exists(home.filePath(name)), text == "1");
            } else if (command != "spin") {
                QFAIL(qPrintable("no such step " + where));
            }
            if (QTest::currentTestFailed()) {
                qWarning("%s", qPrintable(where));
                return;
            }
        }
    }
};
