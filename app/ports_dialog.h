// "Ports…": which device stands behind COM1 to COM3, a serial device of this
// computer or a line to a serial device server (raw TCP or RFC 2217), kept
// in the user's settings. BRISCO_COM<n>, where set, still wins; the dialog
// says so.
#pragma once

#include <QDialog>

#include <array>

class QComboBox;
class QLineEdit;

class PortsDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kPorts = 3;

    explicit PortsDialog(QWidget* parent = nullptr);

    // Keeps every port's choice, or none when one names a network line
    // wrongly (the operator is told which).
    void accept() override;

private:
    struct Row {
        QComboBox* kind = nullptr;
        QComboBox* device = nullptr;
        QLineEdit* host = nullptr;
        QLineEdit* port = nullptr;
    };

    void showChoice(const Row& row, const QString& name);
    void enableFields(const Row& row);
    static QString chosenName(const Row& row);

    std::array<Row, kPorts> m_rows;
};
