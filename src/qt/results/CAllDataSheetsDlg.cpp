#include "results/CAllDataSheetsDlg.h"

#include "docs/AllDataSheets.h"
#include "util/ControlId.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tessaprint {

CAllDataSheetsDlg::CAllDataSheetsDlg(QWidget* parent)
    : QDialog(parent), m_text(new QLabel(this)), m_bar(new QProgressBar(this)),
      m_cancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(ControlName(ControlId::Window::AllDataSheets));
    setWindowTitle(QStringLiteral("All Data Sheets"));
    setModal(false);
    m_text->setObjectName(ControlName(ControlId::AllDataSheets::Text));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setMinimumWidth(360);
    m_text->setText(QStringLiteral("Starting..."));
    m_bar->setObjectName(ControlName(ControlId::AllDataSheets::Progress));
    m_bar->setRange(0, 1);
    m_bar->setValue(0);
    m_cancel->setObjectName(ControlName(ControlId::Dialog::Cancel));
    m_cancel->setAutoDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, &CAllDataSheetsDlg::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_bar);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

void CAllDataSheetsDlg::SetProgress(int index, int total, const QString& text)
{
    m_bar->setRange(0, std::max(1, total));
    m_bar->setValue(std::clamp(index - 1, 0, std::max(1, total))); // the documents done before this one
    if (!m_cancelling) {
        m_text->setText(text);
    }
}

void CAllDataSheetsDlg::SetPdfProgress(int done, int total)
{
    m_pdfCopies = true;
    m_bar->setRange(0, std::max(1, total));
    m_bar->setValue(std::clamp(done, 0, std::max(1, total)));
    if (!m_cancelling) {
        m_text->setText(QString::fromStdString(docs::PdfCopiesProgressText(done, total)));
    }
}

QString CAllDataSheetsDlg::text() const
{
    return m_text->text();
}

void CAllDataSheetsDlg::reject()
{
    // Not closed here: the run ends first, and its end closes the dialog.
    if (m_cancelling) {
        return;
    }
    m_cancelling = true;
    m_cancel->setEnabled(false);
    m_text->setText(m_pdfCopies ? QStringLiteral("Stopping the PDF copies...")
                                : QStringLiteral("Cancelling after the document being written..."));
    emit cancelRequested();
}

} // namespace tessaprint
