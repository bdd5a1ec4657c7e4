#include "util/CMessageDialog.h"

#include "util/ControlId.h"
#include "util/DialogUnits.h"

#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>

#include <algorithm>

namespace tessaprint {

CMessageDialog::CMessageDialog(const QString& caption, QSize sizeDlu, QRect labelDlu, QRect okDlu,
                               std::optional<QRect> cancelDlu, QWidget* parent)
    : CDialogFrame(caption, sizeDlu, okDlu, cancelDlu, parent), m_label(new QLabel(this))
{
    m_label->setObjectName(ControlName(ControlId::Message::Text));
    m_label->setTextFormat(Qt::PlainText);
    m_label->setWordWrap(false);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_label->setGeometry(DluRect(labelDlu.x(), labelDlu.y(), labelDlu.width(), labelDlu.height()));
    m_baseSize = QSize(DluX(sizeDlu.width()), DluY(sizeDlu.height()));
    m_baseLabel = m_label->geometry();
    m_baseButtonsY = okButton()->y();
}

QString CMessageDialog::Breakable(const QString& text)
{
    // A word longer than this many characters gets a break chance anyway.
    constexpr int kLongWord = 24;
    const QChar zeroWidthSpace(0x200B);
    QString out;
    out.reserve(text.size() + text.size() / 8);
    int run = 0;
    for (const QChar c : text) {
        out += c;
        if (c.isSpace()) {
            run = 0;
            continue;
        }
        ++run;
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || run >= kLongWord) {
            out += zeroWidthSpace;
            run = 0;
        }
    }
    return out;
}

void CMessageDialog::showEvent(QShowEvent* event)
{
    setFixedSize(m_baseSize);
    m_label->setGeometry(m_baseLabel);
    int buttonsY = m_baseButtonsY;
    const QFontMetrics metrics = m_label->fontMetrics();
    const bool fitsOneLine =
        !m_strMessage.contains(QLatin1Char('\n')) && metrics.horizontalAdvance(m_strMessage) <= m_baseLabel.width();
    if (fitsOneLine) {
        // The dialog's own look: one line in the label as it was drawn.
        m_label->setWordWrap(false);
        m_label->setText(m_strMessage);
    } else {
        // Wrap, and grow by what the wrapped text needs beyond the label's line.
        m_label->setWordWrap(true);
        m_label->setText(Breakable(m_strMessage));
        const int needed = std::max(m_baseLabel.height(), m_label->heightForWidth(m_baseLabel.width()));
        const int grow = needed - m_baseLabel.height();
        m_label->setGeometry(m_baseLabel.x(), m_baseLabel.y(), m_baseLabel.width(), needed);
        setFixedSize(m_baseSize.width(), m_baseSize.height() + grow);
        buttonsY += grow;
    }
    for (QPushButton* button : {okButton(), cancelButton()}) {
        if (button != nullptr) {
            button->move(button->x(), buttonsY);
        }
    }
    QDialog::showEvent(event);
}

CError::CError(QWidget* parent)
    : CMessageDialog(QStringLiteral("Error"), QSize(316, 100), QRect(92, 38, 200, 8), QRect(136, 79, 50, 14),
                     std::nullopt, parent)
{
    setObjectName(ControlName(ControlId::Window::Error));
}

CConfirm::CConfirm(QWidget* parent)
    : CMessageDialog(QStringLiteral("Confirm"), QSize(316, 180), QRect(100, 67, 209, 8), QRect(259, 159, 50, 14),
                     QRect(7, 159, 50, 14), parent)
{
    setObjectName(ControlName(ControlId::Window::Confirm));
}

void CConfirm::MakeCancelDefault()
{
    okButton()->setDefault(false);
    okButton()->setAutoDefault(false);
    cancelButton()->setAutoDefault(true);
    cancelButton()->setDefault(true);
    cancelButton()->setFocus();
    auto* agree = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_O), this);
    connect(agree, &QShortcut::activated, okButton(), &QPushButton::click);
}

} // namespace tessaprint
