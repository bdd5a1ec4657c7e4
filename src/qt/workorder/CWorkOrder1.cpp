#include "workorder/CWorkOrder1.h"

#include "util/ControlId.h"
#include "util/DialogUnits.h"
#include "util/ToolWindowPlacement.h"
#include "workorder/CWorkOrderEntryDialogs.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace tessaprint {

std::optional<std::array<std::string, 2>> QtWorkOrderPrompts::AskService()
{
    CAddService dialog(m_parent);
    if (dialog.DoModal() != kIdOk) {
        return std::nullopt;
    }
    return std::array<std::string, 2>{dialog.m_strDate.toStdString(), dialog.m_strDescription.toStdString()};
}

std::optional<std::array<std::string, 10>> QtWorkOrderPrompts::AskResults()
{
    CAddResults dialog(m_parent);
    if (dialog.DoModal() != kIdOk) {
        return std::nullopt;
    }
    std::array<std::string, 10> fields;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        fields[i] = dialog.m_fields[i].toStdString();
    }
    return fields;
}

std::string QtWorkOrderPrompts::AskCheck()
{
    CAddChecks dialog(m_parent);
    dialog.DoModal();
    return dialog.m_strTask.toStdString();
}

namespace {

namespace WorkOrder = ControlId::WorkOrder;

struct FieldBox {
    const char* label;
    int id;
    const char* key;
    int x;
    int y;
    int width;
};

// The boxes: their labels, ids, the settings keys they store and their places
// (dialog units, top-left corner).
constexpr FieldBox kFields[] = {
    {"Company", WorkOrder::Company, "szWorkOrderCompany", 64, 9, 207},
    {"Work Order #", WorkOrder::WorkOrderNumber, "szWorkOrderNumber", 406, 9, 90},
    {"Control #", WorkOrder::ControlNumber, "szWorkOrderControlNumber", 81, 41, 78},
    {"Manufacturer", WorkOrder::Manufacturer, "szWorkOrderManufacturer", 81, 56, 78},
    {"Serial #", WorkOrder::SerialNumber, "szWorkOrderSerialNumber", 81, 71, 78},
    {"Work Order PO #", WorkOrder::PONumber, "szWorkOrderPONumber", 81, 86, 78},
    {"Facility", WorkOrder::Facility, "szWorkOrderFacility", 81, 101, 78},
    {"Department", WorkOrder::Department, "szWorkOrderDepartment", 81, 116, 78},
    {"Location", WorkOrder::Location, "szWorkOrderLocation", 81, 131, 78},
    {"Floor", WorkOrder::Floor, "szWorkOrderFloor", 81, 146, 78},
    {"Room #", WorkOrder::RoomNumber, "szWorkOrderRoomNumber", 81, 161, 78},
    {"Risk Priority", WorkOrder::RiskPriority, "szWorkOrderRiskPriority", 81, 176, 78},
    {"Last Seen", WorkOrder::LastSeen, "szWorkOrderLastSeen", 81, 191, 78},
    {"Warranty Expires", WorkOrder::WarrantyExpires, "szWorkOrderWarrantyExpires", 81, 205, 78},
    {"Parts", WorkOrder::Parts, "szWorkOrderParts", 81, 220, 78},
    {"Labor", WorkOrder::Labor, "szWorkOrderLabor", 81, 235, 78},
    {"Description", WorkOrder::Description, "szWorkOrderDescription", 219, 42, 110},
    {"Model #", WorkOrder::ModelNumber, "szWorkOrderModelNumber", 219, 58, 110},
    {"Status", WorkOrder::Status, "szWorkOrderStatus", 219, 76, 110},
    {"System", WorkOrder::System, "szWorkOrderSystem", 219, 94, 110},
    {"Building", WorkOrder::Building, "szWorkOrderBuilding", 219, 112, 110},
    {"Last", WorkOrder::FixedInspectionsLast, "szWorkOrderFixedInspections", 219, 145, 110},
    {"Next", WorkOrder::FixedInspectionsNext, "szWorkOrderNext", 219, 164, 110},
    {"Type", WorkOrder::FixedInspectionsType, "szWorkOrderType", 219, 182, 110},
    {"Work Order Type", WorkOrder::WorkOrderType, "szWorkOrderWorkOrderType", 428, 46, 123},
    {"Person Requesting ", WorkOrder::PersonRequesting, "szWorkOrderPersonRequesting", 428, 65, 123},
    {"Service Requested", WorkOrder::ServiceRequested, "szWorkOrderServiceRequested", 428, 84, 123},
    {"Requested On", WorkOrder::RequestedOn, "szWorkOrderRequestedOn", 428, 103, 78},
    {"Phone", WorkOrder::Phone, "szWorkOrderPhone", 428, 122, 78},
    {"Due", WorkOrder::Due, "szWorkOrderDue", 428, 141, 78},
};

QPushButton* AddButton(QWidget* parent, int id, const QString& caption, int x, int y, int width)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(ControlName(id));
    button->setGeometry(DluRect(x, y, width, 14));
    button->setAutoDefault(false); // Enter presses nothing on this form
    return button;
}

} // namespace

