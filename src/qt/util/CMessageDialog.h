#pragma once

#include "util/CDialogFrame.h"

#include <QString>

class QLabel;
class QPushButton;

namespace tessaprint {

// A small modal dialog with one line of text (control 1005) that is cut at
// the label's right edge, never wrapped, and an "OK" button (id 1, default).
// Done(1) for OK and Enter, 2 for Escape and the close box.
class CMessageDialog : public CDialogFrame {
    Q_OBJECT
public:
    // The text to show; set before the dialog runs.
    QString m_strMessage;

    QLabel* messageLabel() const { return m_label; }

protected:
    CMessageDialog(const QString& caption, QSize sizeDlu, QRect labelDlu, QRect okDlu, std::optional<QRect> cancelDlu,
                   QWidget* parent);
    void showEvent(QShowEvent* event) override;

    QLabel* m_label;
};

// "Error": the busy port messages.
class CError : public CMessageDialog {
    Q_OBJECT
public:
    explicit CError(QWidget* parent = nullptr);
};

// "Confirm": OK at the bottom right, Cancel (id 2) at the bottom left.
class CConfirm : public CMessageDialog {
    Q_OBJECT
public:
    explicit CConfirm(QWidget* parent = nullptr);
};

} // namespace tessaprint
