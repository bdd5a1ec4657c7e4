#include "history/CHistoryDlg.h"

#include "app/CaptureSession.h"
#include "history/HistoryGrid.h"
#include "history/QtHistoryRecorder.h"
#include "history/ReadingNumber.h"
#include "history/SharpHighlight.h"
#include "history/VerdictMark.h"
#include "text/Plural.h"
#include "util/ControlId.h"

#include <QChart>
#include <QChartView>
#include <QCompleter>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>
#include <QStringListModel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

namespace tessaprint {

namespace {

constexpr int kIdLimit = 50;
// About what the list shows without scrolling at the window's first size.
constexpr int kRecentLimit = 30;

// Where a record sits on the chart's time axis: its day, at its capture's time
// of day (so two tests on one day keep their order), noon without one.
std::optional<QDateTime> ChartTime(const history::HistoryRecord& record)
{
    const QDate day = QDate::fromString(QString::fromStdString(history::RecordDay(record)), Qt::ISODate);
    if (!day.isValid()) {
        return std::nullopt;
    }
    QTime time(12, 0);
    if (record.capturedAt.size() >= 19) {
        const QTime captured = QTime::fromString(QString::fromStdString(record.capturedAt.substr(11, 8)), Qt::ISODate);
        if (captured.isValid()) {
            time = captured;
        }
    }
    return QDateTime(day, time);
}

QColor Mixed(const QColor& from, const QColor& to, double share)
{
    return QColor::fromRgbF(static_cast<float>(from.redF() + (to.redF() - from.redF()) * share),
                            static_cast<float>(from.greenF() + (to.greenF() - from.greenF()) * share),
                            static_cast<float>(from.blueF() + (to.blueF() - from.blueF()) * share));
}

} // namespace

CHistoryDlg::CHistoryDlg(QtHistoryRecorder& recorder, std::function<void(const history::HistoryRecord&)> dataSheet,
                         QWidget* parent)
    : QDialog(parent), m_recorder(recorder), m_dataSheet(std::move(dataSheet))
{
    setObjectName(ControlName(ControlId::Window::History));
    setWindowTitle(QStringLiteral("History"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::CustomizeWindowHint);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(760, 600);

    auto* idLabel = new QLabel(QStringLiteral("&Equipment ID:"), this);
    m_id = new QLineEdit(this);
    m_id->setObjectName(ControlName(ControlId::History::Id));
    m_id->setPlaceholderText(QStringLiteral("Type the first letters of an ID, or choose one under Recent"));
    idLabel->setBuddy(m_id);
    m_idModel = new QStringListModel(this);
    m_completer = new QCompleter(m_idModel, this);
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_completer->setCompletionMode(QCompleter::PopupCompletion);
    m_completer->setMaxVisibleItems(15);
    m_id->setCompleter(m_completer);
    auto* recentLabel = new QLabel(QStringLiteral("&Recent:"), this);
    m_recent = new QListWidget(this);
    m_recent->setObjectName(ControlName(ControlId::History::Recent));
    m_recent->setToolTip(QStringLiteral("The equipment tested last, newest first: choose one to show its history"));
    m_recent->setSelectionMode(QAbstractItemView::SingleSelection);
    m_recent->setUniformItemSizes(true);
    recentLabel->setBuddy(m_recent);
    m_dataSheetButton = new QPushButton(QStringLiteral("Data Sheet"), this);
    m_dataSheetButton->setObjectName(ControlName(ControlId::History::DataSheet));
    m_dataSheetButton->setToolTip(QStringLiteral("The test record of the chosen date's record, as it was then"));
    m_dataSheetButton->setEnabled(false);
    m_dataSheetButton->setAutoDefault(false);

    m_table = new QTableWidget(this);
    m_table->setObjectName(ControlName(ControlId::History::Table));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);

    m_chart = new QChartView(this);
    m_chart->setObjectName(ControlName(ControlId::History::Chart));
    m_chart->setRenderHint(QPainter::Antialiasing);
    m_chart->setMinimumHeight(180);
    m_chart->chart()->legend()->hide();
    m_chart->chart()->setBackgroundRoundness(0);
    m_chart->chart()->setPlotAreaBackgroundVisible(false);
    m_chartNote = new QLabel(this);
    m_chartNote->setObjectName(ControlName(ControlId::History::ChartNote));
    m_chartNote->setWordWrap(true);
    m_chartNote->setTextFormat(Qt::PlainText);
    m_status = new QLabel(this);
    m_status->setObjectName(ControlName(ControlId::History::Status));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);

