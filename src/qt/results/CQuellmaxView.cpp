#include "results/CQuellmaxView.h"

#include "app/CaptureController.h"
#include "history/SharpHighlight.h"
#include "util/ControlId.h"
#include "util/DialogUnits.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTreeWidget>

#include <algorithm>
#include <functional>

namespace tessaprint {
namespace {

// The two lists at the default size, in dialog units, and the least each
// keeps when the form is made smaller.
constexpr QRect kLinesDlu(25, 59, 538, 218);
constexpr QRect kReadingsDlu(112, 295, 416, 89);
constexpr int kMinLinesHeightDlu = 64;
constexpr int kMinReadingsHeightDlu = 40;
// Narrower than the default by more than this, History would come within
// 10 units of CLR MEMORY; the form is cut off instead.
constexpr int kMostNarrowingDlu = 110;
// Kept free below the lowest control, as above the highest.
constexpr int kBottomMarginDlu = 7;

struct HeightShares {
    int lines = 0;
    int readings = 0;
};

// Extra height goes half to each list (the odd pixel to the received lines).
// Missing height comes out of the empty band below the controls first, then
// out of the received lines, then out of the readings, each down to its
// minimum; what is still missing is cut off at the bottom.
HeightShares ShareHeight(int extra, int spare)
{
    HeightShares shares;
    if (extra >= 0) {
        shares.readings = extra / 2;
        shares.lines = extra - shares.readings;
        return shares;
    }
    int missing = std::max(0, -extra - spare);
    const int fromLines = std::min(missing, DluY(kLinesDlu.height()) - DluY(kMinLinesHeightDlu));
    missing -= fromLines;
    shares.lines = -fromLines;
    shares.readings = -std::min(missing, DluY(kReadingsDlu.height()) - DluY(kMinReadingsHeightDlu));
    return shares;
}

QRect ToPixels(QRect dlu)
{
    return DluRect(dlu.x(), dlu.y(), dlu.width(), dlu.height());
}

} // namespace

CQuellmaxView::CQuellmaxView(QWidget* parent) : QWidget(parent)
{
    setObjectName(ControlName(ControlId::Window::Form));
    QFont font = this->font();
    font.setPointSize(8); // the dialog units assume an 8-point UI font
    setFont(font);

    m_editVersion = new QLineEdit(this);
    m_editVersion->setObjectName(ControlName(ControlId::Form::VersionText));
    Place(m_editVersion, DluRect(97, 7, 115, 14), kFixed);
    m_editVersion->hide();

    QPushButton* version = AddButton(ControlId::Form::Version, QStringLiteral("Version"), QRect(39, 7, 50, 14), kFixed);
    version->hide();

    m_listLines = new QListWidget(this);
    m_listLines->setObjectName(ControlName(ControlId::Form::Lines));
    Place(m_listLines, ToPixels(kLinesDlu), kWiden | kLinesHeight);
    m_listLines->setUniformItemSizes(true); // long captures stay quick to show
    m_listLines->setSelectionMode(QAbstractItemView::SingleSelection);

    m_btnClearScreen =
        AddButton(ControlId::Form::ClearScreen, QStringLiteral("Clear Screen"), QRect(457, 36, 50, 14), kFollowRight);
    QPushButton* notepad =
        AddButton(ControlId::Form::Notepad, QStringLiteral("Notepad"), QRect(397, 36, 50, 14), kFollowRight);
    m_btnResult = AddButton(ControlId::Form::Result, QStringLiteral("RESULT"), QRect(17, 35, 50, 14), kFixed);
    QPushButton* test = AddButton(ControlId::Form::Test, QStringLiteral("Test"), QRect(519, 36, 50, 14), kFollowRight);
    test->hide();
    m_btnClearMemory =
        AddButton(ControlId::Form::ClearMemory, QStringLiteral("CLR MEMORY"), QRect(99, 36, 50, 14), kFixed);

    m_comboEquipmentId = new QComboBox(this);
    m_comboEquipmentId->setObjectName(ControlName(ControlId::Form::EquipmentId));
    const QRect combo = DluRect(31, 295, 73, 199);
    // The drop-down's 199 units include its open list; the closed box is one line high.
    Place(m_comboEquipmentId, QRect(combo.x(), combo.y(), combo.width(), DluY(14)), kBelowLines);
    m_comboEquipmentId->setMaxVisibleItems(20);

    m_listReadings = new QTreeWidget(this);
    m_listReadings->setObjectName(ControlName(ControlId::Form::Readings));
    Place(m_listReadings, ToPixels(kReadingsDlu), kBelowLines | kWiden | kReadingsHeight);
    m_listReadings->setRootIsDecorated(false);
    m_listReadings->setItemsExpandable(false);
    m_listReadings->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listReadings->setAllColumnsShowFocus(true);
    m_listReadings->setUniformRowHeights(true);
    m_listReadings->setColumnCount(0);
    m_listReadings->header()->setStretchLastSection(false);

    m_btnDataSheet = AddButton(ControlId::Form::DataSheet, QStringLiteral("Data Sheet"), QRect(533, 293, 45, 14),
                               kFollowRight | kBelowLines);
    // Just below Data Sheet, as large, in the band above the kind buttons
    // (one pixel clear of each).
    m_btnAllDataSheets =
        AddButtonAt(ControlId::Form::AllDataSheets, QStringLiteral("All Data Sheets"),
                    m_btnDataSheet->geometry().translated(0, m_btnDataSheet->height() + 1), kFollowRight | kBelowLines);
    FitCaption(m_btnAllDataSheets);

    m_staticSelect = new QLabel(this);
    m_staticSelect->setObjectName(ControlName(ControlId::Form::SelectCaption));
    Place(m_staticSelect, DluRect(33, 284, 90, 8), kBelowLines);
    m_staticResults = new QLabel(this);
    m_staticResults->setObjectName(ControlName(ControlId::Form::ResultsCaption));
    Place(m_staticResults, DluRect(169, 284, 285, 8), kBelowLines);

    m_kindGroup = new QButtonGroup(this);
    m_radioQuellmax = AddRadio(ControlId::Form::Quellmax, QStringLiteral("QuellMax"), QRect(537, 321, 41, 10));
    m_radioKappa = AddRadio(ControlId::Form::Kappa5100, QStringLiteral("Kappa 5100"), QRect(537, 334, 51, 10));
    m_radioPactrx = AddRadio(ControlId::Form::Pactrx, QStringLiteral("PACTRX"), QRect(537, 348, 37, 10));

    QPushButton* workOrder =
        AddButton(ControlId::Form::WorkOrder, QStringLiteral("Work Order"), QRect(329, 36, 50, 14), kFollowRight);
    // Left of Work Order as Notepad is right of it; at the smallest form 20 units clear of CLR MEMORY.
    m_btnHistory = AddButton(ControlId::Form::History, QStringLiteral("History"), QRect(269, 36, 50, 14), kFollowRight);

    // Tab goes through the form in reading order: the buttons' row left to
    // right, the received lines, then the row below them; the kind radio
    // buttons are one stop (the checked one), as Qt treats an exclusive group.
    const std::vector<QWidget*> tabOrder = {version,          m_editVersion,      m_btnResult,
                                            m_btnClearMemory, m_btnHistory,       workOrder,
                                            notepad,          m_btnClearScreen,   test,
                                            m_listLines,      m_comboEquipmentId, m_listReadings,
                                            m_btnDataSheet,   m_btnAllDataSheets, m_radioQuellmax,
                                            m_radioKappa,     m_radioPactrx};
    for (std::size_t i = 1; i < tabOrder.size(); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }

    // Clicks go to the controller; the form itself decides nothing. The call
    // goes through std::invoke: for "(m_controller->*handler)()" in this
    // lambda, GCC 12's -fsanitize=vptr checks a wrong address and stops the
    // sanitizer run.
    const auto forward = [this](void (CaptureController::*handler)()) {
        return [this, handler] {
            if (m_controller) {
                std::invoke(handler, m_controller);
            }
        };
    };
    connect(version, &QPushButton::clicked, this, forward(&CaptureController::OnVersion));
    connect(m_btnClearScreen, &QPushButton::clicked, this, forward(&CaptureController::OnClearScreen));
    connect(m_btnResult, &QPushButton::clicked, this, forward(&CaptureController::OnResult));
    connect(test, &QPushButton::clicked, this, forward(&CaptureController::OnTest));
    connect(m_btnClearMemory, &QPushButton::clicked, this, forward(&CaptureController::OnClearMemory));
    connect(m_comboEquipmentId, &QComboBox::activated, this, forward(&CaptureController::OnSelectEquipment));
    connect(m_radioQuellmax, &QRadioButton::clicked, this, forward(&CaptureController::OnKindQuellmax));
    connect(m_radioKappa, &QRadioButton::clicked, this, forward(&CaptureController::OnKindKappa));
    connect(m_radioPactrx, &QRadioButton::clicked, this, forward(&CaptureController::OnKindPactrx));
    connect(m_btnDataSheet, &QPushButton::clicked, this, &CQuellmaxView::dataSheetRequested);
    connect(m_btnAllDataSheets, &QPushButton::clicked, this, &CQuellmaxView::allDataSheetsRequested);
    connect(workOrder, &QPushButton::clicked, this, &CQuellmaxView::workOrderRequested);
    connect(notepad, &QPushButton::clicked, this, &CQuellmaxView::notepadRequested);
    connect(m_btnHistory, &QPushButton::clicked, this, &CQuellmaxView::historyRequested);
}

QPushButton* CQuellmaxView::AddButton(int id, const QString& caption, QRect dlu, unsigned anchors)
{
    return AddButtonAt(id, caption, ToPixels(dlu), anchors);
}

QPushButton* CQuellmaxView::AddButtonAt(int id, const QString& caption, QRect pixels, unsigned anchors)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(ControlName(id));
    Place(button, pixels, anchors);
    // Not auto-default, which would change how the buttons are drawn; Enter
    // is handled in eventFilter instead.
    button->setAutoDefault(false);
    button->installEventFilter(this);
    return button;
}

