#include "lamp/status_box.h"

#include "lamp/class_registry.h"
#include "lamp/lamp_shape.h"
#include "lamp/status_box_accessible.h"

#include <QLocale>
#include <QResizeEvent>
#include <array>
#include <cmath>
#include <limits>

namespace {

using ConversionError = StatusBox::ConversionError;

// Colours of the codes 0 to 3: white (off), green, red, yellow.
constexpr std::array<QRgb, 4> kCodeColors = {0xFFFFFF, 0x00FF00, 0xFF0000, 0xFFFF00};
constexpr std::array<const char*, 4> kCodeWords = {"off", "green", "red", "yellow"};

// The figure is 200 twips square at (10, 10) twips; at 15 twips a pixel that
// is 13 pixels at (1, 1), and the host gives the lamp 255 x 225 twips.
constexpr int kShapeOffset = 1;
constexpr int kShapeSide = 13;
constexpr QSize kPreferredSize(17, 15);
constexpr QSize kMinimumSize(13, 13);

constexpr qint16 kCodeMin = std::numeric_limits<qint16>::min();
constexpr qint16 kCodeMax = std::numeric_limits<qint16>::max();

double roundHalfEven(double value) {
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction > 0.5)
        return lower + 1.0;
    if (fraction < 0.5)
        return lower;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

ConversionError fromSigned(qlonglong value, qint16* code) {
    if (value < kCodeMin || value > kCodeMax)
        return ConversionError::Overflow;
    *code = static_cast<qint16>(value);
    return ConversionError::NoError;
}

ConversionError fromUnsigned(qulonglong value, qint16* code) {
    if (value > static_cast<qulonglong>(kCodeMax))
        return ConversionError::Overflow;
    *code = static_cast<qint16>(value);
    return ConversionError::NoError;
}

ConversionError fromReal(double value, qint16* code) {
    if (std::isnan(value))
        return ConversionError::TypeMismatch;
    if (std::isinf(value))
        return ConversionError::Overflow;
    const double rounded = roundHalfEven(value);
    if (rounded < kCodeMin || rounded > kCodeMax)
        return ConversionError::Overflow;
    *code = static_cast<qint16>(rounded);
    return ConversionError::NoError;
}

ConversionError fromText(const QString& text, qint16* code) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return ConversionError::TypeMismatch;
    bool ok = false;
    double value = QLocale().toDouble(trimmed, &ok);
    if (!ok)
        value = QLocale::c().toDouble(trimmed, &ok);
    // QLocale answers a number too large for a double with infinity and no ok.
    if (!ok)
        return std::isinf(value) ? ConversionError::Overflow : ConversionError::TypeMismatch;
    // "nan" and "inf" are no numbers to a host.
    if (!std::isfinite(value))
        return ConversionError::TypeMismatch;
    return fromReal(value, code);
}

ConversionError convert(const QVariant& value, qint16* code) {
    switch (value.typeId()) {
    case QMetaType::Bool:
        // A dispatch host's true is all bits set.
        *code = value.toBool() ? -1 : 0;
        return ConversionError::NoError;
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return fromSigned(value.toLongLong(), code);
    case QMetaType::UChar:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return fromUnsigned(value.toULongLong(), code);
    case QMetaType::Float:
    case QMetaType::Double:
        return fromReal(value.toDouble(), code);
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return fromText(value.toString(), code);
    default:
        return ConversionError::TypeMismatch;
    }
}

} // namespace

StatusBox::StatusBox(QWidget* parent)
    : QWidget(parent)
    , m_shape(new LampShape(this)) {
    m_shape->setObjectName(QStringLiteral("Shape1"));
    m_shape->setFillColor(QColor::fromRgb(kCodeColors[0]));
    placeShape();
    lumbrel::ClassRegistry::instance().objectCreated();
    StatusBoxAccessible::install();
}

StatusBox::~StatusBox() {
    lumbrel::ClassRegistry::instance().objectDestroyed();
    if (lumbrel::ClassRegistry::instance().liveObjects() == 0)
        StatusBoxAccessible::uninstall();
}

QVariant StatusBox::foreColor() const {
    return QVariant::fromValue(m_code);
}

bool StatusBox::setForeColor(const QVariant& vNewValue) {
    const std::optional<qint16> code = toCode(vNewValue, &m_lastError);
    if (!code)
        return false;
    m_code = *code;
    if (m_code >= 0 && m_code < static_cast<qint16>(kCodeColors.size()) && m_code != m_colour) {
        m_colour = m_code;
        m_shape->setFillColor(QColor::fromRgb(kCodeColors[static_cast<std::size_t>(m_colour)]));
        StatusBoxAccessible::colourChanged(this);
    }
    emit foreColorChanged(foreColor());
    return true;
}

QString StatusBox::colourWord() const {
    return QString::fromLatin1(kCodeWords[static_cast<std::size_t>(m_colour)]);
}

StatusBox::ConversionError StatusBox::lastError() const {
    return m_lastError;
}

QString StatusBox::lastErrorString() const {
    switch (m_lastError) {
    case ConversionError::NoError:
        break;
    case ConversionError::Overflow:
        return tr("Overflow: ForeColor must lie between -32768 and 32767");
    case ConversionError::TypeMismatch:
        return tr("Type mismatch: ForeColor must be a number");
    }
    return {};
}

std::optional<qint16> StatusBox::toCode(const QVariant& value, ConversionError* error) {
    qint16 code = 0;
    const ConversionError result = convert(value, &code);
    if (error)
        *error = result;
    if (result != ConversionError::NoError)
        return std::nullopt;
    return code;
}

QSize StatusBox::sizeHint() const {
    return kPreferredSize;
}

QSize StatusBox::minimumSizeHint() const {
    return kMinimumSize;
}

void StatusBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeShape();
}

// A lamp made smaller than its figure shrinks the figure rather than cut it.
void StatusBox::placeShape() {
    const int room = qMin(width(), height()) - kShapeOffset;
    const int side = qBound(0, room, kShapeSide);
    m_shape->setGeometry(kShapeOffset, kShapeOffset, side, side);
}
