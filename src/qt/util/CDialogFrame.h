#pragma once

#include <QDialog>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

class QPushButton;

namespace tessaprint {

// A modal dialog laid out in dialog units: fixed size, 8-point font, "OK"
// (ControlId::Dialog::Ok, default) and optionally "Cancel"
// (ControlId::Dialog::Cancel). DoModal gives kIdOk for OK and Enter,
// kIdCancel for Cancel, Escape and the close box.
class CDialogFrame : public QDialog {
    Q_OBJECT
public:
    int DoModal();
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

protected:
    CDialogFrame(const QString& caption, QSize sizeDlu, QRect okDlu, std::optional<QRect> cancelDlu, QWidget* parent);
    // The focus starts in the first of the fields; Tab goes through them, then OK, then Cancel.
    void StartInFields(const QList<QWidget*>& fields);

private:
    QPushButton* m_ok;
    QPushButton* m_cancel = nullptr;
};

} // namespace tessaprint