    auto* top = new QHBoxLayout;
    top->addWidget(idLabel);
    top->addWidget(m_id, 1);
    top->addWidget(m_dataSheetButton);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(m_table);
    splitter->addWidget(m_chart);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    auto* recentPanel = new QWidget(this);
    auto* recentLayout = new QVBoxLayout(recentPanel);
    recentLayout->setContentsMargins(0, 0, 0, 0);
    recentLayout->addWidget(recentLabel);
    recentLayout->addWidget(m_recent, 1);
    auto* sides = new QSplitter(Qt::Horizontal, this);
    sides->setChildrenCollapsible(false);
    sides->addWidget(recentPanel);
    sides->addWidget(splitter);
    sides->setStretchFactor(0, 0);
    sides->setStretchFactor(1, 1);
    sides->setSizes({fontMetrics().horizontalAdvance(QLatin1Char('M')) * 12, width()});
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(sides, 1);
    layout->addWidget(m_chartNote);
    layout->addWidget(m_status);

    // Reading order: the top row, then the list beside the table.
    setTabOrder(m_id, m_dataSheetButton);
    setTabOrder(m_dataSheetButton, m_recent);
    setTabOrder(m_recent, m_table);
    setTabOrder(m_table, m_chart);

    connect(m_id, &QLineEdit::textEdited, this, &CHistoryDlg::AskForIds);
    connect(m_id, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (text.trimmed().isEmpty()) {
            AskForRecentIds();
        }
    });
    // A click, or Enter on the current one, shows that ID's history.
    connect(m_recent, &QListWidget::itemClicked, this, &CHistoryDlg::OnRecentChosen);
    connect(m_recent, &QListWidget::itemActivated, this, &CHistoryDlg::OnRecentChosen);
    connect(m_id, &QLineEdit::returnPressed, this, [this] { ShowId(m_id->text().trimmed()); });
    connect(m_completer, qOverload<const QString&>(&QCompleter::activated), this, &CHistoryDlg::ShowId);
    connect(m_table, &QTableWidget::currentCellChanged, this,
            [this](int row, int column, int, int) { OnCurrentCell(row, column); });
    connect(m_dataSheetButton, &QPushButton::clicked, this, &CHistoryDlg::OnDataSheet);
    StyleChart();
    // The IDs there are, before anything is typed.
    AskForIds(QString());
}

void CHistoryDlg::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (m_chart && (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange ||
                    event->type() == QEvent::FontChange)) {
        FollowPalette();
    }
}

void CHistoryDlg::FollowPalette()
{
    // The window's own palette: the table inherits it, and gets it only after this event.
    const SharpHighlight highlight(*this);
    const VerdictMark verdicts(*this);
    for (int r = 0; r < m_table->rowCount(); ++r) {
        for (int c = kFirstDateColumn; c < m_table->columnCount(); ++c) {
            QTableWidgetItem* item = m_table->item(r, c);
            if (!item) {
                continue;
            }
            if (item->data(VerdictMark::kVerdictRole).isValid()) {
                verdicts.Apply(*item);
            }
            // A sharp change's marks go over the verdict's colour.
            if (item->data(SharpHighlight::kSharpRole).toBool()) {
                highlight.Apply(*item, true);
            }
        }
    }
    StyleChart();
}

