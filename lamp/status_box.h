// StatusBox, the indicator lamp: a small figure whose colour follows the
// code last assigned to ForeColor.
#pragma once

#include "lamp/lumbrel_export.h"

#include <QString>
#include <QVariant>
#include <QWidget>
#include <optional>

class LampShape;

class LUMBREL_EXPORT StatusBox : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QVariant ForeColor READ foreColor WRITE setForeColor NOTIFY foreColorChanged)
    // QObject::setProperty() cannot report a refused value, so a host that
    // sets ForeColor by name reads these afterwards.
    Q_PROPERTY(ConversionError lastError READ lastError)
    Q_PROPERTY(QString lastErrorString READ lastErrorString)

public:
    enum class ConversionError { NoError, Overflow, TypeMismatch };
    Q_ENUM(ConversionError)

    explicit StatusBox(QWidget* parent = nullptr);
    ~StatusBox() override;

    // The code last assigned, as a 16-bit integer.
    QVariant foreColor() const;

    // Stores the value as the lamp's code; codes 0 to 3 also set the colour
    // (white, green, red, yellow). A value that is not a number, or lies
    // outside the 16-bit range once rounded, is refused: the code and colour
    // stay, lastError() tells why and the result is false.
    Q_INVOKABLE bool setForeColor(const QVariant& vNewValue);

    // The colour shown, as a word: "off", "green", "red" or "yellow".
    QString colourWord() const;

    // Of the last ForeColor assignment; NoError once one succeeds.
    ConversionError lastError() const;
    QString lastErrorString() const;

    // A value as a 16-bit code: numbers rounded to the nearest integer, a tie
    // going to the even neighbour; numeric text in the user's or the C
    // locale; true as -1 and false as 0.
    static std::optional<qint16> toCode(const QVariant& value, ConversionError* error = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void foreColorChanged(const QVariant& foreColor);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeShape();

    qint16 m_code = 0;
    int m_colour = 0; // the code of the colour shown, 0 to 3
    ConversionError m_lastError = ConversionError::NoError;
    LampShape* m_shape;
};