QRadioButton* CQuellmaxView::AddRadio(int id, const QString& caption, QRect dlu)
{
    auto* radio = new QRadioButton(caption, this);
    radio->setObjectName(ControlName(id));
    // Wide enough for the caption in any font; the position is the form's.
    Place(radio, QRect(DluX(dlu.x()), DluY(dlu.y()), DluX(std::max(dlu.width(), 60)), DluY(dlu.height())),
          kFollowRight | kBelowLines);
    m_kindGroup->addButton(radio, id);
    return radio;
}

void CQuellmaxView::FitCaption(QPushButton* button)
{
    // Narrower letters first, then smaller ones, down to what stays readable.
    QStyleOptionButton option;
    option.initFrom(button);
    const int room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
    const QFont usual = button->font();
    for (const double points : {usual.pointSizeF(), usual.pointSizeF() - 0.5, usual.pointSizeF() - 1.0}) {
        for (const int stretch : {QFont::Unstretched, QFont::SemiCondensed, QFont::Condensed}) {
            QFont font = usual;
            font.setStretch(stretch);
            font.setPointSizeF(points);
            if (QFontMetrics(font).horizontalAdvance(button->text()) <= room) {
                button->setFont(font);
                return;
            }
        }
    }
    button->setToolTip(button->text()); // cut off all the same: the tooltip says it whole
}

