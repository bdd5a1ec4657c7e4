#include "workorder/CWorkOrderEntryDialogs.h"

#include "util/ControlId.h"
#include "util/DialogUnits.h"
#include "workorder/WorkOrderForm.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace tessaprint {

namespace {

// A labelled single-line box; the label stands to its left.
QLineEdit* AddField(QWidget* parent, int id, const QString& label, int x, int y, int width)
{
    auto* caption = new QLabel(label, parent);
    caption->setGeometry(DluRect(x - 62, y + 2, 58, 8));
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(ControlName(id));
    edit->setGeometry(DluRect(x, y, width, 12));
    caption->setBuddy(edit);
    return edit;
}

} // namespace

CAddService::CAddService(QWidget* parent)
    : CDialogFrame(QStringLiteral("Add Service Information"), QSize(415, 126), QRect(358, 105, 50, 14),
                   QRect(7, 105, 50, 14), parent)
{
    setObjectName(ControlName(ControlId::Window::AddService));
    m_date = AddField(this, ControlId::AddService::Date, QStringLiteral("Date"), 80, 37, 83);
    m_description = AddField(this, ControlId::AddService::Description, QStringLiteral("Description"), 80, 64, 315);
    StartInFields({m_date, m_description});
}

int CAddService::DoModal()
{
    m_date->setText(m_strDate);
    m_description->setText(m_strDescription);
    const int result = CDialogFrame::DoModal();
    if (result == kIdOk) {
        m_strDate = m_date->text();
        m_strDescription = m_description->text();
    }
    return result;
}

CAddResults::CAddResults(QWidget* parent)
    : CDialogFrame(QStringLiteral("Results"), QSize(444, 182), QRect(387, 161, 50, 14), QRect(7, 161, 50, 14), parent)
{
    setObjectName(ControlName(ControlId::Window::AddResults));
    struct Box {
        int id;
        const char* label;
        int x;
        int y;
        int width;
    };
    namespace Id = ControlId::AddResults;
    const Box boxes[10] = {{Id::Date, "Date", 71, 21, 79},
                           {Id::Tech, "Tech", 71, 39, 79},
                           {Id::Verb, "Verb", 71, 56, 79},
                           {Id::Noun, "Noun", 71, 73, 79},
                           {Id::Minutes, "Minutes", 71, 90, 79},
                           {Id::R, "R", 71, 107, 79},
                           {Id::PartNumber, "Part #", 267, 22, 112},
                           {Id::Qty, "Qty", 267, 39, 112},
                           {Id::UnitCost, "Unit Cost", 267, 57, 112},
                           {Id::Description, "Description", 267, 73, 112}};
    for (std::size_t i = 0; i < m_edits.size(); ++i) {
        const Box& b = boxes[i];
        m_edits[i] = AddField(this, b.id, QString::fromLatin1(b.label), b.x, b.y, b.width);
    }
    StartInFields({m_edits.begin(), m_edits.end()});
}

int CAddResults::DoModal()
{
    for (std::size_t i = 0; i < m_edits.size(); ++i) {
        m_edits[i]->setText(m_fields[i]);
    }
    const int result = CDialogFrame::DoModal();
    if (result == kIdOk) {
        for (std::size_t i = 0; i < m_edits.size(); ++i) {
            m_fields[i] = m_edits[i]->text();
        }
    }
    return result;
}

CAddChecks::CAddChecks(QWidget* parent)
    : CDialogFrame(QStringLiteral("Add Checks"), QSize(590, 145), QRect(533, 124, 50, 14), QRect(7, 124, 50, 14),
                   parent),
      m_combo(new QComboBox(this))
{
    setObjectName(ControlName(ControlId::Window::AddChecks));
    auto* prompt = new QLabel(QStringLiteral("Select an Task to perform or Type a New Task"), this);
    prompt->setGeometry(DluRect(67, 26, 300, 8));
    m_combo->setObjectName(ControlName(ControlId::AddChecks::Task));
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setGeometry(DluX(65), DluY(39), DluX(480), DluY(14));
    m_combo->setMaxVisibleItems(20);
    std::vector<std::string> tasks(PresetCheckTasks().begin(), PresetCheckTasks().end());
    std::sort(tasks.begin(), tasks.end(), WorkOrderListLess);
    for (const auto& task : tasks) {
        m_combo->addItem(QString::fromStdString(task));
    }
    m_combo->setCurrentIndex(-1);
    m_combo->setEditText(QString());
    StartInFields({m_combo});
}

int CAddChecks::DoModal()
{
    m_combo->setEditText(m_strTask);
    const int result = CDialogFrame::DoModal();
    // Whatever is in the edit field counts on OK; Cancel leaves the task empty.
    if (result == kIdOk) {
        m_strTask = m_combo->currentText();
    }
    return result;
}

} // namespace tessaprint
