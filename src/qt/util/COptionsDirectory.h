#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace tessaprint {

class CaptureController;
class Prompts;

// "Directories": the reports folder and the "Word 2007 or Higher" flag. It
// is modeless; OK stores and applies both and closes, Cancel (or Escape, or
// the close box) closes without storing. The "..." chooser starts at the
// folder in use, not at what the box shows.
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
};

} // namespace tessaprint