void CHistoryDlg::StyleChart()
{
    const QPalette& colours = palette();
    const QColor base = colours.color(QPalette::Active, QPalette::Base);
    const QColor text = colours.color(QPalette::Active, QPalette::Text);
    QChart* chart = m_chart->chart();
    chart->setBackgroundBrush(base);
    chart->setBackgroundPen(Qt::NoPen);
    chart->setTitleBrush(text);
    m_chart->setBackgroundBrush(base);
    for (QAbstractAxis* axis : chart->axes()) {
        axis->setLabelsColor(text);
        axis->setTitleBrush(text);
        axis->setLinePenColor(Mixed(base, text, 0.5));
        axis->setGridLineColor(Mixed(base, text, 0.2));
        axis->setMinorGridLineColor(Mixed(base, text, 0.1));
        axis->setShadesVisible(false);
    }
    // The selection's colour where it stands out from the base, else the text's.
    QColor line = colours.color(QPalette::Active, QPalette::Highlight);
    if (SharpHighlight::ContrastRatio(line, base) < 3.0) {
        line = text;
    }
    for (QAbstractSeries* series : chart->series()) {
        if (auto* points = qobject_cast<QLineSeries*>(series)) {
            QPen pen(line, 2);
            points->setPen(pen);
            points->setBrush(line);
        }
    }
}

void CHistoryDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    AskForRecentIds();
}

std::optional<QStringList> CHistoryDlg::IdsOrSayWhy(const Result<std::vector<std::string>>& ids)
{
    if (!ids) {
        m_status->setText(
            QStringLiteral("The history could not be read: %1").arg(QString::fromStdString(ids.error().message)));
        return std::nullopt;
    }
    QStringList list;
    for (const std::string& id : ids.value()) {
        list << QString::fromStdString(id);
    }
    return list;
}

void CHistoryDlg::AskForRecentIds()
{
    const int asked = ++m_recentAsked;
    QPointer<CHistoryDlg> self(this);
    m_recorder.RecentIds(kRecentLimit, [self, asked](Result<std::vector<std::string>> ids) {
        if (!self || asked != self->m_recentAsked) {
            return;
        }
        const std::optional<QStringList> list = self->IdsOrSayWhy(ids);
        if (!list) {
            return;
        }
        QStringList shown;
        for (int i = 0; i < self->m_recent->count(); ++i) {
            shown << self->m_recent->item(i)->text();
        }
        // The same list again is left as it stands, under the mouse and the keyboard.
        if (*list == shown) {
            return;
        }
        const QString current = self->m_recent->currentItem() ? self->m_recent->currentItem()->text() : QString();
        self->m_recent->clear();
        self->m_recent->addItems(*list);
        if (const auto found = self->m_recent->findItems(current, Qt::MatchExactly);
            !current.isEmpty() && !found.isEmpty()) {
            self->m_recent->setCurrentItem(found.first());
        }
    });
}

void CHistoryDlg::OnRecentChosen(QListWidgetItem* item)
{
    if (item) {
        ShowId(item->text());
    }
}

void CHistoryDlg::AskForIds(const QString& prefix)
{
    const int asked = ++m_idsAsked;
    QPointer<CHistoryDlg> self(this);
    m_recorder.Ids(prefix.trimmed().toStdString(), kIdLimit, [self, asked](Result<std::vector<std::string>> ids) {
        if (!self || asked != self->m_idsAsked) {
            return;
        }
        const std::optional<QStringList> list = self->IdsOrSayWhy(ids);
        if (!list) {
            return;
        }
        self->m_idModel->setStringList(*list);
        if (self->m_id->hasFocus() && !self->m_id->text().isEmpty()) {
            self->m_completer->complete();
        }
    });
}

void CHistoryDlg::ShowId(const QString& typed)
{
    if (typed.isEmpty()) {
        return;
    }
    // An ID typed in other letters is the one the history spells so.
    QString id = typed;
    const QStringList known = m_idModel->stringList();
    if (!known.contains(typed)) {
        for (const QString& candidate : known) {
            if (candidate.compare(typed, Qt::CaseInsensitive) == 0) {
                id = candidate;
                break;
            }
        }
    }
    if (m_id->text() != id) {
        m_id->setText(id);
    }
    if (const auto inRecent = m_recent->findItems(id, Qt::MatchExactly); !inRecent.isEmpty()) {
        m_recent->setCurrentItem(inRecent.first());
    } else {
        m_recent->setCurrentRow(-1);
    }
    const int asked = ++m_lookupAsked;
    m_status->setText(QStringLiteral("Looking up %1 …").arg(id));
    QPointer<CHistoryDlg> self(this);
    m_recorder.Lookup(id.toStdString(), [self, asked, id](Result<std::vector<history::HistoryRecord>> records) {
        if (!self || asked != self->m_lookupAsked) {
            return;
        }
        if (!records) {
            self->ShowRecords({});
            self->m_status->setText(QStringLiteral("The history could not be read: %1")
                                        .arg(QString::fromStdString(records.error().message)));
        } else {
            self->ShowRecords(records.value());
            self->m_status->setText(
                records.value().empty()
                    ? QStringLiteral("The history has no record of %1.").arg(id)
                    : QStringLiteral("%1: %2").arg(
                          id, QString::fromStdString(Plural(records.value().size(), "test", "tests"))));
        }
        emit self->recordsShown();
    });
}

