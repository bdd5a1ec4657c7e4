#include "results/CQuellmaxView.h"

#include "app/CaptureController.h"
#include "history/SharpHighlight.h"
#include "results/VerdictColours.h"
#include "util/ControlId.h"
#include "util/DialogUnits.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <algorithm>
#include <functional>

namespace tessaprint {
namespace {

// The command buttons are at least as large as the form's 50 × 14 units;
// a longer caption makes its button wider.
constexpr int kButtonWidthDlu = 50;
constexpr int kButtonHeightDlu = 14;
// What each list keeps when the splitter or the window takes height from it.
constexpr int kMinLinesHeightDlu = 40;
constexpr int kMinReadingsHeightDlu = 40;
// The two lists' heights at the default size, which the splitter starts from.
constexpr int kLinesHeightDlu = 218;
constexpr int kReadingsHeightDlu = 89;
constexpr int kLeastReadingsPercent = 40;
// The selector is wide enough for an ID of this many characters; a longer one
// is cut in the closed box, whole in its list and in its tooltip.
constexpr int kSelectorCharacters = 12;

// A command button: at least the form's 50 × 14 units, wider for a longer
// caption in the font it has, and never narrower than its caption.
class FormButton final : public QPushButton {
public:
    using QPushButton::QPushButton;
    QSize sizeHint() const override
    {
        return QPushButton::sizeHint().expandedTo(QSize(DluX(kButtonWidthDlu), DluY(kButtonHeightDlu)));
    }
    QSize minimumSizeHint() const override { return sizeHint(); }
};

// What a verdict cell says in its tooltip: the verdict and why, the limit,
// the rule and where its figure comes from, and the profile.
QString ReadingVerdictToolTip(const verdict::ReadingVerdict& reading, const verdict::RecordVerdict& record)
{
    QStringList lines;
    QString first = QString::fromUtf8(verdict::OutcomeWord(reading.outcome).data(),
                                      static_cast<qsizetype>(verdict::OutcomeWord(reading.outcome).size()));
    if (!reading.why.empty()) {
        first += QStringLiteral(": ") + QString::fromStdString(reading.why);
    } else if (reading.outcome == verdict::Outcome::NoLimit) {
        first += QStringLiteral(": no rule of the profile covers this test");
    }
    lines << first;
    if (!reading.limit.empty()) {
        lines << QStringLiteral("Limit: ") + QString::fromStdString(reading.limit);
    }
    if (!reading.ruleId.empty()) {
        lines << QStringLiteral("Rule: ") + QString::fromStdString(reading.ruleId);
    }
    if (!reading.source.empty()) {
        lines << QStringLiteral("Source: ") + QString::fromStdString(reading.source);
    }
    if (!reading.hint.empty()) {
        lines << QString::fromStdString(reading.hint);
    }
    lines << QStringLiteral("Profile: %1 %2")
                 .arg(QString::fromStdString(record.profileName), QString::fromStdString(record.profileVersion));
    return lines.join(QLatin1Char('\n'));
}

QString Word(std::string_view word)
{
    return QString::fromUtf8(word.data(), static_cast<qsizetype>(word.size()));
}

// The record's verdict label's tooltip: the profile and how many readings got each verdict.
QString RecordVerdictToolTip(const verdict::RecordVerdict& record)
{
    using verdict::Outcome;
    QStringList counts;
    for (const Outcome outcome :
         {Outcome::Fail, Outcome::Unreadable, Outcome::NotJudged, Outcome::Pass, Outcome::NoLimit}) {
        const auto count = std::count_if(record.readings.begin(), record.readings.end(),
                                         [outcome](const verdict::ReadingVerdict& r) { return r.outcome == outcome; });
        if (count > 0) {
            counts << QStringLiteral("%1 %2").arg(count).arg(Word(verdict::OutcomeWord(outcome)));
        }
    }
    return QStringLiteral("%1 of %2, judged by %3 %4%5")
        .arg(QString::fromStdString(record.equipmentId.empty() ? std::string("the record") : record.equipmentId),
             QString::fromStdString(record.readings.size() == 1 ? "1 reading"
                                                                : std::to_string(record.readings.size()) + " readings"),
             QString::fromStdString(record.profileName), QString::fromStdString(record.profileVersion),
             counts.isEmpty() ? QString() : QStringLiteral(": ") + counts.join(QStringLiteral(", ")));
}

} // namespace

// Draws the reading list's cells as Qt does, but measures a row's height
// with each text wrapped in its column's width, which QTreeView does not.
class ReadingCellDelegate final : public QStyledItemDelegate {
public:
    explicit ReadingCellDelegate(QTreeView* view) : QStyledItemDelegate(view), m_view(view) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        cell.features |= QStyleOptionViewItem::WrapText;
        cell.rect = QRect(0, 0, std::max(1, m_view->header()->sectionSize(index.column())), 1);
        return m_view->style()->sizeFromContents(QStyle::CT_ItemViewItem, &cell, QSize(), m_view);
    }

