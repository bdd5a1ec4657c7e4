#pragma once

#include "app/LimitsChoice.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace tessaprint {

class CaptureController;
class Prompts;

// Options > Limits: whether readings are judged against limits, the
// department's limits file (empty: the profiles shipped with the program),
// the profile for devices whose row names none, and the equipment list.
// The files are checked as they are chosen and again on OK: while one does
// not load or check, the fault (the file and its line) is shown and OK
// leaves the dialog open, taking nothing; Cancel keeps what was in use.
// With the check box off, OK always stores the choice: nothing is judged.
class COptionsLimits : public QDialog {
    Q_OBJECT
public:
    COptionsLimits(CaptureController& controller, Prompts& prompts, QWidget* parent = nullptr);

    // The choice as the dialog shows it.
    LimitsChoice Choice() const;
    // Loads the files shown; the fault, or nothing when they load and check.
    void CheckFiles();
    void OnOK();

public slots:
    void accept() override { OnOK(); }

private:
    // The profile names of the limits file shown (or the shipped ones),
    // keeping the profile chosen when it is still there.
    void FillProfiles();
    void ShowFault(const QString& fault);

    CaptureController& m_controller;
    Prompts& m_prompts;
    QCheckBox* m_on;
    QLineEdit* m_file;
    QComboBox* m_profile;
    QLineEdit* m_equipmentList;
    QLabel* m_fault;
};

} // namespace tessaprint
