#include "lamp/lamp_shape.h"
#include "lamp/status_box.h"

#include <QImage>
#include <QLocale>
#include <QMetaObject>
#include <QPalette>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
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
    void initTestCase();
    void cleanup();

    void freshLampIsWhiteWithCodeZero();
    void assignments_data();
    void assignments();
    void refusals_data();
    void refusals();
    void goodAssignmentClearsError();
    void conversion_data();
    void conversion();
    void textInUserLocale_data();
    void textInUserLocale();
    void errorReachableByName();
    void paintedColour_data();
    void paintedColour();
    void outlineVisibleOnGrey();
    void shapeGeometry_data();
    void shapeGeometry();
    void sizeHints();
    void toolboxBitmap();

private:
    QLocale m_defaultLocale;
};

void TestStatusBox::initTestCase() {
    m_defaultLocale = QLocale();
}

void TestStatusBox::cleanup() {
    QLocale::setDefault(m_defaultLocale);
}

void TestStatusBox::freshLampIsWhiteWithCodeZero() {
    StatusBox lamp;
    lamp.resize(17, 15);

    const QVariant code = lamp.property("ForeColor");
    QCOMPARE(code.typeId(), QMetaType::Short);
    QCOMPARE(code.toInt(), 0);
    QCOMPARE(lamp.lastError(), ConversionError::NoError);
    QVERIFY(lamp.lastErrorString().isEmpty());

    QWidget* shape = lamp.findChild<QWidget*>(QStringLiteral("Shape1"));
    QVERIFY(shape);
    QVERIFY(qobject_cast<LampShape*>(shape));
    QCOMPARE(shape->property("fillColor").value<QColor>(), QColor(Qt::white));
    QCOMPARE(centrePixel(lamp), QColor(Qt::white));
}

