#include "util/CMessageDialog.h"

#include "util/DialogUnits.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace tessaprint {

CMessageDialog::CMessageDialog(const QString& caption, QSize sizeDlu, QRect labelDlu, QRect okDlu,
                               std::optional<QRect> cancelDlu, QWidget* parent)
    : CDialogFrame(caption, sizeDlu, okDlu, cancelDlu, parent), m_label(new QLabel(this))
{
    m_label->setObjectName(QStringLiteral("1005"));
    m_label->setTextFormat(Qt::PlainText);
    m_label->setWordWrap(false);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_label->setGeometry(DluRect(labelDlu.x(), labelDlu.y(), labelDlu.width(), labelDlu.height()));
}

void CMessageDialog::showEvent(QShowEvent* event)
{
    m_label->setText(m_strMessage);
    // One line, cut at the right edge; a system reason added on a second
    // line gets a line of its own below.
    const int lines = static_cast<int>(m_strMessage.count(QLatin1Char('\n'))) + 1;
    m_label->resize(m_label->width(), std::max(DluY(8), lines * m_label->fontMetrics().lineSpacing()));
    QDialog::showEvent(event);
}

CError::CError(QWidget* parent)
    : CMessageDialog(QStringLiteral("Error"), QSize(316, 100), QRect(92, 38, 200, 8), QRect(136, 79, 50, 14),
                     std::nullopt, parent)
{
    setObjectName(QStringLiteral("310"));
}

CConfirm::CConfirm(QWidget* parent)
    : CMessageDialog(QStringLiteral("Confirm"), QSize(316, 180), QRect(100, 67, 209, 8), QRect(259, 159, 50, 14),
                     QRect(7, 159, 50, 14), parent)
{
    setObjectName(QStringLiteral("311"));
}

} // namespace tessaprint