void CQuellmaxView::Place(QWidget* control, QRect rect, unsigned anchors)
{
    control->setGeometry(rect);
    m_placements.push_back({control, rect, anchors});
}

void CQuellmaxView::SetDefaultSize(QSize size)
{
    m_defaultSize = size;
    int lowest = 0;
    for (const Placement& placement : m_placements) {
        lowest = std::max(lowest, placement.rect.y() + placement.rect.height());
    }
    m_spareHeight = std::max(0, size.height() - lowest - DluY(kBottomMarginDlu));
    if (isVisible()) {
        PlaceControls();
    }
}

void CQuellmaxView::PlaceControls()
{
    if (!m_defaultSize.isValid()) {
        return;
    }
    const int dx = std::max(width() - m_defaultSize.width(), -DluX(kMostNarrowingDlu));
    const HeightShares shares = ShareHeight(height() - m_defaultSize.height(), m_spareHeight);
    for (const Placement& placement : m_placements) {
        QRect rect = placement.rect;
        if (placement.anchors & kFollowRight) {
            rect.translate(dx, 0);
        }
        if (placement.anchors & kWiden) {
            rect.setWidth(rect.width() + dx);
        }
        if (placement.anchors & kBelowLines) {
            rect.translate(0, shares.lines);
        }
        if (placement.anchors & kLinesHeight) {
            rect.setHeight(rect.height() + shares.lines);
        }
        if (placement.anchors & kReadingsHeight) {
            rect.setHeight(rect.height() + shares.readings);
        }
        placement.control->setGeometry(rect);
    }
}