void CHistoryDlg::ShowRecords(const std::vector<history::HistoryRecord>& records)
{
    m_records = records;
    const history::HistoryGrid grid = history::MakeHistoryGrid(m_records);
    m_table->clear();
    m_table->setColumnCount(kFirstDateColumn + static_cast<int>(grid.headers.size()));
    m_table->setRowCount(static_cast<int>(grid.rows.size()));
    QStringList headers{QStringLiteral("Item"), QStringLiteral("Test")};
    for (const std::string& header : grid.headers) {
        headers << QString::fromStdString(header);
    }
    m_table->setHorizontalHeaderLabels(headers);
    const SharpHighlight highlight(*this);
    const VerdictMark verdicts(*this);
    for (int r = 0; r < static_cast<int>(grid.rows.size()); ++r) {
        const history::HistoryGridRow& row = grid.rows[static_cast<std::size_t>(r)];
        m_table->setItem(r, 0, new QTableWidgetItem(QString::number(row.item)));
        m_table->setItem(r, 1, new QTableWidgetItem(QString::fromStdString(row.test)));
        for (std::size_t c = 0; c < row.cells.size(); ++c) {
            auto* item = new QTableWidgetItem;
            if (const auto& cell = row.cells[c]) {
                const QString reading = QString::fromStdString(cell->reading);
                item->setText(reading);
                item->setToolTip(reading);
                // Only a reading recorded with verdicts has one to show.
                if (!cell->verdict.empty()) {
                    item->setText(VerdictMark::CellText(reading, cell->verdict));
                    item->setData(VerdictMark::kReadingRole, reading);
                    item->setData(VerdictMark::kVerdictRole, QString::fromStdString(cell->verdict));
                    item->setToolTip(VerdictMark::ToolTip(*cell, m_records[c]));
                    verdicts.Apply(*item);
                }
                if (cell->sharp) {
                    highlight.Apply(*item, true);
                    const QString sharp = reading + QStringLiteral(": differs sharply from the date before");
                    item->setToolTip(cell->verdict.empty() ? sharp : item->toolTip() + QStringLiteral("\n") + sharp);
                }
            }
            m_table->setItem(r, kFirstDateColumn + static_cast<int>(c), item);
        }
    }
    m_table->resizeColumnsToContents();
    m_table->horizontalHeader()->setMinimumSectionSize(60);
    if (!grid.rows.empty() && !grid.headers.empty()) {
        // The newest test's first reading: its chart and its Data Sheet.
        m_table->setCurrentCell(0, m_table->columnCount() - 1);
        m_table->scrollToItem(m_table->item(0, m_table->columnCount() - 1));
    } else {
        OnCurrentCell(-1, -1);
    }
}

void CHistoryDlg::OnCurrentCell(int row, int column)
{
    const int record = column - kFirstDateColumn;
    m_dataSheetButton->setEnabled(record >= 0 && record < static_cast<int>(m_records.size()));
    ShowChart(row);
}