    // The width the cell's text takes on one line.
    int NaturalWidth(const QModelIndex& index) const
    {
        QStyleOptionViewItem cell;
        cell.initFrom(m_view);
        cell.font = m_view->font();
        const int icon = m_view->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, m_view);
        cell.decorationSize = QSize(icon, icon);
        initStyleOption(&cell, index);
        cell.features &= ~QStyleOptionViewItem::WrapText;
        return m_view->style()->sizeFromContents(QStyle::CT_ItemViewItem, &cell, QSize(), m_view).width();
    }

private:
    QTreeView* m_view;
};

CQuellmaxView::CQuellmaxView(QWidget* parent) : QWidget(parent)
{
    setObjectName(ControlName(ControlId::Window::Form));
    QFont font = this->font();
    font.setPointSize(8); // the form's controls are drawn in an 8-point UI font
    setFont(font);

    m_editVersion = new QLineEdit(this);
    m_editVersion->setObjectName(ControlName(ControlId::Form::VersionText));
    m_editVersion->hide();
    QPushButton* version = AddButton(ControlId::Form::Version, QStringLiteral("Version"));
    version->hide();
    m_btnResult = AddButton(ControlId::Form::Result, QStringLiteral("RESULT"));
    m_btnClearMemory = AddButton(ControlId::Form::ClearMemory, QStringLiteral("CLR MEMORY"));
    m_btnHistory = AddButton(ControlId::Form::History, QStringLiteral("History"));
    QPushButton* workOrder = AddButton(ControlId::Form::WorkOrder, QStringLiteral("Work Order"));
    QPushButton* notepad = AddButton(ControlId::Form::Notepad, QStringLiteral("Notepad"));
    m_btnClearScreen = AddButton(ControlId::Form::ClearScreen, QStringLiteral("Clear Screen"));
    QPushButton* test = AddButton(ControlId::Form::Test, QStringLiteral("Test"));
    test->hide();

    m_listLines = new QListWidget(this);
    m_listLines->setObjectName(ControlName(ControlId::Form::Lines));
    m_listLines->setUniformItemSizes(true); // long captures stay quick to show
    m_listLines->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listLines->setMinimumHeight(DluY(kMinLinesHeightDlu));

    auto* lower = new QWidget(this); // what the splitter keeps below the received lines
    lower->setObjectName(QStringLiteral("formLower"));

    m_staticSelect = new QLabel(lower);
    m_staticSelect->setObjectName(ControlName(ControlId::Form::SelectCaption));
    m_staticResults = new QLabel(lower);
    m_staticResults->setObjectName(ControlName(ControlId::Form::ResultsCaption));
    for (QLabel* caption : {m_staticSelect, m_staticResults}) {
        caption->setTextFormat(Qt::PlainText);
        // A long caption must not widen the window; its whole text is its tooltip.
        caption->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        caption->setMinimumHeight(caption->fontMetrics().height());
    }

    m_comboEquipmentId = new QComboBox(lower);
    m_comboEquipmentId->setObjectName(ControlName(ControlId::Form::EquipmentId));
    m_comboEquipmentId->setMaxVisibleItems(20);
    m_comboEquipmentId->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_comboEquipmentId->setMinimumContentsLength(kSelectorCharacters);
    // With verdicts on, the record's verdict under the selector; it wraps
    // rather than widening the selector's column.
    m_recordVerdict = new QLabel(lower);
    m_recordVerdict->setObjectName(QStringLiteral("recordVerdict"));
    m_recordVerdict->setTextFormat(Qt::PlainText);
    m_recordVerdict->setWordWrap(true);
    m_recordVerdict->setMargin(DluX(1));
    m_recordVerdict->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_recordVerdict->hide();
    // The chosen ID's class, applied parts and next due date from the
    // equipment list; for an ID the list does not hold, "Add..." beside.
    m_deviceLine = new QLabel(lower);
    m_deviceLine->setObjectName(ControlName(ControlId::Form::DeviceLine));
    m_deviceLine->setTextFormat(Qt::PlainText);
    m_deviceLine->setWordWrap(true);
    m_deviceLine->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_deviceLine->hide();
    m_addDevice = AddButton(ControlId::Form::AddDevice, QStringLiteral("Add..."), lower);
    m_addDevice->setToolTip(QStringLiteral("Add this equipment ID to the equipment list"));
    m_addDevice->hide();

    m_listReadings = new QTreeWidget(lower);
    m_listReadings->setObjectName(ControlName(ControlId::Form::Readings));
    m_listReadings->setRootIsDecorated(false);
    m_listReadings->setItemsExpandable(false);
    m_listReadings->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listReadings->setAllColumnsShowFocus(true);
    // A reading too long for its column (a pacemaker analyzer prints eight
    // values in one) goes on over more lines instead of being cut.
    m_listReadings->setWordWrap(true);
    m_listReadings->setUniformRowHeights(false);
    m_listReadings->setTextElideMode(Qt::ElideRight);
    m_listReadings->setColumnCount(0);
    m_readingCells = new ReadingCellDelegate(m_listReadings);
    m_listReadings->setItemDelegate(m_readingCells);
    m_listReadings->setMinimumHeight(DluY(kMinReadingsHeightDlu));
    m_listReadings->setMinimumWidth(DluX(150));
    m_listReadings->header()->setStretchLastSection(false); // FitReadingColumns gives "Last time" the rest
    m_listReadings->viewport()->installEventFilter(this);   // fitted again when its width changes
    connect(m_listReadings->header(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        // A column the user drags keeps that width as its own from then on.
        if (!m_fittingColumns && column < kReadingColumns) {
            m_columnWidths[static_cast<std::size_t>(column)] = width;
            FitReadingColumns();
        }
    });

    m_btnDataSheet = AddButton(ControlId::Form::DataSheet, QStringLiteral("Data Sheet"), lower);
    m_btnAllDataSheets = AddButton(ControlId::Form::AllDataSheets, QStringLiteral("All Data Sheets"), lower);
    m_kindGroup = new QButtonGroup(this);
    m_radioQuellmax = AddRadio(ControlId::Form::Quellmax, QStringLiteral("QuellMax"), lower);
    m_radioKappa = AddRadio(ControlId::Form::Kappa5100, QStringLiteral("Kappa 5100"), lower);
    m_radioPactrx = AddRadio(ControlId::Form::Pactrx, QStringLiteral("PACTRX"), lower);

    // The form's arrangement: the command buttons in a row above the
    // received lines (the instrument's commands on the left, the doors to the
    // other windows on the right); below the lines the selector and the
    // reading list with their captions, Data Sheet, All Data Sheets and the
    // instrument kinds at the right. Layouts follow the font and the scale;
    // the splitter shares the height between the two lists.
    auto* commands = new QHBoxLayout;
    commands->setSpacing(DluX(10));
    for (QWidget* control : {static_cast<QWidget*>(version), static_cast<QWidget*>(m_editVersion),
                             static_cast<QWidget*>(m_btnResult), static_cast<QWidget*>(m_btnClearMemory)}) {
        commands->addWidget(control);
    }
    commands->addStretch(1);
    for (QWidget* control : {m_btnHistory, workOrder, notepad, m_btnClearScreen, test}) {
        commands->addWidget(control);
    }

    auto* side = new QVBoxLayout;
    side->setSpacing(1);
    side->addWidget(m_btnDataSheet);
    side->addWidget(m_btnAllDataSheets);
    side->addSpacing(DluY(8));
    side->addWidget(m_radioQuellmax);
    side->addWidget(m_radioKappa);
    side->addWidget(m_radioPactrx);
    side->addStretch(1);

    auto* grid = new QGridLayout(lower);
    grid->setContentsMargins(0, DluY(4), 0, 0);
    grid->setHorizontalSpacing(DluX(6));
    grid->setVerticalSpacing(DluY(2));
    grid->addWidget(m_staticSelect, 0, 0);
    grid->addWidget(m_staticResults, 0, 1);
    auto* selectorColumn = new QVBoxLayout;
    selectorColumn->setSpacing(DluY(2));
    selectorColumn->addWidget(m_comboEquipmentId);
    selectorColumn->addWidget(m_recordVerdict);
    auto* deviceRow = new QHBoxLayout;
    deviceRow->addWidget(m_deviceLine, 1);
    deviceRow->addWidget(m_addDevice, 0, Qt::AlignTop);
    selectorColumn->addLayout(deviceRow);
    selectorColumn->addStretch(1);
    grid->addLayout(selectorColumn, 1, 0);
    grid->addWidget(m_listReadings, 1, 1);
    grid->addLayout(side, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);

    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setObjectName(QStringLiteral("formSplitter"));
    m_splitter->setChildrenCollapsible(false);
    m_splitter->addWidget(m_listLines);
    m_splitter->addWidget(lower);
    // Extra height goes half to each list.
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->installEventFilter(this); // its first size shares the height as the form did

    auto* form = new QVBoxLayout(this);
    form->setContentsMargins(DluX(7), DluY(7), DluX(7), DluY(7));
    form->setSpacing(DluY(6));
    form->addLayout(commands);
    form->addWidget(m_splitter, 1);

    // Tab goes through the form in reading order: the buttons' row left to
    // right, the received lines, then the row below them; the kind radio
    // buttons are one stop (the checked one), as Qt treats an exclusive group.
    const std::vector<QWidget*> tabOrder = {version,          m_editVersion,      m_btnResult,
                                            m_btnClearMemory, m_btnHistory,       workOrder,
                                            notepad,          m_btnClearScreen,   test,
                                            m_listLines,      m_comboEquipmentId, m_addDevice,
                                            m_listReadings,   m_btnDataSheet,     m_btnAllDataSheets,
                                            m_radioQuellmax,  m_radioKappa,       m_radioPactrx};
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
    connect(m_addDevice, &QPushButton::clicked, this, &CQuellmaxView::addDeviceRequested);
}

