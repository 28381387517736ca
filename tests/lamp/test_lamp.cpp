// The Lumbrel library through its entry points, and the StatusBox lamp
// through its meta-object, as a host that loads it by name uses them.
#include "lamp/lumbrel_api.h"

#include <QAccessible>
#include <QColor>
#include <QHash>
#include <QImage>
#include <QLibrary>
#include <QTest>
#include <QWidget>

#include <limits>
#include <memory>

namespace {

// The colour painted in the middle of the lamp's figure.
QColor paintedOf(QWidget* lamp) {
    lamp->resize(17, 15);
    return lamp->grab().toImage().pixelColor(
        lamp->findChild<QWidget*>(QStringLiteral("Shape1"))->geometry().center());
}

// ForeColor set as a dispatch interface would: false when refused.
bool assign(QWidget* lamp, const QVariant& value) {
    bool accepted = false;
    QMetaObject::invokeMethod(lamp, "setForeColor", Q_RETURN_ARG(bool, accepted),
                              Q_ARG(QVariant, value));
    return accepted;
}

} // namespace

class TestLamp : public QObject {
    Q_OBJECT

    QLibrary m_library{QStringLiteral(LUMBREL_PATH)};
    LumbrelClassFactory m_factory{};
    LumbrelCanUnloadNowFn canUnloadNow = nullptr;

    template <typename Fn> Fn entry(const char* name) {
        return reinterpret_cast<Fn>(m_library.resolve(name));
    }
    std::unique_ptr<QWidget> createLamp(QWidget* parent = nullptr) {
        return std::unique_ptr<QWidget>(static_cast<QWidget*>(m_factory.createInstance(parent)));
    }

private slots:
    void initTestCase() {
        QVERIFY2(m_library.load(), qPrintable(m_library.errorString()));
        canUnloadNow = entry<LumbrelCanUnloadNowFn>("DllCanUnloadNow");
        QCOMPARE(entry<LumbrelRegisterServerFn>("DllRegisterServer")(), LUMBREL_OK);
        const auto getClassObject = entry<LumbrelGetClassObjectFn>("DllGetClassObject");
        QCOMPARE(getClassObject(LUMBREL_STATUS_BOX_CLASS_ID, &m_factory), LUMBREL_OK);
    }
    // Every lamp a test made is gone again, and the library knows it.
    void cleanup() { QCOMPARE(canUnloadNow(), LUMBREL_OK); }

    // A fresh lamp is white with code 0; lamps owned by a window keep the
    // library loaded until the window takes them down.
    void freshLampOwnedByAWindow() {
        auto window = std::make_unique<QWidget>();
        QWidget* lamp = createLamp(window.get()).release();
        QCOMPARE(lamp->property("ForeColor").toInt(), 0);
        QCOMPARE(paintedOf(lamp), QColor(Qt::white));
        QCOMPARE(canUnloadNow(), LUMBREL_FALSE);
        window.reset();
        QCOMPARE(canUnloadNow(), LUMBREL_OK);
    }

    // A lamp showing red (2) is given one value: a code 0 to 3 sets the colour,
    // another code keeps it; numbers round halves to even; a value outside
    // the 16-bit range or no number is refused, leaving code and colour, and
    // tells why until the next good one. The colour is heard as a word.
    void assignments_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("colour");
        QTest::addColumn<QByteArray>("error");
        const auto row = [](const char* name, const QVariant& value, int code, const char* colour,
                            const char* error = "NoError") {
            QTest::newRow(name) << value << code << colour << QByteArray(error);
        };
        row("1", 1, 1, "green");
        row("3", 3, 3, "yellow");
        row("0", 0, 0, "off");
        row("7 keeps the colour", 7, 7, "red");
        row("-1 keeps the colour", -1, -1, "red");
        row("0.5 to even", 0.5, 0, "off");
        row("1.5 to even", 1.5, 2, "red");
        row("2.5 to even", 2.5, 2, "red");
        row("32767", 32767, 32767, "red");
        row("32768", qlonglong(32768), 2, "red", "Overflow");
        row("-32768", -32768, -32768, "red");
        row("-32769", -32769, 2, "red", "Overflow");
        row("unsigned 32767", 32767u, 32767, "red");
        row("unsigned 32768", 32768u, 2, "red", "Overflow");
        row("32767.4", 32767.4, 32767, "red");
        row("32766.5 to even", 32766.5, 32766, "red");
        row("32767.5 rounds to 32768", 32767.5, 2, "red", "Overflow");
        row("-32767.5 to even", -32767.5, -32768, "red");
        row("-32768.5 to even", -32768.5, -32768, "red");
        row("-32768.6", -32768.6, 2, "red", "Overflow");
        row("text 32768", QStringLiteral("32768"), 2, "red", "Overflow");
        row("NaN", std::numeric_limits<double>::quiet_NaN(), 2, "red", "TypeMismatch");
    }
    void assignments() {
        QFETCH(QVariant, value);
        QFETCH(QString, colour);
        QFETCH(QByteArray, error);
        const QHash<QString, QColor> colours{
            {"off", Qt::white}, {"green", Qt::green}, {"red", Qt::red}, {"yellow", Qt::yellow}};
        const auto lamp = createLamp();
        QVERIFY(assign(lamp.get(), 2));
        QCOMPARE(assign(lamp.get(), value), error == "NoError");
        QCOMPARE(lamp->property("lastError").toByteArray(), error);
        QTEST(lamp->property("ForeColor").toInt(), "code");
        QCOMPARE(paintedOf(lamp.get()), colours[colour]);
        const QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(lamp.get());
        QCOMPARE(heard->text(QAccessible::Name), colour);
        QCOMPARE(heard->text(QAccessible::Value), colour);
        lamp->setAccessibleName(QStringLiteral("High temp")); // the host's caption
        QCOMPARE(heard->text(QAccessible::Name), "High temp, " + colour);
        QVERIFY(assign(lamp.get(), 1));
        QCOMPARE(lamp->property("lastError").toByteArray(), "NoError");
    }
};

QTEST_MAIN(TestLamp)
#include "test_lamp.moc"
