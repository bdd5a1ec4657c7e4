#pragma once

#include "util/CDialogFrame.h"

#include <QString>

class QLabel;
class QPushButton;

namespace tessaprint {

// A small modal dialog with a line of text (ControlId::Message::Text) and an
// "OK" button (the default). A text that fits the label stays on its one line;
// a longer one wraps, and the dialog grows downwards until all of it shows.
// kIdOk for OK and Enter, kIdCancel for Escape and the close box.
class CMessageDialog : public CDialogFrame {
    Q_OBJECT
public:
    // The text to show; set before the dialog runs.
    QString m_strMessage;

    QLabel* messageLabel() const { return m_label; }

    // The text as the label shows it: break chances (zero-width spaces) after
    // path separators and inside very long words, so that nothing is cut.
    static QString Breakable(const QString& text);

protected:
    CMessageDialog(const QString& caption, QSize sizeDlu, QRect labelDlu, QRect okDlu, std::optional<QRect> cancelDlu,
                   QWidget* parent);
    void showEvent(QShowEvent* event) override;

    QLabel* m_label;

private:
    QSize m_baseSize;
    QRect m_baseLabel;
    int m_baseButtonsY = 0; // OK and Cancel share one row
};

// "Error": the busy port messages.
class CError : public CMessageDialog {
    Q_OBJECT
public:
    explicit CError(QWidget* parent = nullptr);
};

// "Confirm": OK at the bottom right, Cancel at the bottom left.
class CConfirm : public CMessageDialog {
    Q_OBJECT
public:
    explicit CConfirm(QWidget* parent = nullptr);
    // For questions whose "yes" cannot be undone: Enter and Escape both
    // cancel, the focus starts on Cancel, and OK takes a click, Space or Alt+O.
    void MakeCancelDefault();
};

} // namespace tessaprint
