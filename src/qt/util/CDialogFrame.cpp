#include "util/CDialogFrame.h"

#include "util/ControlId.h"
#include "util/DialogUnits.h"

#include <QPushButton>

namespace tessaprint {

CDialogFrame::CDialogFrame(const QString& caption, QSize sizeDlu, QRect okDlu, std::optional<QRect> cancelDlu,
                           QWidget* parent)
    : QDialog(parent), m_ok(new QPushButton(QStringLiteral("OK"), this))
{
    setWindowTitle(caption);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);
    setFixedSize(DluX(sizeDlu.width()), DluY(sizeDlu.height()));
    setModal(true);
    QFont font = this->font();
    font.setPointSize(8); // the dialog units assume an 8-point UI font
    setFont(font);

    m_ok->setObjectName(ControlName(ControlId::Dialog::Ok));
    m_ok->setDefault(true);
    m_ok->setAutoDefault(true);
    m_ok->setGeometry(DluRect(okDlu.x(), okDlu.y(), okDlu.width(), okDlu.height()));
    connect(m_ok, &QPushButton::clicked, this, [this] { done(kIdOk); });
    if (cancelDlu) {
        m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
        m_cancel->setObjectName(ControlName(ControlId::Dialog::Cancel));
        m_cancel->setAutoDefault(false);
        m_cancel->setGeometry(DluRect(cancelDlu->x(), cancelDlu->y(), cancelDlu->width(), cancelDlu->height()));
        connect(m_cancel, &QPushButton::clicked, this, [this] { done(kIdCancel); });
    }
}

void CDialogFrame::StartInFields(const QList<QWidget*>& fields)
{
    // Typing starts in the first field, and Tab goes through the fields in
    // reading order before it reaches the buttons.
    QList<QWidget*> order = fields;
    order << okButton();
    if (cancelButton() != nullptr) {
        order << cancelButton();
    }
    for (qsizetype i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
    if (!fields.isEmpty()) {
        fields.front()->setFocus();
    }
}

int CDialogFrame::DoModal()
{
    // QDialog::reject gives 0; the close box and Escape must give 2.
    const int result = exec();
    return result == QDialog::Rejected ? kIdCancel : result;
}

} // namespace tessaprint
