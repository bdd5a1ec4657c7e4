#pragma once

#include "docs/DocumentFrame.h"
#include "docs/WordApplication.h"
#include "results/InstrumentKind.h"
#include "results/ResultsTable.h"
#include "results/ResultsViews.h"
#include "util/Clock.h"
#include "verdict/VerdictEngine.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tessaprint::docs {

// One row of the Item/Test/Reading list as shown.
struct ListRow {
    std::string item;
    std::string testName;
    std::string reading;
};

// The fields of an "ATR", "Vent" or "Trans" reading, numbered from 1 as
// PacemakerRows::Field takes them: "12.5 uJ 5.0 V 10.0 mA 1.0 ms 70.0 PPM
// 2.0 mV 250 mS 300 mS".
struct PacerField {
    static constexpr int kEnergy = 1;
    static constexpr int kVoltage = 2;
    static constexpr int kCurrent = 3;
    static constexpr int kWidth = 4;
    static constexpr int kRate = 5;
    static constexpr int kSensitivity = 6;
    static constexpr int kPacedRefractory = 7;  // paced refractory period
    static constexpr int kSensedRefractory = 8; // sensed refractory period
    static constexpr int kCount = 8;
};

// The fields of an "AVD" reading: "150 mS 10.0 mA 10.0 mA".
struct AvField {
    static constexpr int kInterval = 1;
    static constexpr int kAtrialCurrent = 2;
    static constexpr int kVentricularCurrent = 3;
    static constexpr int kCount = 3;
};

// The pacemaker analyzer's rows of one kind ("ATR", "Vent", "Trans", "AVD"),
// each reading split into fixed fields.
struct PacemakerRows {
    explicit PacemakerRows(int fields) : fieldCount(fields) {}

    int fieldCount = PacerField::kCount;
    int count = 0;
    // entries[k][f - 1] is field f of the k-th row of this kind.
    std::vector<std::vector<std::string>> entries;
    // listRows[k]: the row of the shown list entry k came from.
    std::vector<std::size_t> listRows;

    // Field f (1-based) of entry k; empty beyond the rows of the latest dispatch.
    const std::string& Field(int f, int k) const;
};

// What "Data Sheet" prepares for the document: the shown rows, the chosen
// record, and for the pacemaker analyzer the split readings.
struct DataSheetTables {
    static constexpr int kListSize = 100;

    std::vector<std::string> listTestNames = std::vector<std::string>(kListSize);
    std::vector<std::string> listReadings = std::vector<std::string>(kListSize);
    int selectedRecord = -1;
    PacemakerRows atr = PacemakerRows(PacerField::kCount);
    PacemakerRows vent = PacemakerRows(PacerField::kCount);
    PacemakerRows trans = PacemakerRows(PacerField::kCount);
    PacemakerRows avd = PacemakerRows(AvField::kCount);
    // Verdicts on: the verdict of each shown row, in row order. Empty:
    // verdicts off, and nothing of them reaches the document.
    std::vector<verdict::ReadingVerdict> listVerdicts;

    // The verdict of shown row i; none when verdicts are off or it has none.
    const verdict::ReadingVerdict* VerdictOf(std::size_t i) const
    {
        return i < listVerdicts.size() ? &listVerdicts[i] : nullptr;
    }
};

// Splits a pacemaker reading into fieldCount fields: each field but the last
// takes two words, the last one word and the rest. A word at the end is taken
// as a word, and the parts of a field that are not empty are joined with one
// blank, so "5.0 mA 70 ppm" gives "5.0 mA", "70 ppm" and empty fields after.
std::vector<std::string> SplitPacemakerReading(const std::string& reading, int fieldCount);

// Today's date as "%#m/%d/%Y" (3/07/2015).
std::string FormatRecordDate(const std::tm& localTime);

// Everything the "Data Sheet" button needs from the form.
struct DataSheetRequest {
    std::optional<InstrumentKind> checkedKind; // the radio buttons; none checked builds the electrical safety record
    std::vector<ListRow> rows;
    int selectorCurrent = -1;
    std::string selectorItemText;
    std::string reportsFolder;
    int word2007 = 1;
    // Verdicts on: the verdict of each row (in row order). Empty: verdicts
    // off, and the document is exactly what it has always been.
    std::optional<verdict::RecordVerdict> verdict;
};

// The kind of record a request builds: by the radio buttons, Kappa 5100
// looked at first; none checked builds the electrical safety record.
InstrumentKind DataSheetKind(const DataSheetRequest& request);

// The verdicts of the request's rows, judged for the kind of record it
// builds and the chosen item's equipment ID: what its `verdict` takes.
verdict::RecordVerdict JudgeDataSheetRows(const verdict::VerdictEngine& engine, const DataSheetRequest& request);

// A test record written: where, and of which kind.
struct DataSheetDocument {
    InstrumentKind kind = InstrumentKind::Quellmax;
    std::string savedPath; // with extension
};

// The request from what the form shows: the Item/Test/Reading rows, the
// selector's current item, the kind radio buttons and the settings in use.
// The window, the command line and the benchmark all make it here.
DataSheetRequest MakeDataSheetRequest(const ShownReadings& shown, const EquipmentIdSelector& selector,
                                      std::optional<InstrumentKind> checkedKind, std::string reportsFolder,
                                      int word2007);

// The "Data Sheet" button: picks the layout by the radio buttons, fills the
// tables, sets the equipment ID, the record date and the output path, and
// builds the document of that kind.
class DataSheetDispatch {
public:
    DataSheetDispatch(ResultsTable& results, WordApplication& word, const Clock& clock);

    // A failure is what the error box shows (ComErrorText).
    Result<DataSheetDocument> OnDataSheet(const DataSheetRequest& request);

    const DataSheetTables& tables() const { return m_tables; }
    // The output path of the latest dispatch, without extension.
    const std::string& reportPath() const { return m_reportPath; }

private:
    void Classify(const ListRow& row, std::size_t listRow);

    ResultsTable& m_results;
    WordApplication& m_word;
    const Clock& m_clock;
    DataSheetTables m_tables;
    std::string m_reportPath;
};

// The document bodies, one per instrument kind; each runs inside RunDocument.
DocumentSpec ElectricalSafetyRecordSpec();
void BuildElectricalSafetyRecord(WordApplication& word, const DataSheetTables& tables, const ResultsTable& results);

DocumentSpec DefibrillatorRecordSpec();
// A negative selectedRecord is taken as record 0 and stored back.
void BuildDefibrillatorRecord(WordApplication& word, DataSheetTables& tables, const ResultsTable& results);
// The lines one section of the defibrillator record lists for a record, and
// the row height for a number of lines.
std::vector<std::string> DefibrillatorSectionLines(const ResultsTable& results, int record, int section,
                                                   std::string& wave);
int DefibrillatorRowHeight(int lineCount, bool aed);

DocumentSpec PacemakerRecordSpec();
void BuildPacemakerRecord(WordApplication& word, const DataSheetTables& tables, const ResultsTable& results);
// Whether a pacemaker value counts as zero for the value search: its leading number is zero.
bool IsZeroPacemakerReading(const std::string& value);

} // namespace tessaprint::docs