CWorkOrder1::CWorkOrder1(Services services, WorkOrderPrompts* entries, QWidget* parent)
    : QDialog(parent), m_services(std::move(services))
{
    setObjectName(ControlName(ControlId::Window::WorkOrder));
    setWindowTitle(QStringLiteral("Work Order"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    QFont font = this->font();
    font.setPointSize(8);
    setFont(font);
    // The form keeps its size and places; a window smaller than it (on a
    // small or scaled screen) scrolls it.
    auto* page = new QWidget;
    page->setFixedSize(DluX(571), DluY(394));

    for (const FieldBox& box : kFields) {
        // A label fills the room between the column to its left and its box.
        const int left = box.x <= 81 ? 2 : box.x == 219 ? 161 : box.x == 406 ? 273 : 331;
        auto* label = new QLabel(QString::fromLatin1(box.label), page);
        label->setGeometry(DluRect(left, box.y + 2, box.x - 3 - left, 8));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* edit = new QLineEdit(page);
        edit->setObjectName(ControlName(box.id));
        edit->setGeometry(DluRect(box.x, box.y, box.width, 12));
        label->setBuddy(edit);
        m_edits.emplace(box.key, edit);
    }
    auto* fixed = new QLabel(QStringLiteral("Fixed Inspections:"), page);
    fixed->setGeometry(DluRect(219, 133, 110, 8));

    // The headlines: bold fixed-pitch Courier New, 21 pixels high.
    QFont headline(QStringLiteral("Courier New"));
    headline.setStyleHint(QFont::TypeWriter);
    headline.setFixedPitch(true);
    headline.setPixelSize(21);
    headline.setBold(true);
    const struct {
        int id;
        const char* text;
        int x;
        int y;
    } headlines[] = {{WorkOrder::EquipmentDataHeadline, "Equipment Data", 151, 28},
                     {WorkOrder::WorkOrderDataHeadline, "Work Order Data", 397, 28},
                     {WorkOrder::ServiceHeadline, "Equipment Service Information", 229, 237},
                     {WorkOrder::ResultsHeadline, "Results", 229, 288},
                     {WorkOrder::ChecksHeadline, "Checks", 229, 342}};
    for (const auto& h : headlines) {
        auto* label = new QLabel(QString::fromLatin1(h.text), page);
        label->setObjectName(ControlName(h.id));
        label->setFont(headline);
        label->setGeometry(DluX(h.x), DluY(h.y), DluX(260), DluY(12));
    }

    const auto addList = [page](int id, int y) {
        auto* list = new QListWidget(page);
        list->setObjectName(ControlName(id));
        list->setGeometry(DluRect(89, y, 464, 28));
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        return list;
    };
    m_service = addList(WorkOrder::ServiceList, 255);
    m_results = addList(WorkOrder::ResultsList, 303);
    m_checks = addList(WorkOrder::ChecksList, 354);

    if (!entries) {
        m_ownEntries = std::make_unique<QtWorkOrderPrompts>(this);
        entries = m_ownEntries.get();
    }
    m_form = std::make_unique<WorkOrderForm>(m_services.record, m_services.settings, *this, *entries,
                                             m_services.prompts, m_services.clock);

    connect(AddButton(page, WorkOrder::ServiceAdd, QStringLiteral("Add"), 25, 256, 50), &QPushButton::clicked, this,
            [this] { m_form->OnAddService(); });
    connect(AddButton(page, WorkOrder::ServiceClear, QStringLiteral("Clear"), 25, 274, 50), &QPushButton::clicked, this,
            [this] { m_form->OnClear(WorkOrderRecord::kService); });
    connect(AddButton(page, WorkOrder::ResultsAdd, QStringLiteral("Add"), 25, 304, 50), &QPushButton::clicked, this,
            [this] { m_form->OnAddResults(); });
    connect(AddButton(page, WorkOrder::ResultsClear, QStringLiteral("Clear"), 25, 321, 50), &QPushButton::clicked, this,
            [this] { m_form->OnClear(WorkOrderRecord::kResults); });
    connect(AddButton(page, WorkOrder::ChecksAdd, QStringLiteral("Add"), 25, 355, 50), &QPushButton::clicked, this,
            [this] { m_form->OnAddChecks(); });
    connect(AddButton(page, WorkOrder::ChecksClear, QStringLiteral("Clear"), 25, 373, 50), &QPushButton::clicked, this,
            [this] { m_form->OnClear(WorkOrderRecord::kChecks); });
    connect(AddButton(page, WorkOrder::ExportToWord, QStringLiteral("Export to Word"), 496, 207, 68),
            &QPushButton::clicked, this, [this] {
                const auto path = m_form->OnExportToWord(m_services.reportsFolder(), m_services.word2007());
                if (path && m_services.documentWritten) {
                    m_services.documentWritten(path.value());
                }
            });
    QPushButton* cancel = AddButton(page, ControlId::Dialog::Cancel, QStringLiteral("Cancel"), 441, 207, 50);
    cancel->hide();
    connect(cancel, &QPushButton::clicked, this, &CWorkOrder1::reject);

    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus); // Tab goes from box to box as before
    scroll->setWidget(page);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    // Where the form fits on the screen the window is the form's size, fixed.
    // On a smaller screen it can be made smaller, down to a part of the form
    // large enough to work in, and the form scrolls; the window is then wider
    // (or higher) by the scroll bar of the other direction, so that one bar
    // does not bring the other, and by two pixels that a window manager may
    // take off when it rounds a scaled size.
    QSize size = page->size();
    const QScreen* screen = parent ? parent->screen() : this->screen();
    const QSize room = screen ? screen->availableGeometry().size() - kToolFrameAllowance : size;
    if (room.width() >= size.width() && room.height() >= size.height()) {
        setFixedSize(size);
    } else {
        if (room.height() < page->height()) {
            size.rwidth() += scroll->verticalScrollBar()->sizeHint().width() + 2;
        }
        if (room.width() < page->width()) {
            size.rheight() += scroll->horizontalScrollBar()->sizeHint().height() + 2;
        }
        setMaximumSize(size);
        setMinimumSize(DluX(200), DluY(120));
        resize(size);
    }

    m_form->OnInitDialog();
    m_edits.at("szWorkOrderCompany")->setFocus();
}

CWorkOrder1::~CWorkOrder1() = default;

std::string CWorkOrder1::FieldText(std::string_view key) const
{
    const auto it = m_edits.find(key);
    return it == m_edits.end() ? std::string() : it->second->text().toStdString();
}

void CWorkOrder1::SetFieldText(std::string_view key, const std::string& text)
{
    const auto it = m_edits.find(key);
    if (it != m_edits.end()) {
        it->second->setText(QString::fromStdString(text));
    }
}

QListWidget* CWorkOrder1::ListFor(std::string_view list) const
{
    return list == WorkOrderRecord::kService ? m_service : list == WorkOrderRecord::kResults ? m_results : m_checks;
}

std::vector<std::string> CWorkOrder1::ListEntries(std::string_view list) const
{
    std::vector<std::string> entries;
    const QListWidget* widget = ListFor(list);
    for (int i = 0; i < widget->count(); ++i) {
        entries.push_back(widget->item(i)->text().toStdString());
    }
    return entries;
}

void CWorkOrder1::SetListEntries(std::string_view list, const std::vector<std::string>& entries)
{
    QListWidget* widget = ListFor(list);
    widget->clear();
    for (const auto& entry : entries) {
        widget->addItem(QString::fromStdString(entry));
    }
}

void CWorkOrder1::reject()
{
    // Escape and the close box: the work order as of the last export is
    // stored, then the window goes.
    if (m_closing) {
        return;
    }
    m_closing = true;
    m_form->OnClose();
    QDialog::reject();
    deleteLater();
}

void CWorkOrder1::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept(); // there is no OK on this form
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace tessaprint
