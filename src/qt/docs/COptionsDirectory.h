#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace tessaprint {

class CaptureController;
class Prompts;

// "Directories": the reports folder, the "Word 2007 or Higher" flag and
// "Also save a PDF copy". It is modeless; OK stores and applies them and
// closes, Cancel (or Escape, or the close box) closes without storing. The
// "..." chooser starts at the folder in use, not at what the box shows. The
// PDF check box is disabled, with the reason as its tooltip, while no office
// program is found; the setting then stays as it was. In the demo the folder
// is the demo's own: shown, with a note, but not changed.
class COptionsDirectory : public QDialog {
    Q_OBJECT
public:
    COptionsDirectory(CaptureController& controller, Prompts& prompts, QWidget* parent = nullptr);

    void OnBrowse();
    void OnOK();

protected:
    void keyPressEvent(QKeyEvent* event) override;

public slots:
    void accept() override { OnOK(); }
    void reject() override;

private:
    CaptureController& m_controller;
    Prompts& m_prompts;
    QLineEdit* m_folder;
    QCheckBox* m_word2007;
    QCheckBox* m_savePdf;
};

} // namespace tessaprint