void TestStatusBox::assignments_data() {
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QList<int>>("codes");
    QTest::addColumn<QList<QColor>>("colours");

    const QColor white(Qt::white), green(Qt::green), red(Qt::red), yellow(Qt::yellow);

    QTest::newRow("1 green") << QVariantList{1} << QList<int>{1} << QList<QColor>{green};
    QTest::newRow("2 then 7 stays red")
        << QVariantList{2, 7} << QList<int>{2, 7} << QList<QColor>{red, red};
    QTest::newRow("3 then 0") << QVariantList{3, 0} << QList<int>{3, 0}
                              << QList<QColor>{yellow, white};
    QTest::newRow("same code twice")
        << QVariantList{2, 2} << QList<int>{2, 2} << QList<QColor>{red, red};
    QTest::newRow("4 on a fresh lamp") << QVariantList{4} << QList<int>{4} << QList<QColor>{white};
    QTest::newRow("-1 keeps green")
        << QVariantList{1, -1} << QList<int>{1, -1} << QList<QColor>{green, green};
    QTest::newRow("1.5 rounds to 2") << QVariantList{1.5} << QList<int>{2} << QList<QColor>{red};
    QTest::newRow("2.5 rounds to 2") << QVariantList{2.5} << QList<int>{2} << QList<QColor>{red};
    QTest::newRow("3.5 rounds to 4")
        << QVariantList{3, 3.5} << QList<int>{3, 4} << QList<QColor>{yellow, yellow};
    QTest::newRow("0.5 rounds to 0")
        << QVariantList{1, 0.5} << QList<int>{1, 0} << QList<QColor>{green, white};
    QTest::newRow("2.6 rounds to 3") << QVariantList{2.6} << QList<int>{3} << QList<QColor>{yellow};
    QTest::newRow("-0.5 rounds to 0")
        << QVariantList{2, -0.5} << QList<int>{2, 0} << QList<QColor>{red, white};
    QTest::newRow("-1.5 rounds to -2")
        << QVariantList{1, -1.5} << QList<int>{1, -2} << QList<QColor>{green, green};
    QTest::newRow("text 3") << QVariantList{QStringLiteral("3")} << QList<int>{3}
                            << QList<QColor>{yellow};
    QTest::newRow("text with blanks")
        << QVariantList{QStringLiteral(" 3 ")} << QList<int>{3} << QList<QColor>{yellow};
    QTest::newRow("text 2.5") << QVariantList{QStringLiteral("2.5")} << QList<int>{2}
                              << QList<QColor>{red};
    QTest::newRow("text with exponent") << QVariantList{1, QStringLiteral("1e1")}
                                        << QList<int>{1, 10} << QList<QColor>{green, green};
    QTest::newRow("true is -1") << QVariantList{2, true} << QList<int>{2, -1}
                                << QList<QColor>{red, red};
    QTest::newRow("false is 0") << QVariantList{2, false} << QList<int>{2, 0}
                                << QList<QColor>{red, white};
    QTest::newRow("32767 stored") << QVariantList{1, 32767} << QList<int>{1, 32767}
                                  << QList<QColor>{green, green};
    QTest::newRow("-32768 stored")
        << QVariantList{3, -32768} << QList<int>{3, -32768} << QList<QColor>{yellow, yellow};
    QTest::newRow("32767.4 rounds into range")
        << QVariantList{1, 32767.4} << QList<int>{1, 32767} << QList<QColor>{green, green};
    QTest::newRow("-32768.5 rounds to even -32768")
        << QVariantList{1, -32768.5} << QList<int>{1, -32768} << QList<QColor>{green, green};
}

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
    QTest::newRow("abc") << QVariant(QStringLiteral("abc")) << ConversionError::TypeMismatch;
    QTest::newRow("empty text") << QVariant(QString()) << ConversionError::TypeMismatch;
    QTest::newRow("blank text") << QVariant(QStringLiteral("  ")) << ConversionError::TypeMismatch;
    QTest::newRow("invalid") << QVariant() << ConversionError::TypeMismatch;
    QTest::newRow("NaN") << QVariant(std::numeric_limits<double>::quiet_NaN())
                         << ConversionError::TypeMismatch;
}

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

    StatusBox byName;
    byName.setProperty("ForeColor", 3);
    QSignalSpy byNameNotices(&byName, &StatusBox::foreColorChanged);
    byName.setProperty("ForeColor", value);
    QCOMPARE(byName.lastError(), error);
    QCOMPARE(byName.property("ForeColor").toInt(), 3);
    QCOMPARE(shapeOf(byName)->fillColor(), QColor(Qt::yellow));
    QCOMPARE(byNameNotices.size(), 0);
}

void TestStatusBox::goodAssignmentClearsError() {
    StatusBox lamp;
    QVERIFY(!lamp.setForeColor(QStringLiteral("abc")));
    QCOMPARE(lamp.lastError(), ConversionError::TypeMismatch);

    QVERIFY(lamp.setForeColor(1));
    QCOMPARE(lamp.lastError(), ConversionError::NoError);
    QVERIFY(lamp.lastErrorString().isEmpty());
}

