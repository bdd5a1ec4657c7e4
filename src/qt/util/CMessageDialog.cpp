#include "util/CMessageDialog.h"

#include "util/DialogUnits.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace tessaprint {

CMessageDialog::CMessageDialog(const QString& caption, QSize sizeDlu, QRect labelDlu, QRect okDlu, QWidget* parent)
    : QDialog(parent), m_label(new QLabel(this)), m_ok(new QPushButton(QStringLiteral("OK"), this))
{
    setWindowTitle(caption);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);
    setFixedSize(DluX(sizeDlu.width()), DluY(sizeDlu.height()));
    setModal(true);
    QFont font = this->font();
    font.setPointSize(8); // the dialog units assume an 8-point UI font
    setFont(font);

    m_label->setObjectName(QStringLiteral("1005"));
    m_label->setTextFormat(Qt::PlainText);
    m_label->setWordWrap(false);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_label->setGeometry(DluRect(labelDlu.x(), labelDlu.y(), labelDlu.width(), labelDlu.height()));

    m_ok->setObjectName(QStringLiteral("1"));
    m_ok->setDefault(true);
    m_ok->setAutoDefault(true);
    m_ok->setGeometry(DluRect(okDlu.x(), okDlu.y(), okDlu.width(), okDlu.height()));
    connect(m_ok, &QPushButton::clicked, this, [this] { done(1); });
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

int CMessageDialog::DoModal()
{
    // QDialog::reject gives 0; the close box and Escape must give 2.
    const int result = exec();
    return result == QDialog::Rejected ? 2 : result;
}

CError::CError(QWidget* parent)
    : CMessageDialog(QStringLiteral("Error"), QSize(316, 100), QRect(92, 38, 200, 8), QRect(136, 79, 50, 14), parent)
{
    setObjectName(QStringLiteral("310"));
}

CConfirm::CConfirm(QWidget* parent)
    : CMessageDialog(QStringLiteral("Confirm"), QSize(316, 180), QRect(100, 67, 209, 8), QRect(259, 159, 50, 14),
                     parent),
      m_cancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("311"));
    m_cancel->setObjectName(QStringLiteral("2"));
    m_cancel->setAutoDefault(false);
    m_cancel->setGeometry(DluRect(7, 159, 50, 14));
    connect(m_cancel, &QPushButton::clicked, this, [this] { done(2); });
}

} // namespace tessaprint