void CQuellmaxView::resizeEvent(QResizeEvent* event)
{
    PlaceControls();
    QWidget::resizeEvent(event);
}

bool CQuellmaxView::eventFilter(QObject* watched, QEvent* event)
{
    // Enter (the main key or the keypad's) presses the focused button, as
    // Space does; held down, it presses it once.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers others = key->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier);
        const bool enter = (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && others == Qt::NoModifier;
        auto* button = qobject_cast<QPushButton*>(watched);
        if (enter && button) {
            if (!key->isAutoRepeat() && button->isEnabled()) {
                button->click();
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

std::array<int, CQuellmaxView::kReadingColumns> CQuellmaxView::ReadingColumnWidths() const
{
    std::array<int, kReadingColumns> widths{};
    for (int column = 0; column < kReadingColumns; ++column) {
        widths[column] = m_listReadings->columnWidth(column);
    }
    return widths;
}

void CQuellmaxView::SetReadingColumnWidths(const std::array<int, kReadingColumns>& widths)
{
    for (int column = 0; column < std::min(kReadingColumns, m_listReadings->columnCount()); ++column) {
        m_listReadings->setColumnWidth(column, widths[column]);
    }
}

void CQuellmaxView::SetFrameHooks(std::function<void(int, int)> raiseAndResize,
                                  std::function<void(const QString&)> status,
                                  std::function<void(bool)> captureCommandsEnabled)
{
    m_raiseAndResize = std::move(raiseAndResize);
    m_status = std::move(status);
    m_captureCommandsEnabled = std::move(captureCommandsEnabled);
}

void CQuellmaxView::SetSelectorCaption(const std::string& text)
{
    m_staticSelect->setText(QString::fromStdString(text));
}

void CQuellmaxView::AddSelectorItem(const std::string& text)
{
    m_comboEquipmentId->addItem(QString::fromStdString(text));
}

void CQuellmaxView::SetSelectorCurrent(int index)
{
    m_comboEquipmentId->setCurrentIndex(index);
}

int CQuellmaxView::SelectorCurrent() const
{
    return m_comboEquipmentId->currentIndex();
}

int CQuellmaxView::SelectorCount() const
{
    return m_comboEquipmentId->count();
}

std::string CQuellmaxView::SelectorItemText(int index) const
{
    return m_comboEquipmentId->itemText(index).toStdString();
}

void CQuellmaxView::InsertReadingRow(int row, const std::string& item, const std::string& testName,
                                     const std::string& reading)
{
    auto* entry = new QTreeWidgetItem(
        {QString::fromStdString(item), QString::fromStdString(testName), QString::fromStdString(reading), QString()});
    for (int column = 0; column < kReadingColumns; ++column) {
        entry->setToolTip(column, entry->text(column)); // the whole text, however narrow the column
    }
    const int at = std::clamp(row, 0, m_listReadings->topLevelItemCount());
    m_listReadings->insertTopLevelItem(at, entry);
    // Each row widens what it needs as it comes, so a fill ends fitted
    // without a pass over the whole list.
    FitReadingColumns(at);
}

void CQuellmaxView::FitReadingColumns(int row)
{
    const int cap = m_listReadings->width() * kAutoColumnPercent / 100;
    for (int column = 0; column < m_listReadings->columnCount(); ++column) {
        const QModelIndex cell = m_listReadings->model()->index(row, column);
        const int wanted = std::min(m_listReadings->sizeHintForIndex(cell).width(), cap);
        if (wanted > m_listReadings->columnWidth(column)) {
            m_listReadings->setColumnWidth(column, wanted);
        }
    }
}

void CQuellmaxView::AppendLine(const std::string& line)
{
    m_listLines->addItem(QString::fromStdString(line));
    m_listLines->scrollToBottom();
}

void CQuellmaxView::SetVersionText(const std::string& text)
{
    m_editVersion->setText(QString::fromStdString(text));
}

void CQuellmaxView::PostResultsReady()
{
    // Handled from the event loop once the receive handler has returned.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_controller) {
                m_controller->OnResultsReady();
            }
        },
        Qt::QueuedConnection);
}

void CQuellmaxView::ClearLines()
{
    m_listLines->clear();
}

int CQuellmaxView::LineCount() const
{
    return m_listLines->count();
}

std::string CQuellmaxView::LineText(int index) const
{
    const QListWidgetItem* item = m_listLines->item(index);
    return item ? item->text().toStdString() : std::string();
}

void CQuellmaxView::ScrollLinesToEnd()
{
    m_listLines->scrollToBottom();
}

void CQuellmaxView::ClearSelector()
{
    m_comboEquipmentId->clear();
}

void CQuellmaxView::ClearReadingRows()
{
    m_listReadings->clear();
}

int CQuellmaxView::ReadingRowCount() const
{
    return m_listReadings->topLevelItemCount();
}

std::string CQuellmaxView::ReadingRowText(int row, int column) const
{
    const QTreeWidgetItem* item = m_listReadings->topLevelItem(row);
    return item ? item->text(column).toStdString() : std::string();
}

void CQuellmaxView::SetupReadingColumns()
{
    if (m_columnsReady) {
        return; // a repeated first update keeps the columns it made
    }
    m_listReadings->setColumnCount(4);
    m_listReadings->setHeaderLabels(
        {QStringLiteral("Item"), QStringLiteral("Test"), QStringLiteral("Reading"), QStringLiteral("Last time")});
    m_listReadings->setColumnWidth(0, 50);
    m_listReadings->setColumnWidth(1, 100);
    m_listReadings->setColumnWidth(2, 440);
    m_listReadings->setColumnWidth(kLastTimeColumn, kLastTimeWidth);
    // Shown before the reading, so both are in view and time runs left to
    // right; the columns keep their numbers, and the Reading column its room.
    m_listReadings->header()->moveSection(kLastTimeColumn, 2);
    for (int column = 0; column < 4; ++column) {
        m_listReadings->headerItem()->setTextAlignment(column, Qt::AlignLeft | Qt::AlignVCenter);
    }
    m_listReadings->headerItem()->setToolTip(kLastTimeColumn,
                                             QStringLiteral("The reading of the same test at the previous test in "
                                                            "the history; red, bold and with a warning sign where "
                                                            "it differs sharply"));
    m_columnsReady = true;
}

void CQuellmaxView::SetLastTime(int row, const std::string& reading, bool sharp)
{
    QTreeWidgetItem* item = m_listReadings->topLevelItem(row);
    if (!item) {
        return;
    }
    item->setText(kLastTimeColumn, QString::fromStdString(reading));
    item->setToolTip(
        kLastTimeColumn,
        sharp ? QStringLiteral("%1 (differs sharply from %2)").arg(item->text(kLastTimeColumn), item->text(2))
              : item->text(kLastTimeColumn));
    SharpHighlight(*this).Apply(*item, kLastTimeColumn, sharp);
    FitReadingColumns(m_listReadings->indexOfTopLevelItem(item));
}

void CQuellmaxView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (!m_listReadings || (event->type() != QEvent::PaletteChange && event->type() != QEvent::StyleChange &&
                            event->type() != QEvent::FontChange)) {
        return;
    }
    // The form's own palette: the list inherits it, and gets it only after this event.
    const SharpHighlight highlight(*this);
    for (int row = 0; row < m_listReadings->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = m_listReadings->topLevelItem(row);
        if (item->data(kLastTimeColumn, SharpHighlight::kSharpRole).toBool()) {
            highlight.Apply(*item, kLastTimeColumn, true);
        }
    }
}

