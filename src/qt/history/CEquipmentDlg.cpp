#include "history/CEquipmentDlg.h"

#include "history/QtHistoryRecorder.h"
#include "results/VerdictColours.h"
#include "util/AtomicFile.h"
#include "util/ControlId.h"
#include "util/FileIo.h"
#include "util/Prompts.h"
#include "util/Utf8Path.h"

#include <QBoxLayout>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>

#include <cctype>

namespace tessaprint {

namespace {

constexpr const char* kListFilter = "Equipment lists (*.csv);;All files (*)";
// The ID a row was stored under: an edited ID replaces that one.
constexpr int kStoredIdRole = Qt::UserRole + 73;

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

// "equipment.csv:7: class ..." as "line 7: class ...": the file is the one just chosen.
QString LineFault(const std::string& message, const std::string& fileName)
{
    const std::string prefix = fileName + ":";
    if (message.compare(0, prefix.size(), prefix) == 0 && prefix.size() < message.size() &&
        std::isdigit(static_cast<unsigned char>(message[prefix.size()]))) {
        return QStringLiteral("line ") + Q(message.substr(prefix.size()));
    }
    return Q(message);
}

} // namespace

CEquipmentDlg::CEquipmentDlg(QtHistoryRecorder& recorder, Prompts& prompts,
                             std::function<void(const std::vector<verdict::Device>&)> listChanged, QWidget* parent)
    : QDialog(parent), m_recorder(recorder), m_prompts(prompts), m_listChanged(std::move(listChanged))
{
    setObjectName(ControlName(ControlId::Window::Equipment));
    setWindowTitle(QStringLiteral("Equipment"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::CustomizeWindowHint);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(820, 480);

    m_table = new QTableWidget(0, kColumns, this);
    m_table->setObjectName(ControlName(ControlId::Equipment::Table));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Equipment ID"), QStringLiteral("Description"),
                                        QStringLiteral("Location"), QStringLiteral("Class"),
                                        QStringLiteral("Applied parts"), QStringLiteral("Interval (months)"),
                                        QStringLiteral("Cord"), QStringLiteral("Profile"), QStringLiteral("Settings")});
    const QStringList tips = {
        QStringLiteral("The ID the instrument prints"),
        QString(),
        QString(),
        QStringLiteral("I, II or IP"),
        QStringLiteral("B, BF or CF, several separated by ';'; empty: none"),
        QStringLiteral("Months between tests, 1 to 120"),
        QStringLiteral("with-cord or without-cord; empty: with-cord"),
        QStringLiteral("The limits profile; empty: the default"),
        QStringLiteral("Nominal values the instrument does not print: Test=value;value|Test=value")};
    for (int c = 0; c < kColumns; ++c) {
        m_table->horizontalHeaderItem(c)->setToolTip(tips[c]);
    }
    m_table->verticalHeader()->hide();
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setSortingEnabled(false);

    m_add = new QPushButton(QStringLiteral("&Add"), this);
    m_add->setObjectName(ControlName(ControlId::Equipment::Add));
    m_remove = new QPushButton(QStringLiteral("&Remove"), this);
    m_remove->setObjectName(ControlName(ControlId::Equipment::Remove));
    m_import = new QPushButton(QStringLiteral("&Import CSV..."), this);
    m_import->setObjectName(ControlName(ControlId::Equipment::Import));
    m_import->setToolTip(QStringLiteral("Add or replace devices from an equipment list file; a file with a bad "
                                        "line is refused whole"));
    m_export = new QPushButton(QStringLiteral("&Export CSV..."), this);
    m_export->setObjectName(ControlName(ControlId::Equipment::Export));
    for (QPushButton* button : {m_add, m_remove, m_import, m_export}) {
        button->setAutoDefault(false);
    }
    m_fault = new QLabel(this);
    m_fault->setObjectName(ControlName(ControlId::Equipment::Fault));
    m_fault->setTextFormat(Qt::PlainText);
    m_fault->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_remove);
    buttons->addStretch(1);
    buttons->addWidget(m_import);
    buttons->addWidget(m_export);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_fault);
    layout->addLayout(buttons);

    connect(m_table, &QTableWidget::itemChanged, this, &CEquipmentDlg::OnCellChanged);
    connect(m_add, &QPushButton::clicked, this, [this] { AddRow(QString()); });
    connect(m_remove, &QPushButton::clicked, this, &CEquipmentDlg::OnRemove);
    connect(m_import, &QPushButton::clicked, this, &CEquipmentDlg::OnImport);
    connect(m_export, &QPushButton::clicked, this, &CEquipmentDlg::OnExport);
    Reload();
}

template <typename T, typename Job, typename Done> void CEquipmentDlg::Ask(Job job, Done done)
{
    // The window may be closed, and gone, before the history answers.
    QPointer<CEquipmentDlg> self(this);
    m_recorder.WithEquipment<T>(std::move(job), [self, done = std::move(done)](const Result<T>& answer) {
        if (self) {
            done(answer);
        }
    });
}

