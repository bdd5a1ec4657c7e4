#include "history/CDueForTestDlg.h"

#include "history/QtHistoryRecorder.h"
#include "history/SharpHighlight.h"
#include "text/IsoLocalTime.h"
#include "util/Clock.h"
#include "util/ControlId.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPalette>
#include <QPointer>
#include <QSpinBox>
#include <QTableWidget>

#include <cmath>

namespace tessaprint {

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

QColor Mixed(const QColor& from, const QColor& to, double share)
{
    const auto channel = [share](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * share)); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()), channel(from.blue(), to.blue()));
}

// The day the clock gives, as ISO; empty when it gives none.
std::string Today(const Clock& clock)
{
    const auto now = clock.LocalTime();
    if (!now) {
        return {};
    }
    return IsoLocalTime(*now).substr(0, 10);
}

QString DueWithinText(int days)
{
    return QStringLiteral("Due within %1 days").arg(days);
}

} // namespace

DueColours::DueColours(const QWidget& window)
{
    const QPalette& palette = window.palette();
    const QColor base = palette.color(QPalette::Active, QPalette::Base).toRgb();
    m_text = palette.color(QPalette::Active, QPalette::Text);
    // A light tint on a light list, a deeper one on a dark list, as the verdicts have.
    const bool dark = base.lightnessF() < 0.5;
    m_red = Mixed(base, QColor(220, 40, 40), dark ? 0.45 : 0.25);
    m_amber = Mixed(base, QColor(235, 160, 0), dark ? 0.45 : 0.30);
    m_green = Mixed(base, QColor(40, 170, 70), dark ? 0.40 : 0.22);
}

QColor DueColours::Background(history::DueStatus status) const
{
    switch (status) {
    case history::DueStatus::Failed:
    case history::DueStatus::Overdue:
        return m_red;
    case history::DueStatus::DueSoon:
        return m_amber;
    case history::DueStatus::Ok:
        return m_green;
    default:
        return {};
    }
}

QColor DueColours::Text(history::DueStatus status) const
{
    const QColor background = Background(status);
    if (!background.isValid() || SharpHighlight::ContrastRatio(m_text, background) >= SharpHighlight::kMinContrast) {
        return m_text;
    }
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return SharpHighlight::ContrastRatio(black, background) >= SharpHighlight::ContrastRatio(white, background) ? black
                                                                                                                : white;
}

CDueForTestDlg::CDueForTestDlg(QtHistoryRecorder& recorder, Clock& clock,
                               std::function<std::shared_ptr<const verdict::VerdictEngine>()> engine,
                               std::function<void(const QString& equipmentId)> openHistory, QWidget* parent)
    : QDialog(parent), m_recorder(recorder), m_clock(clock), m_engine(std::move(engine)),
      m_openHistory(std::move(openHistory))
{
    setObjectName(ControlName(ControlId::Window::DueForTest));
    setWindowTitle(QStringLiteral("Due for Test"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::CustomizeWindowHint);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(760, 480);

    auto* filterLabel = new QLabel(QStringLiteral("&Show:"), this);
    m_filter = new QComboBox(this);
    m_filter->setObjectName(ControlName(ControlId::DueForTest::Filter));
    m_filter->addItems(
        {QStringLiteral("All devices"), QStringLiteral("Overdue and failed"), DueWithinText(kDefaultDays)});
    filterLabel->setBuddy(m_filter);
    auto* daysLabel = new QLabel(QStringLiteral("&Due soon: within"), this);
    m_days = new QSpinBox(this);
    m_days->setObjectName(ControlName(ControlId::DueForTest::Days));
    m_days->setRange(0, 3660);
    m_days->setValue(kDefaultDays);
    m_days->setSuffix(QStringLiteral(" days"));
    m_days->setToolTip(QStringLiteral("A device due within this many days from today is \"due soon\""));
    daysLabel->setBuddy(m_days);

    m_table = new QTableWidget(0, kColumns, this);
    m_table->setObjectName(ControlName(ControlId::DueForTest::Table));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Equipment ID"), QStringLiteral("Description"),
                                        QStringLiteral("Location"), QStringLiteral("Last test"), QStringLiteral("Due"),
                                        QStringLiteral("Status")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setToolTip(QStringLiteral("Double-click a device to see its history"));
    m_status = new QLabel(this);
    m_status->setObjectName(ControlName(ControlId::DueForTest::Status));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);

    auto* top = new QHBoxLayout;
    top->addWidget(filterLabel);
    top->addWidget(m_filter);
    top->addSpacing(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 2);
    top->addWidget(daysLabel);
    top->addWidget(m_days);
    top->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_status);

    connect(m_filter, &QComboBox::currentIndexChanged, this, [this] { ShowEntries(); });
    connect(m_days, &QSpinBox::valueChanged, this, [this](int days) {
        m_filter->setItemText(DueWithin, DueWithinText(days));
        Refresh();
    });
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (const QTableWidgetItem* item = m_table->item(row, Id); item && m_openHistory) {
            m_openHistory(item->text());
        }
    });
}

void CDueForTestDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Refresh();
}

void CDueForTestDlg::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (m_table && event->type() == QEvent::PaletteChange) {
        ShowEntries();
    }
}

void CDueForTestDlg::Refresh()
{
    m_on = Today(m_clock);
    if (m_on.empty()) {
        m_status->setText(QStringLiteral("The system gives no date to count from."));
        return;
    }
    const int asked = ++m_asked;
    m_status->setText(QStringLiteral("Reading the history..."));
    QPointer<CDueForTestDlg> self(this);
    m_recorder.WithEquipment<std::vector<history::DueEntry>>(
        [engine = m_engine ? m_engine() : nullptr, on = m_on,
         within = m_days->value()](history::EquipmentStore& store) -> Result<std::vector<history::DueEntry>> {
            Result<std::vector<verdict::Device>> devices = store.Equipment();
            if (!devices) {
                return devices.error();
            }
            Result<std::vector<history::LatestTest>> tests = store.LatestTests();
            if (!tests) {
                return tests.error();
            }
            return history::MakeDueList(devices.value(), tests.value(), engine.get(), on, within);
        },
        [self, asked](const Result<std::vector<history::DueEntry>>& entries) {
            if (!self || asked != self->m_asked) {
                return;
            }
            if (!entries) {
                self->m_status->setText(QStringLiteral("The history could not be read: ") + Q(entries.error().message));
                return;
            }
            self->m_entries = entries.value();
            self->ShowEntries();
            emit self->scheduleShown();
        });
}

bool CDueForTestDlg::Passes(const history::DueEntry& entry) const
{
    switch (m_filter->currentIndex()) {
    case OverdueAndFailed:
        return entry.status == history::DueStatus::Overdue || entry.status == history::DueStatus::Failed;
    case DueWithin:
        // What needs a test within the days: overdue and failed ones too.
        return entry.status == history::DueStatus::Overdue || entry.status == history::DueStatus::Failed ||
               entry.status == history::DueStatus::DueSoon;
    default:
        return true;
    }
}

void CDueForTestDlg::ShowEntries()
{
    const DueColours colours(*this);
    m_table->setRowCount(0);
    int shown = 0;
    for (const history::DueEntry& entry : m_entries) {
        if (!Passes(entry)) {
            continue;
        }
        const int row = m_table->rowCount();
        m_table->insertRow(row);
        const QString texts[kColumns] = {Q(entry.equipmentId),
                                         Q(entry.description),
                                         Q(entry.location),
                                         entry.lastTest ? Q(*entry.lastTest) : QString(),
                                         entry.due ? Q(*entry.due) : QString(),
                                         Q(std::string(history::DueStatusWord(entry.status)))};
        for (int c = 0; c < kColumns; ++c) {
            m_table->setItem(row, c, new QTableWidgetItem(texts[c]));
        }
        QTableWidgetItem* status = m_table->item(row, Status);
        if (const QColor background = colours.Background(entry.status); background.isValid()) {
            status->setBackground(background);
            status->setForeground(colours.Text(entry.status));
        }
        ++shown;
    }
    m_table->resizeColumnsToContents();
    m_status->setText(QStringLiteral("%1 of %2 devices shown, on %3. Double-click a device to see its history.")
                          .arg(shown)
                          .arg(m_entries.size())
                          .arg(Q(m_on)));
}

} // namespace tessaprint