QPushButton* CQuellmaxView::AddButton(int id, const QString& caption, QWidget* parent)
{
    auto* button = new FormButton(caption, parent ? parent : this);
    button->setObjectName(ControlName(id));
    // Not auto-default, which would change how the buttons are drawn; Enter
    // is handled in eventFilter instead.
    button->setAutoDefault(false);
    button->installEventFilter(this);
    return button;
}

QRadioButton* CQuellmaxView::AddRadio(int id, const QString& caption, QWidget* parent)
{
    auto* radio = new QRadioButton(caption, parent);
    radio->setObjectName(ControlName(id));
    m_kindGroup->addButton(radio, id);
    return radio;
}

QByteArray CQuellmaxView::SplitterState() const
{
    return m_splitter->saveState();
}

bool CQuellmaxView::RestoreSplitterState(const QByteArray& state)
{
    // A state of another splitter or a hand-made one could give a list no
    // height: such a state is not taken.
    const QList<int> before = m_splitter->sizes();
    if (state.isEmpty() || !m_splitter->restoreState(state) || m_splitter->count() != 2) {
        m_splitter->setSizes(before);
        return false;
    }
    m_splitterPlaced = true;
    return true;
}

bool CQuellmaxView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_splitter && (event->type() == QEvent::Resize || event->type() == QEvent::Show) &&
        !m_splitterPlaced && m_splitter->isVisible()) {
        // Until the user moves it (or a stored place is restored), the
        // received lines and the readings share the height as the form's 218
        // and 89 units do, but the readings, what the technician is after,
        // get at least a share that shows several rows on a small screen.
        m_splitterPlaced = true;
        const int total = m_splitter->height() - m_splitter->handleWidth();
        const QWidget* lower = m_splitter->widget(1);
        const int around = lower->minimumSizeHint().height() - m_listReadings->minimumHeight();
        const int readings =
            (total - around) *
            std::max(kReadingsHeightDlu * 100 / (kLinesHeightDlu + kReadingsHeightDlu), kLeastReadingsPercent) / 100;
        m_splitter->setSizes({total - around - readings, around + readings});
        return QWidget::eventFilter(watched, event);
    }
    if (m_listReadings && watched == m_listReadings->viewport() && event->type() == QEvent::Resize) {
        FitReadingColumns();
        return QWidget::eventFilter(watched, event);
    }
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
    return m_columnWidths;
}