QString CEquipmentDlg::fault() const
{
    return m_fault->text();
}

void CEquipmentDlg::ShowFault(const QString& text)
{
    m_fault->setText(text);
}

void CEquipmentDlg::Reload()
{
    const int asked = ++m_reloadAsked;
    Ask<std::vector<verdict::Device>>([](history::EquipmentStore& store) { return store.Equipment(); },
                                      [this, asked](const Result<std::vector<verdict::Device>>& devices) {
                                          if (asked != m_reloadAsked) {
                                              return;
                                          }
                                          if (!devices) {
                                              ShowFault(QStringLiteral("The equipment list could not be read: ") +
                                                        Q(devices.error().message));
                                              return;
                                          }
                                          Fill(devices.value());
                                          m_loaded = true;
                                          if (m_pendingAdd) {
                                              const QString id = *m_pendingAdd;
                                              m_pendingAdd.reset();
                                              AddRow(id);
                                          }
                                          emit listShown();
                                      });
}

void CEquipmentDlg::Fill(const std::vector<verdict::Device>& devices)
{
    m_filling = true;
    m_table->setRowCount(0);
    m_table->setRowCount(static_cast<int>(devices.size()));
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const verdict::DeviceFields fields = verdict::FieldsOfDevice(devices[i]);
        SetRow(static_cast<int>(i), std::vector<std::string>(fields.begin(), fields.end()), Q(devices[i].equipmentId));
    }
    m_filling = false;
    m_table->resizeColumnsToContents();
}

void CEquipmentDlg::SetRow(int row, const std::vector<std::string>& fields, const QString& storedId)
{
    for (int c = 0; c < kColumns; ++c) {
        auto* item = new QTableWidgetItem(Q(fields[static_cast<std::size_t>(c)]));
        if (c == Id) {
            item->setData(kStoredIdRole, storedId);
        }
        m_table->setItem(row, c, item);
    }
}

std::vector<std::string> CEquipmentDlg::RowFields(int row) const
{
    std::vector<std::string> fields;
    for (int c = 0; c < kColumns; ++c) {
        const QTableWidgetItem* item = m_table->item(row, c);
        fields.push_back(item ? item->text().toStdString() : std::string());
    }
    return fields;
}

void CEquipmentDlg::AddRow(const QString& id)
{
    if (!m_loaded) {
        m_pendingAdd = id;
        return;
    }
    const QString trimmed = id.trimmed();
    if (!trimmed.isEmpty()) {
        // An ID the list has already: its row, not a second one.
        for (int r = 0; r < m_table->rowCount(); ++r) {
            if (m_table->item(r, Id) && m_table->item(r, Id)->text().trimmed() == trimmed) {
                m_table->setCurrentCell(r, Class);
                return;
            }
        }
    }
    const int row = m_table->rowCount();
    m_filling = true;
    m_table->insertRow(row);
    SetRow(row, {trimmed.toStdString(), "", "", "I", "", "12", "", "", ""}, QString());
    m_filling = false;
    const int edit = trimmed.isEmpty() ? Id : Class;
    m_table->setCurrentCell(row, edit);
    m_table->scrollToItem(m_table->item(row, edit));
    if (!trimmed.isEmpty()) {
        OnCellChanged(m_table->item(row, Id)); // sound as it is: stored at once
    }
    m_table->editItem(m_table->item(row, edit));
}

void CEquipmentDlg::MarkCell(int row, int column, const QString& why)
{
    const VerdictColours colours(*this);
    QTableWidgetItem* item = m_table->item(row, column);
    m_filling = true;
    item->setBackground(colours.Background(verdict::Outcome::Fail));
    item->setForeground(colours.Text(verdict::Outcome::Fail));
    item->setToolTip(why);
    m_filling = false;
}

void CEquipmentDlg::ClearMarks(int row)
{
    m_filling = true;
    for (int c = 0; c < kColumns; ++c) {
        if (QTableWidgetItem* item = m_table->item(row, c)) {
            item->setData(Qt::BackgroundRole, QVariant());
            item->setData(Qt::ForegroundRole, QVariant());
            item->setToolTip(QString());
        }
    }
    m_filling = false;
}

