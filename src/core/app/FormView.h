#pragma once

#include "results/InstrumentKind.h"
#include "results/ResultsViews.h"
#include "verdict/VerdictEngine.h"

#include <optional>
#include <string>

namespace tessaprint {

// The main form as the program's logic sees it: the line list, the equipment
// ID selector with its caption, the Item/Test/Reading list, the results
// caption, the hidden version field, the instrument kind radio buttons, the
// "Data Sheet" and "All Data Sheets" buttons and the frame around it.
class FormView : public EquipmentIdSelector, public ReadingListView, public ShownReadings, public ReceiveView {
public:
    // Line list.
    virtual void ClearLines() = 0;
    virtual int LineCount() const = 0;
    virtual std::string LineText(int index) const = 0;
    virtual void ScrollLinesToEnd() = 0;

    // Selector and lists.
    virtual void ClearSelector() = 0;
    virtual void ClearReadingRows() = 0;
    // Sets up the Item (50 px), Test (100 px) and Reading (440 px) columns,
    // full-row select; a second call keeps the columns it made the first time.
    virtual void SetupReadingColumns() = 0;
    virtual void SetResultsCaption(const std::string& text) = 0;
    // The "Last time" column: the previous test's reading on a row, and
    // whether it differs sharply from the reading shown; cleared with the rows.
    virtual void SetLastTime(int row, const std::string& reading, bool sharp) = 0;
    // What the selector says of the chosen ID's previous test ("Last tested …").
    virtual void SetSelectorToolTip(const std::string& text) = 0;
    virtual std::string VersionText() const = 0;
    // Verdicts on: a Verdict column beside the readings and the record's
    // verdict beside the selector; off: neither, the form as without verdicts.
    virtual void SetVerdictsShown(bool shown) = 0;
    // The verdicts of the rows shown (one a row, in row order) and of their
    // record, with the limits they were judged by; cleared with the rows.
    virtual void ShowRecordVerdict(const verdict::RecordVerdict& verdict) = 0;

    // The chosen ID as the equipment list knows it (DeviceLineText), or
    // kNotInEquipmentList with a way to add it (offerAdd); empty: no line.
    virtual void ShowDeviceLine(const std::string& text, bool offerAdd) = 0;

    // "Data Sheet", and with it "All Data Sheets".
    virtual void SetDataSheetEnabled(bool enabled) = 0;
    virtual bool IsDataSheetEnabled() const = 0;
    // While "All Data Sheets" runs, both stay off whatever SetDataSheetEnabled
    // says meanwhile; afterwards they are as it said last.
    virtual void SetAllDataSheetsRunning(bool running) = 0;
    void EnableDataSheet() override { SetDataSheetEnabled(true); }

    // Instrument kind radio buttons; none may be checked.
    virtual std::optional<InstrumentKind> CheckedKind() const = 0;
    virtual void SetCheckedKind(std::optional<InstrumentKind> kind) = 0;

    // RESULT, CLR MEMORY, Clear Screen and the frame's Open and New: off
    // while a capture is in progress, so nothing can cut into it.
    virtual void SetCaptureCommandsEnabled(bool enabled) = 0;

    // Brings the main window to the front with this outer size, keeping its position.
    virtual void RaiseAndResizeFrame(int width, int height) = 0;
    // The status bar's message; it stays until the next one.
    virtual void ShowStatus(const std::string& text) = 0;
};

} // namespace tessaprint