void CQuellmaxView::SetReadingColumnWidths(const std::array<int, kReadingColumns>& widths)
{
    m_columnWidths = widths;
    FitReadingColumns();
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
    // Each row says what it needs as it comes, so a fill ends fitted without
    // a pass over the whole list.
    NoteContentWidths(at);
    FitReadingColumns();
}

void CQuellmaxView::NoteContentWidths(int row)
{
    for (int column = 0; column < std::min(kColumnsWithVerdict, m_listReadings->columnCount()); ++column) {
        const QModelIndex cell = m_listReadings->model()->index(row, column);
        if (!m_listReadings->model()->data(cell).toString().isEmpty()) {
            auto& widest = m_contentWidths[static_cast<std::size_t>(column)];
            widest = std::max(widest, m_readingCells->NaturalWidth(cell));
        }
    }
}

void CQuellmaxView::FitReadingColumns()
{
    if (!m_columnsReady || m_fittingColumns) {
        return;
    }
    // Until the list is shown it has no width of its own: the user's widths
    // stand, and the list is fitted when it gets its size.
    const int room = m_listReadings->isVisible() ? m_listReadings->viewport()->width() : 0;
    if (room <= 0) {
        m_fittingColumns = true;
        for (int column = 0; column < kReadingColumns; ++column) {
            m_listReadings->setColumnWidth(column, m_columnWidths[static_cast<std::size_t>(column)]);
        }
        m_fittingColumns = false;
        return;
    }
    QHeaderView* header = m_listReadings->header();
    const auto headerWidth = [header](int column) { return header->sectionSizeHint(column); };
    const auto wanted = [&](int column) {
        return std::max(m_contentWidths[static_cast<std::size_t>(column)], headerWidth(column));
    };
    // Item and Test as the user left them, wider for a longer text up to a
    // share of the list (a longer one wraps, or is cut and whole in its
    // tooltip); the reading beside them as wide as the user left it, less
    // where "Last time" needs the room for its texts; where the two cannot
    // have a line each, they share the room in proportion and both wrap.
    const int item = std::min(std::max(m_columnWidths[0], wanted(0)), room * kMostItemPercent / 100);
    const int test =
        std::max(headerWidth(1), std::min(std::max(m_columnWidths[1], wanted(1)), room * kMostTestPercent / 100));
    // The verdict's short words take what they need first: the reading keeps its place beside Test.
    const bool verdictShown = m_listReadings->columnCount() > kVerdictColumn;
    const int verdict = verdictShown ? wanted(kVerdictColumn) : 0;
    const int rest = std::max(0, room - item - test - verdict);
    const int readingNeeds = wanted(2);
    const bool lastTimeShown = m_contentWidths[kLastTimeColumn] > 0;
    const int lastTimeNeeds = lastTimeShown ? wanted(kLastTimeColumn) : headerWidth(kLastTimeColumn);
    int reading = 0;
    if (readingNeeds + lastTimeNeeds <= rest) {
        reading = std::max(readingNeeds, std::min(m_columnWidths[2], rest - lastTimeNeeds));
    } else if (lastTimeShown) {
        reading = static_cast<int>(1LL * rest * readingNeeds / (readingNeeds + lastTimeNeeds));
    } else {
        reading = rest - lastTimeNeeds;
    }
    reading = std::max(reading, headerWidth(2));
    const int lastWidth = std::max(room - item - test - reading - verdict, headerWidth(kLastTimeColumn));
    if (item == m_listReadings->columnWidth(0) && test == m_listReadings->columnWidth(1) &&
        reading == m_listReadings->columnWidth(2) && lastWidth == m_listReadings->columnWidth(kLastTimeColumn) &&
        (!verdictShown || verdict == m_listReadings->columnWidth(kVerdictColumn))) {
        return;
    }
    m_fittingColumns = true;
    m_listReadings->setColumnWidth(0, item);
    m_listReadings->setColumnWidth(1, test);
    m_listReadings->setColumnWidth(2, reading);
    m_listReadings->setColumnWidth(kLastTimeColumn, lastWidth);
    if (verdictShown) {
        m_listReadings->setColumnWidth(kVerdictColumn, verdict);
    }
    m_fittingColumns = false;
    // Rows as tall as their wrapped texts in the new widths.
    m_listReadings->doItemsLayout();
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
    m_recordVerdict->clear();
    m_recordVerdict->setToolTip(QString());
    m_recordOutcome.reset();
    VerdictColours(*this).Apply(*m_recordVerdict, std::nullopt);
    // Fitted afresh for the next record, of whichever capture and kind.
    m_contentWidths.fill(0);
    FitReadingColumns();
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
    m_listReadings->setColumnCount(kAllColumns);
    m_listReadings->setHeaderLabels(
        {QStringLiteral("Item"), QStringLiteral("Test"), QStringLiteral("Reading"), QStringLiteral("Last time")});
    for (int column = 0; column < kAllColumns; ++column) {
        m_listReadings->headerItem()->setTextAlignment(column, Qt::AlignLeft | Qt::AlignVCenter);
    }
    m_listReadings->headerItem()->setToolTip(kLastTimeColumn,
                                             QStringLiteral("The reading of the same test at the previous test in "
                                                            "the history; red, bold and with a warning sign where "
                                                            "it differs sharply"));
    m_columnsReady = true;
    ShowVerdictColumn();
    FitReadingColumns();
}

