#pragma once

#include "workorder/WorkOrderForm.h"

#include <QDialog>

#include <functional>
#include <map>
#include <memory>
#include <string>

class QLineEdit;
class QListWidget;

namespace tessaprint {

// The runs of the three entry dialogs with the window as their parent.
class QtWorkOrderPrompts : public WorkOrderPrompts {
public:
    explicit QtWorkOrderPrompts(QWidget* parent) : m_parent(parent) {}
    std::optional<std::array<std::string, 2>> AskService() override;
    std::optional<std::array<std::string, 10>> AskResults() override;
    std::string AskCheck() override;

private:
    QWidget* m_parent;
};

// The "Work Order" window: 30 labelled boxes, five headlines, three lists with
// "Add" and "Clear", and "Export to Word", at fixed places on a page that
// scrolls in a window smaller than it. It is modeless; closing it (Escape
// or the close box) stores the work order as of the last export and deletes
// the window. Enter does nothing.
class CWorkOrder1 : public QDialog, public WorkOrderView {
    Q_OBJECT
public:
    struct Services {
        WorkOrderRecord& record;
        SettingsStore& settings;
        Prompts& prompts;
        const Clock& clock;
        // The reports folder and the Word 2007 flag in use when exporting.
        std::function<std::string()> reportsFolder;
        std::function<int()> word2007;
        // Told about each document written.
        std::function<void(const std::string&)> documentWritten;
    };

    // The entry dialogs come from entries; nullptr runs the real ones.
    CWorkOrder1(Services services, WorkOrderPrompts* entries = nullptr, QWidget* parent = nullptr);
    ~CWorkOrder1() override;

    // WorkOrderView
    std::string FieldText(std::string_view key) const override;
    void SetFieldText(std::string_view key, const std::string& text) override;
    std::vector<std::string> ListEntries(std::string_view list) const override;
    void SetListEntries(std::string_view list, const std::vector<std::string>& entries) override;

    WorkOrderForm& form() { return *m_form; }

public slots:
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QListWidget* ListFor(std::string_view list) const;

    Services m_services;
    std::unique_ptr<QtWorkOrderPrompts> m_ownEntries;
    std::unique_ptr<WorkOrderForm> m_form;
    std::map<std::string, QLineEdit*, std::less<>> m_edits;
    QListWidget* m_service;
    QListWidget* m_results;
    QListWidget* m_checks;
    bool m_closing = false;
};

} // namespace tessaprint
