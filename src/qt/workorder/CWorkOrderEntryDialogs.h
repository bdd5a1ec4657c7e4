#pragma once

#include "util/CDialogFrame.h"

#include <QString>

#include <array>

class QComboBox;
class QLineEdit;

namespace tessaprint {

// "Add Service Information": a date and a description.
class CAddService : public CDialogFrame {
    Q_OBJECT
public:
    explicit CAddService(QWidget* parent = nullptr);
    int DoModal();

    QString m_strDate;
    QString m_strDescription;

private:
    QLineEdit* m_date;
    QLineEdit* m_description;
};

// "Results": the ten columns of a results line.
class CAddResults : public CDialogFrame {
    Q_OBJECT
public:
    explicit CAddResults(QWidget* parent = nullptr);
    int DoModal();

    // Date, Tech, Verb, Noun, Minutes, R, Part #, Qty, Unit Cost, Description.
    std::array<QString, 10> m_fields;

private:
    std::array<QLineEdit*, 10> m_edits{};
};

// "Add Checks": one of the preset tasks, or a task typed anew.
class CAddChecks : public CDialogFrame {
    Q_OBJECT
public:
    explicit CAddChecks(QWidget* parent = nullptr);
    int DoModal();

    QString m_strTask;
    QComboBox* comboBox() const { return m_combo; }

private:
    QComboBox* m_combo;
};

} // namespace tessaprint
