#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tessaprint {

// The progress of "All Data Sheets": "Writing 12 of 50: ICU-MON-12", a bar,
// and Cancel. Modeless: the window and the port go on meanwhile. Cancel,
// Escape and the close box ask for the run to end; the dialog then says that
// it ends after the document being written, and stays until it has.
class CAllDataSheetsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAllDataSheetsDlg(QWidget* parent = nullptr);

    // Before document index (from 1) of total.
    void SetProgress(int index, int total, const QString& text);
    // The PDF copies' phase: done of total reported so far.
    void SetPdfProgress(int done, int total);
    QString text() const;

signals:
    void cancelRequested();

protected:
    void reject() override;

private:
    QLabel* m_text;
    QProgressBar* m_bar;
    QPushButton* m_cancel;
    bool m_cancelling = false;
    bool m_pdfCopies = false;
};

} // namespace tessaprint