void TestStatusBox::conversion_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<ConversionError>("error");
    QTest::addColumn<int>("code");

    constexpr double inf = std::numeric_limits<double>::infinity();
    const auto ok = ConversionError::NoError;
    const auto overflow = ConversionError::Overflow;
    const auto mismatch = ConversionError::TypeMismatch;

    QTest::newRow("int") << QVariant(3) << ok << 3;
    QTest::newRow("qint16") << QVariant::fromValue(qint16(-7)) << ok << -7;
    QTest::newRow("uchar") << QVariant::fromValue(uchar(200)) << ok << 200;
    QTest::newRow("uint") << QVariant(3u) << ok << 3;
    QTest::newRow("qlonglong") << QVariant(qlonglong(-32768)) << ok << -32768;
    QTest::newRow("qulonglong") << QVariant(qulonglong(32767)) << ok << 32767;
    QTest::newRow("float 2.5") << QVariant(2.5f) << ok << 2;
    QTest::newRow("double -2.5") << QVariant(-2.5) << ok << -2;
    QTest::newRow("double 1e-300") << QVariant(1e-300) << ok << 0;
    QTest::newRow("byte array") << QVariant(QByteArray("1")) << ok << 1;
    QTest::newRow("text -3.5") << QVariant(QStringLiteral("-3.5")) << ok << -4;
    QTest::newRow("text +2") << QVariant(QStringLiteral("+2")) << ok << 2;
    QTest::newRow("text .5") << QVariant(QStringLiteral(".5")) << ok << 0;
    QTest::newRow("text -32768.5") << QVariant(QStringLiteral("-32768.5")) << ok << -32768;
    QTest::newRow("bool true") << QVariant(true) << ok << -1;

    QTest::newRow("32768") << QVariant(32768) << overflow << 0;
    QTest::newRow("-32769") << QVariant(-32769) << overflow << 0;
    QTest::newRow("uint 40000") << QVariant(40000u) << overflow << 0;
    QTest::newRow("qulonglong max")
        << QVariant(std::numeric_limits<qulonglong>::max()) << overflow << 0;
    QTest::newRow("qlonglong min")
        << QVariant(std::numeric_limits<qlonglong>::min()) << overflow << 0;
    QTest::newRow("-32768.6") << QVariant(-32768.6) << overflow << 0;
    QTest::newRow("1e10") << QVariant(1e10) << overflow << 0;
    QTest::newRow("infinity") << QVariant(inf) << overflow << 0;
    QTest::newRow("-infinity") << QVariant(-inf) << overflow << 0;
    QTest::newRow("text 32767.5") << QVariant(QStringLiteral("32767.5")) << overflow << 0;
    QTest::newRow("text 1e400") << QVariant(QStringLiteral("1e400")) << overflow << 0;

    QTest::newRow("invalid") << QVariant() << mismatch << 0;
    QTest::newRow("NaN") << QVariant(std::nan("")) << mismatch << 0;
    QTest::newRow("text nan") << QVariant(QStringLiteral("nan")) << mismatch << 0;
    QTest::newRow("text inf") << QVariant(QStringLiteral("inf")) << mismatch << 0;
    QTest::newRow("text with trailing word")
        << QVariant(QStringLiteral("3 lamps")) << mismatch << 0;
    QTest::newRow("text hexadecimal") << QVariant(QStringLiteral("0x10")) << mismatch << 0;
    QTest::newRow("colour") << QVariant(QColor(Qt::red)) << mismatch << 0;
    QTest::newRow("list") << QVariant(QVariantList{1}) << mismatch << 0;
}

void TestStatusBox::conversion() {
    QFETCH(QVariant, value);
    QFETCH(ConversionError, error);
    QFETCH(int, code);

    // Seeded with another kind than the expected one, so an unwritten error shows.
    ConversionError reported = error == ConversionError::TypeMismatch
                                   ? ConversionError::NoError
                                   : ConversionError::TypeMismatch;
    const std::optional<qint16> result = StatusBox::toCode(value, &reported);
    QCOMPARE(reported, error);
    QCOMPARE(result.has_value(), error == ConversionError::NoError);
    if (result)
        QCOMPARE(*result, code);
}

void TestStatusBox::textInUserLocale_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code");

    QTest::newRow("decimal comma") << QStringLiteral("2,5") << 2;
    QTest::newRow("decimal comma rounds up") << QStringLiteral("3,5") << 4;
    QTest::newRow("group separator") << QStringLiteral("1.000") << 1000;
    QTest::newRow("decimal point still read") << QStringLiteral("2.6") << 3;
}

void TestStatusBox::textInUserLocale() {
    QFETCH(QString, text);
    QFETCH(int, code);

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    StatusBox lamp;
    QVERIFY(lamp.setForeColor(text));
    QCOMPARE(lamp.foreColor().toInt(), code);
}

