#pragma once

// The main window with a scripted driver behind it, scripted answers to its
// questions, a manual clock and serial ports the test plugs in; controls are
// found by their ids.
#include "../core/SamplePrintout.h"
#include "../core/ScriptedDriver.h"
#include "../core/ScriptedPrompts.h"

#include "app/CMainFrame.h"
#include "app/CQuellmaxApp.h"
#include "link/FixedSerialPortList.h"
#include "results/CQuellmaxView.h"
#include "util/ControlId.h"
#include "util/ManualClock.h"

#include <QAbstractButton>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace tessaprint::test {

class MainWindowFixture : public ::testing::Test {
protected:
    // The application ends before a derived fixture's members go: its history
    // thread finishes the jobs still queued, in a store the test may own.
    void TearDown() override { app.reset(); }

    // Starts the application with the settings as the test left them.
    void Start()
    {
        CQuellmaxApp::Parts parts{driver, settings, prompts, clock};
        parts.wordProcessor = wordProcessor;
        parts.ports = &ports;
        parts.historyStore = historyStore;
        parts.historyQueueFile = historyQueueFile;
        parts.officeEnvironment = officeEnvironment;
        app = std::make_unique<CQuellmaxApp>(parts);
        ASSERT_TRUE(app->InitInstance(false));
    }

    // Shortcuts reach only an active window.
    void ShowAndActivate()
    {
        app->frame()->show();
        app->frame()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(app->frame()));
    }

    template <typename T> T* Control(int id) const
    {
        T* control = app->frame()->findChild<T*>(ControlName(id));
        EXPECT_NE(control, nullptr) << "no control " << id;
        return control;
    }

    // The Port menu about to show, as when the user opens it: its labels and check mark are fresh.
    void ShowPortMenu()
    {
        auto* menu = app->frame()->findChild<QMenu*>(QStringLiteral("menuPort"));
        ASSERT_NE(menu, nullptr);
        emit menu->aboutToShow();
    }

    void Click(int id) { QTest::mouseClick(Control<QAbstractButton>(id), Qt::LeftButton); }

    // The instrument prints, the quiet time passes, the posted message is handled.
    void Receive(const std::string& bytes)
    {
        driver.Arrive(bytes);
        driver.Raise(kTextEvent);
        clock.Advance(750);
        QCoreApplication::processEvents();
    }

    // RESULT, then the sample printout arrives whole and the quiet time passes.
    void ReceiveThePrintout()
    {
        Click(ControlId::Form::Result);
        Receive(kPrintout);
    }

    // Ctrl+key with the file chooser answering path.
    void PressCtrlChoosing(Qt::Key key, const std::optional<std::string>& path)
    {
        prompts.files = {path};
        QTest::keyClick(app->frame(), key, Qt::ControlModifier);
    }

    QStringList Lines() const
    {
        QStringList lines;
        auto* list = Control<QListWidget>(ControlId::Form::Lines);
        for (int i = 0; i < list->count(); ++i) {
            lines << list->item(i)->text();
        }
        return lines;
    }

    QStringList Rows() const
    {
        QStringList rows;
        auto* list = Control<QTreeWidget>(ControlId::Form::Readings);
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list->topLevelItem(i);
            rows << item->text(0) + "|" + item->text(1) + "|" + item->text(2);
        }
        return rows;
    }

    std::string Setting(const settings::Entry& entry) const { return settings.Read(entry, "<none>"); }
    std::string Setting(std::string_view section, const std::string& key) const
    {
        return settings.GetProfileString(std::string(section), key, "<none>");
    }

    ScriptedDriver driver;
    MemorySettingsStore settings;
    ScriptedPrompts prompts;
    ManualClock clock;
    FixedSerialPortList ports;
    // What Data Sheet documents are written with; the program's own when unset.
    docs::WordProcessorFactory wordProcessor;
    // The test history's store and where waiting captures go; no history when unset.
    std::function<std::unique_ptr<history::HistoryStore>()> historyStore;
    QString historyQueueFile;
    // Where the office program for PDF copies is looked for; this computer when unset.
    const docs::OfficeEnvironment* officeEnvironment = nullptr;
    std::unique_ptr<CQuellmaxApp> app;
};

} // namespace tessaprint::test