void CHistoryDlg::ShowChart(int row)
{
    QChart* chart = m_chart->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    chart->setTitle(QString());
    m_chartNote->clear();
    if (row < 0 || row >= m_table->rowCount()) {
        return;
    }
    const QString test = m_table->item(row, 1) ? m_table->item(row, 1)->text() : QString();
    chart->setTitle(test.isEmpty() ? QStringLiteral("Item %1").arg(m_table->item(row, 0)->text()) : test);

    auto* series = new QLineSeries;
    series->setPointsVisible(true);
    std::set<std::string> units;
    QStringList leftOut;
    QStringList undated;
    QStringList compared;
    std::vector<QPointF> points;
    double low = 0;
    double high = 0;
    QDateTime first;
    QDateTime last;
    for (std::size_t c = 0; c < m_records.size(); ++c) {
        const QTableWidgetItem* cell = m_table->item(row, kFirstDateColumn + static_cast<int>(c));
        if (!cell || cell->text().isEmpty()) {
            continue;
        }
        const QString reading = VerdictMark::Reading(*cell);
        const QString date = QString::fromStdString(history::RecordDateText(m_records[c]));
        const auto number = history::ParseReadingNumber(reading.toStdString());
        if (!number) {
            leftOut << QStringLiteral("%1 (\"%2\")").arg(date, reading);
            continue;
        }
        // A test with neither a date nor a capture day has no place on a time axis.
        const auto at = ChartTime(m_records[c]);
        if (!at) {
            undated << QStringLiteral("\"%1\"").arg(reading);
            continue;
        }
        if (!number->comparison.empty()) {
            compared << QStringLiteral("%1 on %2 is drawn as %3")
                            .arg(reading, date, QString::number(number->value, 'g', 12));
        }
        units.insert(number->unit);
        if (points.empty()) {
            low = high = number->value;
            first = last = *at;
        }
        low = std::min(low, number->value);
        high = std::max(high, number->value);
        first = std::min(first, *at);
        last = std::max(last, *at);
        points.emplace_back(static_cast<qreal>(at->toMSecsSinceEpoch()), number->value);
    }
    // In time order, so the line never runs back (two tests of one day captured
    // on other days sit in the table by their capture, here by the time of day).
    std::stable_sort(points.begin(), points.end(), [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
    for (const QPointF& point : points) {
        series->append(point);
    }
    chart->addSeries(series);
    auto* x = new QDateTimeAxis;
    x->setFormat(QStringLiteral("MM/dd/yyyy"));
    x->setTitleText(QStringLiteral("Test date"));
    auto* y = new QValueAxis;
    QStringList unitNames;
    for (const std::string& unit : units) {
        unitNames << (unit.empty() ? QStringLiteral("(no unit)") : QString::fromStdString(unit));
    }
    y->setTitleText(unitNames.join(QStringLiteral(" / ")));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
    if (series->count() > 0) {
        // Room around the points, also when they all lie on one value or one day.
        const double margin = high > low ? (high - low) * 0.1 : std::max(std::abs(high) * 0.1, 1.0);
        y->setRange(low - margin, high + margin);
        x->setRange(first.addDays(-1), last.addDays(1));
        // At least three labels: one test's own day is then the middle one,
        // not left between the days either side.
        x->setTickCount(std::clamp(static_cast<int>(series->count()) + 1, 3, 6));
    }
    QStringList notes;
    if (!compared.isEmpty()) {
        notes << compared.join(QStringLiteral("; ")) + QStringLiteral(" (a limit the instrument printed).");
    }
    if (units.size() > 1) {
        notes << QStringLiteral("The unit changed between tests: %1.").arg(unitNames.join(QStringLiteral(", ")));
    }
    if (!leftOut.isEmpty()) {
        notes << QStringLiteral("Left out, without a number: %1.").arg(leftOut.join(QStringLiteral(", ")));
    }
    if (!undated.isEmpty()) {
        notes << QStringLiteral("Left out, without a date: %1.").arg(undated.join(QStringLiteral(", ")));
    }
    m_chartNote->setText(notes.join(QLatin1Char(' ')));
    StyleChart();
}

void CHistoryDlg::OnDataSheet()
{
    const int record = m_table->currentColumn() - kFirstDateColumn;
    if (record < 0 || record >= static_cast<int>(m_records.size()) || !m_dataSheet) {
        return;
    }
    m_dataSheet(m_records[static_cast<std::size_t>(record)]);
}

} // namespace tessaprint
