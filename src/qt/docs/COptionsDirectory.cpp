#include "docs/COptionsDirectory.h"

#include "app/CaptureController.h"
#include "util/ControlId.h"
#include "util/DialogUnits.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tessaprint {

COptionsDirectory::COptionsDirectory(CaptureController& controller, Prompts& prompts, QWidget* parent)
    : QDialog(parent), m_controller(controller), m_prompts(prompts), m_folder(new QLineEdit(this)),
      m_word2007(new QCheckBox(QStringLiteral("Word 2007 or Higher"), this)),
      m_savePdf(new QCheckBox(QStringLiteral("Also save a PDF copy"), this))
{
    setObjectName(ControlName(ControlId::Window::Directories));
    setWindowTitle(QStringLiteral("Directories"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(DluX(417), DluY(180));
    QFont font = this->font();
    font.setPointSize(8);
    setFont(font);

    auto* label = new QLabel(QStringLiteral("Reports"), this);
    label->setGeometry(DluRect(25, 57, 48, 8));
    label->setBuddy(m_folder);
    m_folder->setObjectName(ControlName(ControlId::Directories::Reports));
    m_folder->setGeometry(DluRect(77, 54, 269, 14));
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    browse->setObjectName(ControlName(ControlId::Directories::Browse));
    browse->setGeometry(DluRect(360, 54, 26, 14));
    browse->setAutoDefault(false);
    m_word2007->setObjectName(ControlName(ControlId::Directories::Word2007));
    m_word2007->setGeometry(DluX(277), DluY(103), DluX(100), DluY(10));
    // Tessaprint writes its documents itself: the flag that once chose Word's
    // template and styles changes nothing in them, and is kept for the
    // settings and tools that read it.
    const QString word2007Help =
        QStringLiteral("Documents come out the same either way: Tessaprint writes them itself, without Word. "
                       "The setting is kept for earlier settings and tools that read it.");
    m_word2007->setToolTip(word2007Help);
    m_word2007->setWhatsThis(word2007Help);
    m_savePdf->setObjectName(ControlName(ControlId::Directories::SavePdf));
    m_savePdf->setGeometry(DluX(277), DluY(117), DluX(100), DluY(10));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(ControlName(ControlId::Dialog::Ok));
    ok->setGeometry(DluRect(333, 146, 50, 14));
    ok->setAutoDefault(false); // not the default button; Enter still means OK
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(ControlName(ControlId::Dialog::Cancel));
    cancel->setGeometry(DluRect(32, 146, 50, 14));
    cancel->setAutoDefault(false);

    connect(browse, &QPushButton::clicked, this, &COptionsDirectory::OnBrowse);
    connect(ok, &QPushButton::clicked, this, &COptionsDirectory::OnOK);
    connect(cancel, &QPushButton::clicked, this, &COptionsDirectory::reject);

    m_folder->setText(QString::fromStdString(m_controller.reportsFolder()));
    if (m_controller.HasOwnReportsFolder()) {
        // The demo: shown, so that a newcomer finds what it wrote, but not changed.
        m_folder->setReadOnly(true);
        browse->setEnabled(false);
        auto* note = new QLabel(QStringLiteral("The demo keeps its documents and captures in this folder of its own; "
                                               "the real reports folder and history are left alone."),
                                this);
        note->setObjectName(QStringLiteral("demoFolderNote"));
        note->setWordWrap(true);
        note->setGeometry(DluRect(77, 72, 309, 20));
    }
    m_word2007->setChecked(m_controller.word2007() != 0);
    m_savePdf->setChecked(m_controller.savePdf());
    if (const Result<std::string> office = m_controller.FindOfficeProgram(); !office) {
        m_savePdf->setEnabled(false);
        m_savePdf->setToolTip(QString::fromStdString(office.error().message));
    }
}

void COptionsDirectory::OnBrowse()
{
    const auto folder = m_prompts.ChooseFolder("Select Reports Folder", m_controller.reportsFolder());
    if (folder) {
        m_folder->setText(QString::fromStdString(*folder));
    }
}

void COptionsDirectory::OnOK()
{
    m_controller.ApplyDirectories(m_folder->text().toStdString(), m_word2007->isChecked());
    if (m_savePdf->isEnabled()) {
        m_controller.ApplySavePdf(m_savePdf->isChecked());
    }
    QDialog::accept();
    deleteLater();
}

void COptionsDirectory::keyPressEvent(QKeyEvent* event)
{
    // OK is not the default button, but Enter means OK all the same.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OnOK();
        return;
    }
    QDialog::keyPressEvent(event);
}

void COptionsDirectory::reject()
{
    QDialog::reject();
    deleteLater();
}

} // namespace tessaprint
