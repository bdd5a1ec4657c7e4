#include "results/COptionsLimits.h"

#include "app/CaptureController.h"
#include "results/VerdictColours.h"
#include "util/ControlId.h"
#include "util/Prompts.h"
#include "util/Utf8Path.h"
#include "verdict/LimitsProfile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaprint {

namespace {

namespace Ids = ControlId::Limits;

constexpr const char* kLimitsFilter = "Limits files (*.json);;All files (*)";
constexpr const char* kEquipmentListFilter = "Equipment lists (*.csv);;All files (*)";

// Where a chooser starts: the folder of the file shown, if any.
std::string FolderOf(const QString& path)
{
    return path.trimmed().isEmpty() ? std::string()
                                    : PathToUtf8(PathFromUtf8(path.trimmed().toStdString()).parent_path());
}

} // namespace

COptionsLimits::COptionsLimits(CaptureController& controller, Prompts& prompts, QWidget* parent)
    : QDialog(parent), m_controller(controller), m_prompts(prompts),
      m_on(new QCheckBox(QStringLiteral("&Judge readings against limits"), this)), m_file(new QLineEdit(this)),
      m_profile(new QComboBox(this)), m_equipmentList(new QLineEdit(this)), m_fault(new QLabel(this))
{
    setObjectName(ControlName(ControlId::Window::Limits));
    setWindowTitle(QStringLiteral("Limits"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);
    setAttribute(Qt::WA_DeleteOnClose);
    QFont font = this->font();
    font.setPointSize(8);
    setFont(font);

    m_on->setObjectName(ControlName(Ids::On));
    m_file->setObjectName(ControlName(Ids::File));
    m_file->setPlaceholderText(QStringLiteral("none: the limits that come with the program"));
    m_profile->setObjectName(ControlName(Ids::Profile));
    m_equipmentList->setObjectName(ControlName(Ids::EquipmentList));
    m_equipmentList->setPlaceholderText(QStringLiteral("none: the list kept in the history (View > Equipment)"));
    m_fault->setObjectName(ControlName(Ids::Fault));
    m_fault->setTextFormat(Qt::PlainText);
    m_fault->setWordWrap(true);
    m_fault->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_fault->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_on);
    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    const auto addRow = [&](int row, const QString& caption, QWidget* field, int browseId) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(field);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row, 1);
        if (browseId == 0) {
            return static_cast<QPushButton*>(nullptr);
        }
        auto* browse = new QPushButton(row == 0 ? QStringLiteral("B&rowse...") : QStringLiteral("Bro&wse..."), this);
        browse->setObjectName(ControlName(browseId));
        browse->setAutoDefault(false);
        grid->addWidget(browse, row, 2);
        return browse;
    };
    QPushButton* browseFile = addRow(0, QStringLiteral("&Limits file:"), m_file, Ids::FileBrowse);
    addRow(1, QStringLiteral("&Profile:"), m_profile, 0);
    QPushButton* browseList = addRow(2, QStringLiteral("&Equipment list:"), m_equipmentList, Ids::EquipmentListBrowse);
    layout->addLayout(grid);
    auto* note = new QLabel(QStringLiteral("The profile judges every device whose row in the equipment list names "
                                           "none, and every device not in the list. A device not in the list is "
                                           "class I with its applied parts unknown."),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addWidget(m_fault);
    layout->addStretch(1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(ControlName(ControlId::Dialog::Ok));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(ControlName(ControlId::Dialog::Cancel));
    connect(buttons, &QDialogButtonBox::accepted, this, &COptionsLimits::OnOK);
    connect(buttons, &QDialogButtonBox::rejected, this, &COptionsLimits::reject);
    layout->addWidget(buttons);

    connect(browseFile, &QPushButton::clicked, this, [this] {
        if (const auto path =
                m_prompts.ChooseOpenFile("Choose a limits file", kLimitsFilter, FolderOf(m_file->text()))) {
            m_file->setText(QString::fromStdString(*path));
            FillProfiles();
            CheckFiles();
        }
    });
    connect(browseList, &QPushButton::clicked, this, [this] {
        if (const auto path = m_prompts.ChooseOpenFile("Choose an equipment list", kEquipmentListFilter,
                                                       FolderOf(m_equipmentList->text()))) {
            m_equipmentList->setText(QString::fromStdString(*path));
            CheckFiles();
        }
    });
    connect(m_file, &QLineEdit::editingFinished, this, [this] {
        FillProfiles();
        CheckFiles();
    });
    connect(m_equipmentList, &QLineEdit::editingFinished, this, &COptionsLimits::CheckFiles);
    connect(m_profile, &QComboBox::activated, this, &COptionsLimits::CheckFiles);
    connect(m_on, &QCheckBox::toggled, this, &COptionsLimits::CheckFiles);

    const LimitsChoice stored = m_controller.limitsChoice();
    m_on->setChecked(stored.on);
    m_file->setText(QString::fromStdString(stored.sources.limitsFile));
    m_equipmentList->setText(QString::fromStdString(stored.sources.inventoryFile));
    FillProfiles();
    const int profile = m_profile->findData(QString::fromStdString(stored.sources.profile));
    if (profile >= 0) {
        m_profile->setCurrentIndex(profile);
    } else {
        // A stored name the library does not have: shown, and said in the check.
        m_profile->addItem(QString::fromStdString(stored.sources.profile),
                           QString::fromStdString(stored.sources.profile));
        m_profile->setCurrentIndex(m_profile->count() - 1);
    }
    if (stored.on) {
        CheckFiles();
    }
    resize(qMax(sizeHint().width(), 560), sizeHint().height());
}

LimitsChoice COptionsLimits::Choice() const
{
    LimitsChoice choice;
    choice.on = m_on->isChecked();
    choice.sources.limitsFile = m_file->text().trimmed().toStdString();
    choice.sources.profile = m_profile->currentData().toString().toStdString();
    choice.sources.inventoryFile = m_equipmentList->text().trimmed().toStdString();
    return choice;
}

void COptionsLimits::FillProfiles()
{
    const QString chosen = m_profile->currentData().toString();
    Result<verdict::LimitsLibrary> library = verdict::LimitsLibrary::Load(Choice().sources.limitsFile);
    if (!library) {
        library = verdict::LimitsLibrary::Load(std::string());
    }
    m_profile->clear();
    if (library) {
        m_profile->addItem(QStringLiteral("Default (%1)").arg(QString::fromStdString(library.value().defaultName())),
                           QString());
        for (const verdict::Profile& profile : library.value().profiles()) {
            m_profile->addItem(QStringLiteral("%1 %2").arg(QString::fromStdString(profile.name),
                                                           QString::fromStdString(profile.version)),
                               QString::fromStdString(profile.name));
        }
    } else {
        m_profile->addItem(QStringLiteral("Default"), QString());
    }
    m_profile->setCurrentIndex(std::max(0, m_profile->findData(chosen)));
}

void COptionsLimits::CheckFiles()
{
    LimitsChoice choice = Choice();
    choice.on = true; // checked even while off: the fault shows before verdicts are turned on
    const Result<std::shared_ptr<const verdict::VerdictEngine>> engine = MakeChosenEngine(choice);
    ShowFault(engine ? QString() : QString::fromStdString(engine.error().message));
}

void COptionsLimits::ShowFault(const QString& fault)
{
    // OK takes nothing while this shows: the verdicts stay as they are.
    m_fault->setText(fault.isEmpty() ? QString()
                                     : (m_on->isChecked() ? QStringLiteral("These limits cannot be used, and OK "
                                                                           "takes nothing until they load: ")
                                                          : QStringLiteral("These limits could not be used: ")) +
                                           fault);
    VerdictColours(*this).Apply(*m_fault, verdict::RecordOutcome::Fail);
    m_fault->setVisible(!fault.isEmpty());
}

void COptionsLimits::OnOK()
{
    const Result<void> applied = m_controller.ApplyLimits(Choice());
    if (!applied) {
        // Nothing taken: the dialog stays until the file is put right, verdicts
        // are turned off, or Cancel keeps what was in use.
        ShowFault(QString::fromStdString(applied.error().message));
        return;
    }
    QDialog::accept();
}

} // namespace tessaprint