void CQuellmaxView::SetVerdictsShown(bool shown)
{
    m_verdictsShown = shown;
    ShowVerdictColumn();
}

void CQuellmaxView::ShowVerdictColumn()
{
    if (!m_columnsReady) {
        return; // SetupReadingColumns shows it
    }
    const int columns = m_verdictsShown ? kColumnsWithVerdict : kAllColumns;
    if (m_listReadings->columnCount() != columns) {
        m_listReadings->setColumnCount(columns);
        m_contentWidths[kVerdictColumn] = 0;
        if (m_verdictsShown) {
            m_listReadings->headerItem()->setText(kVerdictColumn, QStringLiteral("Verdict"));
            m_listReadings->headerItem()->setTextAlignment(kVerdictColumn, Qt::AlignLeft | Qt::AlignVCenter);
            m_listReadings->headerItem()->setToolTip(
                kVerdictColumn, QStringLiteral("The reading judged against the limits of Options > Limits; the "
                                               "limit, the rule and its source in each cell's tooltip"));
        }
    }
    if (m_verdictsShown) {
        QHeaderView* header = m_listReadings->header();
        if (header->visualIndex(kVerdictColumn) != kLastTimeColumn) {
            header->moveSection(header->visualIndex(kVerdictColumn), kLastTimeColumn);
        }
    } else {
        m_recordVerdict->clear();
        m_recordOutcome.reset();
    }
    m_recordVerdict->setVisible(m_verdictsShown);
    FitReadingColumns();
}

