#include "lamp/lamp_shape.h"
#include "lamp/status_box.h"

#include <QImage>
#include <QLocale>
#include <QSignalSpy>
#include <QTest>
#include <limits>

using ConversionError = StatusBox::ConversionError;

namespace {

LampShape* shapeOf(const StatusBox& lamp) {
    return lamp.findChild<LampShape*>(QStringLiteral("Shape1"));
}

// Rendering first also delivers a pending resize, which places the figure.
QColor centrePixel(StatusBox& lamp) {
    const QImage image = lamp.grab().toImage();
    return image.pixelColor(shapeOf(lamp)->geometry().center());
}

} // namespace

class TestStatusBox : public QObject {
    Q_OBJECT

private slots:
    void freshLampIsWhiteWithCodeZero();
    void assignments_data();
    void assignments();
    void refusals_data();
    void refusals();
    void textInUserLocale();
    void paintedColour_data();
    void paintedColour();
};

void TestStatusBox::freshLampIsWhiteWithCodeZero() {
    StatusBox lamp;
    lamp.resize(17, 15);

    const QVariant code = lamp.property("ForeColor");
    QCOMPARE(code.typeId(), QMetaType::Short);
    QCOMPARE(code.toInt(), 0);
    QCOMPARE(lamp.lastError(), ConversionError::NoError);

    QVERIFY(shapeOf(lamp));
    QCOMPARE(shapeOf(lamp)->property("fillColor").value<QColor>(), QColor(Qt::white));
    QCOMPARE(centrePixel(lamp), QColor(Qt::white));
}

void TestStatusBox::assignments_data() {
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QList<int>>("codes");
    QTest::addColumn<QList<QColor>>("colours");

    const QColor white(Qt::white), green(Qt::green), red(Qt::red), yellow(Qt::yellow);

    QTest::newRow("2 then 7 stays red")
        << QVariantList{2, 7} << QList<int>{2, 7} << QList<QColor>{red, red};
    QTest::newRow("3 then 0") << QVariantList{3, 0} << QList<int>{3, 0}
                              << QList<QColor>{yellow, white};
    QTest::newRow("-1 keeps green")
        << QVariantList{1, -1} << QList<int>{1, -1} << QList<QColor>{green, green};
    QTest::newRow("1.5 rounds to 2") << QVariantList{1.5} << QList<int>{2} << QList<QColor>{red};
    QTest::newRow("2.5 rounds to 2") << QVariantList{2.5} << QList<int>{2} << QList<QColor>{red};
    QTest::newRow("-0.5 rounds to 0")
        << QVariantList{2, -0.5} << QList<int>{2, 0} << QList<QColor>{red, white};
    QTest::newRow("text 3") << QVariantList{QStringLiteral("3")} << QList<int>{3}
                            << QList<QColor>{yellow};
    QTest::newRow("true is -1") << QVariantList{2, true} << QList<int>{2, -1}
                                << QList<QColor>{red, red};
    QTest::newRow("32767 stored") << QVariantList{1, 32767} << QList<int>{1, 32767}
                                  << QList<QColor>{green, green};
    QTest::newRow("-32768 stored")
        << QVariantList{3, -32768} << QList<int>{3, -32768} << QList<QColor>{yellow, yellow};
    QTest::newRow("float -2.5 rounds to -2")
        << QVariantList{1, -2.5f} << QList<int>{1, -2} << QList<QColor>{green, green};
    QTest::newRow("byte array 1") << QVariantList{QByteArray("1")} << QList<int>{1}
                                  << QList<QColor>{green};
}

// Each value is accepted, stored, coloured and announced once.
void TestStatusBox::assignments() {
    QFETCH(QVariantList, values);
    QFETCH(QList<int>, codes);
    QFETCH(QList<QColor>, colours);

    StatusBox lamp;
    QSignalSpy notices(&lamp, &StatusBox::foreColorChanged);
    for (qsizetype i = 0; i < values.size(); ++i) {
        QVERIFY(lamp.setProperty("ForeColor", values[i]));
        QCOMPARE(lamp.lastError(), ConversionError::NoError);
        QCOMPARE(lamp.property("ForeColor").toInt(), codes[i]);
        QCOMPARE(shapeOf(lamp)->fillColor(), colours[i]);
        QCOMPARE(notices.size(), i + 1);
        QCOMPARE(notices.last().at(0).toInt(), codes[i]);
    }
}