void CEquipmentDlg::OnCellChanged(QTableWidgetItem* item)
{
    if (m_filling || !item) {
        return;
    }
    const int row = item->row();
    ClearMarks(row);
    std::size_t bad = 0;
    Result<verdict::Device> device = verdict::ReadDeviceFields(RowFields(row), &bad);
    const QString rowName = QStringLiteral("Row %1: ").arg(row + 1);
    if (!device) {
        const QString why = Q(device.error().message);
        MarkCell(row, static_cast<int>(bad), why);
        ShowFault(rowName + why + QStringLiteral("; the row is not stored until it is corrected."));
        return;
    }
    const QString id = Q(device.value().equipmentId);
    for (int r = 0; r < m_table->rowCount(); ++r) {
        if (r != row && m_table->item(r, Id) && m_table->item(r, Id)->text().trimmed() == id) {
            const QString why = QStringLiteral("equipment ID \"%1\" is already on row %2").arg(id).arg(r + 1);
            MarkCell(row, Id, why);
            ShowFault(rowName + why + QStringLiteral("; the row is not stored until it is corrected."));
            return;
        }
    }
    ShowFault(QString());
    QTableWidgetItem* idItem = m_table->item(row, Id);
    const QString storedId = idItem->data(kStoredIdRole).toString();
    m_filling = true;
    idItem->setData(kStoredIdRole, id);
    m_filling = false;
    Ask<bool>(
        [device = std::move(device).value(),
         old = storedId.toStdString()](history::EquipmentStore& store) -> Result<bool> {
            if (const Result<void> put = store.PutDevice(device); !put) {
                return put.error();
            }
            // A changed ID: the row no longer stands for the old one.
            if (!old.empty() && old != device.equipmentId) {
                return store.RemoveDevice(old);
            }
            return true;
        },
        [this, id](const Result<bool>& done) {
            if (!done) {
                ShowFault(QStringLiteral("%1 could not be stored: %2").arg(id, Q(done.error().message)));
            }
            TellOthers();
            emit changeAnswered();
        });
}

void CEquipmentDlg::OnRemove()
{
    const int row = m_table->currentRow();
    if (row < 0) {
        return;
    }
    const QTableWidgetItem* idItem = m_table->item(row, Id);
    const QString storedId = idItem ? idItem->data(kStoredIdRole).toString() : QString();
    if (!storedId.isEmpty() &&
        m_prompts.ShowConfirm("Remove " + storedId.toStdString() +
                                  " from the equipment list? Its tests stay in the history; the list is the "
                                  "department's, on every bench.",
                              DefaultButton::Cancel) != kIdOk) {
        return;
    }
    m_table->removeRow(row);
    ShowFault(QString());
    if (storedId.isEmpty()) {
        return;
    }
    Ask<bool>([id = storedId.toStdString()](history::EquipmentStore& store) { return store.RemoveDevice(id); },
              [this, storedId](const Result<bool>& done) {
                  if (!done) {
                      ShowFault(QStringLiteral("%1 could not be removed: %2").arg(storedId, Q(done.error().message)));
                  }
                  TellOthers();
                  emit changeAnswered();
              });
}

void CEquipmentDlg::OnImport()
{
    const auto path = m_prompts.ChooseOpenFile("Import an equipment list", kListFilter, std::string());
    if (!path) {
        return;
    }
    const std::string name = PathToUtf8(PathFromUtf8(*path).filename());
    const Result<std::string> text = ReadWholeFile(*path);
    Result<std::vector<verdict::Device>> devices =
        text ? verdict::ReadEquipmentListText(text.value(), name) : Result<std::vector<verdict::Device>>(text.error());
    if (!devices) {
        ShowFault(
            QStringLiteral("Nothing was imported from %1: %2").arg(Q(name), LineFault(devices.error().message, name)));
        return;
    }
    Ask<history::EquipmentImportCounts>(
        [devices = std::move(devices).value()](history::EquipmentStore& store) {
            return store.ImportEquipment(devices);
        },
        [this, name](const Result<history::EquipmentImportCounts>& counts) {
            if (!counts) {
                ShowFault(QStringLiteral("Nothing was imported from %1: %2").arg(Q(name), Q(counts.error().message)));
            } else {
                ShowFault(QStringLiteral("Imported %1: %2 added, %3 replaced, %4 unchanged.")
                              .arg(Q(name))
                              .arg(counts.value().added)
                              .arg(counts.value().replaced)
                              .arg(counts.value().unchanged));
                Reload();
                TellOthers();
            }
            emit changeAnswered();
        });
}

void CEquipmentDlg::OnExport()
{
    const auto path = m_prompts.ChooseSaveFile("Export the equipment list", kListFilter, std::string());
    if (!path) {
        return;
    }
    Ask<std::vector<verdict::Device>>(
        [](history::EquipmentStore& store) { return store.Equipment(); },
        [this, path = *path](const Result<std::vector<verdict::Device>>& devices) {
            const Result<std::filesystem::path> written =
                devices ? ReplaceFile(PathFromUtf8(path), verdict::WriteEquipmentList(devices.value()))
                        : Result<std::filesystem::path>(devices.error());
            ShowFault(written ? QStringLiteral("%1 devices written to %2.").arg(devices.value().size()).arg(Q(path))
                              : QStringLiteral("The equipment list could not be written to %1: %2")
                                    .arg(Q(path), Q(written.error().message)));
            emit changeAnswered();
        });
}

void CEquipmentDlg::TellOthers()
{
    if (!m_listChanged) {
        return;
    }
    m_recorder.WithEquipment<std::vector<verdict::Device>>(
        [](history::EquipmentStore& store) { return store.Equipment(); },
        [listChanged = m_listChanged](const Result<std::vector<verdict::Device>>& devices) {
            if (devices) {
                listChanged(devices.value());
            }
        });
}

} // namespace tessaprint