void TestStatusBox::errorReachableByName() {
    StatusBox lamp;
    QObject* host = &lamp;
    const QMetaEnum kinds = QMetaEnum::fromType<ConversionError>();

    host->setProperty("ForeColor", 2);
    host->setProperty("ForeColor", QStringLiteral("abc"));
    QCOMPARE(kinds.valueToKey(host->property("lastError").toInt()), "TypeMismatch");
    QVERIFY(!host->property("lastErrorString").toString().isEmpty());
    QCOMPARE(host->property("ForeColor").toInt(), 2);

    bool accepted = true;
    QVERIFY(QMetaObject::invokeMethod(host, "setForeColor", Q_RETURN_ARG(bool, accepted),
                                      Q_ARG(QVariant, QVariant(40000))));
    QVERIFY(!accepted);
    QCOMPARE(kinds.valueToKey(host->property("lastError").toInt()), "Overflow");

    QVERIFY(QMetaObject::invokeMethod(host, "setForeColor", Q_RETURN_ARG(bool, accepted),
                                      Q_ARG(QVariant, QVariant(3))));
    QVERIFY(accepted);
    QCOMPARE(kinds.valueToKey(host->property("lastError").toInt()), "NoError");
    QCOMPARE(host->property("ForeColor").toInt(), 3);
}

void TestStatusBox::paintedColour_data() {
    QTest::addColumn<QList<int>>("codes");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("0 white") << QList<int>{2, 0} << QColor(Qt::white);
    QTest::newRow("1 green") << QList<int>{1} << QColor(Qt::green);
    QTest::newRow("2 red") << QList<int>{2} << QColor(Qt::red);
    QTest::newRow("3 yellow") << QList<int>{3} << QColor(Qt::yellow);
    QTest::newRow("7 keeps yellow") << QList<int>{3, 7} << QColor(Qt::yellow);
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

void TestStatusBox::outlineVisibleOnGrey() {
    const QColor grey(0xF0, 0xF0, 0xF0);
    QWidget window;
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, grey);
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    window.resize(17, 15);
    StatusBox lamp(&window);
    lamp.setGeometry(0, 0, 17, 15);

    const QImage image = window.grab().toImage();
    const QRect figure = shapeOf(lamp)->geometry();
    QCOMPARE(image.pixelColor(figure.center()), QColor(Qt::white));
    QVERIFY(qGray(image.pixel(figure.center().x(), figure.top())) < 0x90);
    QVERIFY(qGray(image.pixel(figure.left(), figure.center().y())) < 0x90);
    QCOMPARE(image.pixelColor(16, 14), grey);
}

void TestStatusBox::shapeGeometry_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("figure");

    QTest::newRow("17 x 15") << QSize(17, 15) << QRect(1, 1, 13, 13);
    QTest::newRow("17 x 14") << QSize(17, 14) << QRect(1, 1, 13, 13);
    QTest::newRow("large") << QSize(50, 40) << QRect(1, 1, 13, 13);
    QTest::newRow("minimum 13 x 13") << QSize(13, 13) << QRect(1, 1, 12, 12);
    QTest::newRow("narrow") << QSize(6, 20) << QRect(1, 1, 5, 5);
}

void TestStatusBox::shapeGeometry() {
    QFETCH(QSize, size);
    QFETCH(QRect, figure);

    StatusBox lamp;
    lamp.resize(size);
    lamp.grab();
    QCOMPARE(shapeOf(lamp)->geometry(), figure);
}

void TestStatusBox::sizeHints() {
    const StatusBox lamp;
    QCOMPARE(lamp.sizeHint(), QSize(17, 15));
    QCOMPARE(lamp.minimumSizeHint(), QSize(13, 13));
}

void TestStatusBox::toolboxBitmap() {
    const QImage bitmap(QStringLiteral(":/lumbrel/status_box.bmp"));
    QVERIFY(!bitmap.isNull());
    QCOMPARE(bitmap.size(), QSize(16, 15));
}

QTEST_MAIN(TestStatusBox)

#include "test_status_box.moc"