void TestStatusBox::refusals_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<ConversionError>("error");

    QTest::newRow("40000") << QVariant(40000) << ConversionError::Overflow;
    QTest::newRow("-40000") << QVariant(-40000) << ConversionError::Overflow;
    QTest::newRow("32767.5 rounds to 32768") << QVariant(32767.5) << ConversionError::Overflow;
    QTest::newRow("text 40000") << QVariant(QStringLiteral("40000")) << ConversionError::Overflow;
    QTest::newRow("qulonglong max")
        << QVariant(std::numeric_limits<qulonglong>::max()) << ConversionError::Overflow;
    QTest::newRow("abc") << QVariant(QStringLiteral("abc")) << ConversionError::TypeMismatch;
    QTest::newRow("empty text") << QVariant(QString()) << ConversionError::TypeMismatch;
    QTest::newRow("invalid") << QVariant() << ConversionError::TypeMismatch;
    QTest::newRow("text inf") << QVariant(QStringLiteral("inf")) << ConversionError::TypeMismatch;
    QTest::newRow("colour") << QVariant(QColor(Qt::red)) << ConversionError::TypeMismatch;
    QTest::newRow("NaN") << QVariant(std::numeric_limits<double>::quiet_NaN())
                         << ConversionError::TypeMismatch;
}

// A refused value leaves code and colour as they were and announces nothing;
// the next good value clears the error.
void TestStatusBox::refusals() {
    QFETCH(QVariant, value);
    QFETCH(ConversionError, error);

    StatusBox lamp;
    QVERIFY(lamp.setForeColor(2));
    QSignalSpy notices(&lamp, &StatusBox::foreColorChanged);

    QVERIFY(!lamp.setForeColor(value));
    QCOMPARE(lamp.lastError(), error);
    QVERIFY(!lamp.lastErrorString().isEmpty());
    QCOMPARE(lamp.foreColor().toInt(), 2);
    QCOMPARE(shapeOf(lamp)->fillColor(), QColor(Qt::red));
    QCOMPARE(notices.size(), 0);

    QVERIFY(lamp.setForeColor(1));
    QCOMPARE(lamp.lastError(), ConversionError::NoError);
    QVERIFY(lamp.lastErrorString().isEmpty());
}

// Numeric text is read in the user's locale, and in the C locale failing that.
void TestStatusBox::textInUserLocale() {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const auto comma = StatusBox::toCode(QStringLiteral("3,5"));
    const auto grouped = StatusBox::toCode(QStringLiteral("1.000"));
    const auto point = StatusBox::toCode(QStringLiteral("2.6"));
    QLocale::setDefault(previous);

    QCOMPARE(comma.value_or(0), 4);
    QCOMPARE(grouped.value_or(0), 1000);
    QCOMPARE(point.value_or(0), 3);
}

void TestStatusBox::paintedColour_data() {
    QTest::addColumn<QList<int>>("codes");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("0 white") << QList<int>{2, 0} << QColor(Qt::white);
    QTest::newRow("1 green") << QList<int>{1} << QColor(Qt::green);
    QTest::newRow("2 red") << QList<int>{2} << QColor(Qt::red);
    QTest::newRow("3 yellow") << QList<int>{3} << QColor(Qt::yellow);
}

void TestStatusBox::paintedColour() {
    QFETCH(QList<int>, codes);
    QFETCH(QColor, colour);

    StatusBox lamp;
    lamp.resize(17, 15);
    for (int code : codes)
        QVERIFY(lamp.setForeColor(code));
    QCOMPARE(centrePixel(lamp), colour);
}

QTEST_MAIN(TestStatusBox)

#include "test_status_box.moc"