void CQuellmaxView::SetSelectorToolTip(const std::string& text)
{
    m_comboEquipmentId->setToolTip(QString::fromStdString(text));
}

void CQuellmaxView::SetHistoryAvailable(bool available, const QString& reason)
{
    m_btnHistory->setEnabled(available);
    m_btnHistory->setToolTip(available ? QString() : reason);
}

void CQuellmaxView::SetResultsCaption(const std::string& text)
{
    m_staticResults->setText(QString::fromStdString(text));
}

std::string CQuellmaxView::VersionText() const
{
    return m_editVersion->text().toStdString();
}

void CQuellmaxView::SetDataSheetEnabled(bool enabled)
{
    m_dataSheetWanted = enabled;
    UpdateDataSheetButtons();
}

void CQuellmaxView::SetAllDataSheetsRunning(bool running)
{
    m_allDataSheetsRunning = running;
    UpdateDataSheetButtons();
}

void CQuellmaxView::UpdateDataSheetButtons()
{
    const bool enabled = m_dataSheetWanted && !m_allDataSheetsRunning;
    if (enabled == m_btnDataSheet->isEnabled() && enabled == m_btnAllDataSheets->isEnabled()) {
        return;
    }
    m_btnDataSheet->setEnabled(enabled);
    m_btnAllDataSheets->setEnabled(enabled);
    emit dataSheetEnabledChanged(enabled);
}