void CQuellmaxView::ShowRecordVerdict(const verdict::RecordVerdict& verdict)
{
    if (!m_verdictsShown || !m_columnsReady) {
        return;
    }
    const VerdictColours colours(*this);
    const int rows = std::min(m_listReadings->topLevelItemCount(), static_cast<int>(verdict.readings.size()));
    for (int row = 0; row < rows; ++row) {
        QTreeWidgetItem* item = m_listReadings->topLevelItem(row);
        const verdict::ReadingVerdict& reading = verdict.readings[static_cast<std::size_t>(row)];
        item->setText(kVerdictColumn, Word(verdict::OutcomeWord(reading.outcome)));
        item->setToolTip(kVerdictColumn, ReadingVerdictToolTip(reading, verdict));
        colours.Apply(*item, kVerdictColumn, reading.outcome);
        NoteContentWidths(row);
    }
    m_recordOutcome = verdict.outcome;
    m_recordVerdict->setText(QStringLiteral("Verdict: ") + Word(verdict::RecordOutcomeWord(verdict.outcome)));
    m_recordVerdict->setToolTip(RecordVerdictToolTip(verdict));
    colours.Apply(*m_recordVerdict, m_recordOutcome);
    FitReadingColumns();
}

void CQuellmaxView::RecolourVerdicts()
{
    const VerdictColours colours(*this);
    if (m_listReadings->columnCount() > kVerdictColumn) {
        for (int row = 0; row < m_listReadings->topLevelItemCount(); ++row) {
            QTreeWidgetItem* item = m_listReadings->topLevelItem(row);
            const QVariant outcome = item->data(kVerdictColumn, VerdictColours::kOutcomeRole);
            if (outcome.isValid()) {
                colours.Apply(*item, kVerdictColumn, static_cast<verdict::Outcome>(outcome.toInt()));
            }
        }
    }
    colours.Apply(*m_recordVerdict, m_recordOutcome);
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
    NoteContentWidths(m_listReadings->indexOfTopLevelItem(item));
    FitReadingColumns();
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
    RecolourVerdicts();
}

void CQuellmaxView::SetSelectorToolTip(const std::string& text)
{
    m_comboEquipmentId->setToolTip(QString::fromStdString(text));
}

void CQuellmaxView::ShowDeviceLine(const std::string& text, bool offerAdd)
{
    m_deviceLine->setText(QString::fromStdString(text));
    m_deviceLine->setVisible(!text.empty());
    m_addDevice->setVisible(offerAdd);
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