bool CQuellmaxView::IsDataSheetEnabled() const
{
    return m_btnDataSheet->isEnabled();
}

std::optional<InstrumentKind> CQuellmaxView::CheckedKind() const
{
    if (m_radioQuellmax->isChecked()) {
        return InstrumentKind::Quellmax;
    }
    if (m_radioKappa->isChecked()) {
        return InstrumentKind::Kappa5100;
    }
    if (m_radioPactrx->isChecked()) {
        return InstrumentKind::Pactrx;
    }
    return std::nullopt;
}

void CQuellmaxView::SetCheckedKind(std::optional<InstrumentKind> kind)
{
    // An exclusive group cannot uncheck its last button by itself.
    m_kindGroup->setExclusive(false);
    m_radioQuellmax->setChecked(kind == InstrumentKind::Quellmax);
    m_radioKappa->setChecked(kind == InstrumentKind::Kappa5100);
    m_radioPactrx->setChecked(kind == InstrumentKind::Pactrx);
    m_kindGroup->setExclusive(true);
}

void CQuellmaxView::SetCaptureCommandsEnabled(bool enabled)
{
    for (QPushButton* button : {m_btnResult, m_btnClearMemory, m_btnClearScreen}) {
        button->setEnabled(enabled);
    }
    if (m_captureCommandsEnabled) {
        m_captureCommandsEnabled(enabled);
    }
}

void CQuellmaxView::RaiseAndResizeFrame(int width, int height)
{
    if (m_raiseAndResize) {
        m_raiseAndResize(width, height);
    }
}

void CQuellmaxView::ShowStatus(const std::string& text)
{
    if (m_status) {
        m_status(QString::fromStdString(text));
    }
}

void CQuellmaxView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (m_controller) {
        const QPoint at = event->position().toPoint();
        m_controller->OnLButtonDblClk(at.x(), at.y());
    }
    QWidget::mouseDoubleClickEvent(event);
}

void CQuellmaxView::contextMenuEvent(QContextMenuEvent* event)
{
    // The shared "Edit" menu; nothing in the form serves its commands.
    QMenu menu(QStringLiteral("Edit"), this);
    menu.setObjectName(ControlName(ControlId::Window::EditMenu));
    menu.addAction(QStringLiteral("Cu&t\tCtrl+X"))->setObjectName(ControlName(ControlId::Command::EditCut));
    menu.addAction(QStringLiteral("&Copy\tCtrl+C"))->setObjectName(ControlName(ControlId::Command::EditCopy));
    menu.addAction(QStringLiteral("&Paste\tCtrl+V"))->setObjectName(ControlName(ControlId::Command::EditPaste));
    menu.exec(event->globalPos());
}

} // namespace tessaprint
