#include "app/DemoHistory.h"

#include "history/ReadingNumber.h"
#include "link/Replay.h"
#include "sim/SamplePrintouts.h"
#include "text/DecimalText.h"
#include "verdict/EquipmentList.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tessaprint {

namespace {

// The reading with its first number times factor, written with as many
// decimals as it had.
std::string Scaled(const std::string& reading, double factor)
{
    const auto number = history::ParseReadingNumber(reading);
    if (!number) {
        return reading;
    }
    std::size_t start = reading.find_first_of("0123456789");
    if (start > 0 && reading[start - 1] == '.') {
        --start;
    }
    if (start > 0 && (reading[start - 1] == '-' || reading[start - 1] == '+')) {
        --start;
    }
    std::size_t end = start;
    int decimals = -1;
    while (end < reading.size() && ((reading[end] >= '0' && reading[end] <= '9') || reading[end] == '.' ||
                                    (end == start && (reading[end] == '-' || reading[end] == '+')))) {
        if (decimals >= 0) {
            ++decimals;
        }
        if (reading[end] == '.') {
            decimals = 0;
        }
        ++end;
    }
    return reading.substr(0, start) + WriteDecimal(number->value * factor, std::max(decimals, 0)) + reading.substr(end);
}

// "03/14/2015" a number of years earlier.
std::string YearsEarlier(const std::string& date, int years)
{
    if (date.size() != 10) {
        return date;
    }
    return date.substr(0, 6) + std::to_string(std::atoi(date.substr(6).c_str()) - years);
}

} // namespace

void SeedDemoHistory(history::HistoryStore& store)
{
    for (const InstrumentKind kind : {InstrumentKind::Quellmax, InstrumentKind::Kappa5100, InstrumentKind::Pactrx}) {
        ResultsTable table;
        ResultsListing listing;
        ReplayTranscript(SamplePrintout(kind), table, listing);
        const history::HistoryCapture sample = history::MakeHistoryCapture(table, listing);
        for (int years = 2; years >= 1; --years) {
            history::HistoryCapture capture = sample;
            capture.kind = UnitTypeText(kind);
            capture.port = "COM1";
            capture.archiveName = "(demo history)";
            capture.linesHash = "demo-" + capture.kind + "-" + std::to_string(years);
            int n = 0;
            for (history::HistoryRecord& record : capture.records) {
                record.testDate = YearsEarlier(record.testDate, years);
                record.testDay = history::ParseTestDay(record.testDate);
                if (capture.capturedAt.empty() && record.testDay) {
                    capture.capturedAt = *record.testDay + "T10:15:00";
                }
                for (history::HistoryReading& reading : record.readings) {
                    // A drift of a few per cent, and now and then a reading that was far off.
                    ++n;
                    const double drift = 0.04 * years * ((n % 3) + 1) * (n % 2 == 0 ? -1 : 1);
                    const double factor = n % 7 == 0 ? (years == 1 ? 2.6 : 0.3) : 1.0 + drift;
                    reading.reading = Scaled(reading.reading, factor);
                    reading.value = reading.test.empty() ? reading.reading : reading.test + " " + reading.reading;
                }
            }
            (void)store.Record(capture);
        }
    }
}

void SeedDemoEquipment(history::EquipmentStore& store)
{
    static constexpr std::string_view kList =
        "equipment_id,description,location,class,applied_parts,interval_months,cord,profile,settings\n"
        "10234,Infusion pump,Ward 3,I,CF,12,,,\n"
        "10235,Patient monitor,Ward 3,I,BF,12,,,\n"
        "40871,Examination lamp,Outpatients,II,,24,,,\n"
        "BIO-5521,Electrocardiograph,Cardiology,I,CF,6,,,\n"
        "ICU-DF-07,Defibrillator,ICU,I,BF,6,,,\n"
        "ICU-MON-12,Patient monitor,ICU,I,CF,6,,,\n"
        "OR-ESU-3,Electrosurgical unit,Theatre 3,I,BF;CF,6,,,\n"
        "INF-PUMP-21,Syringe pump,Ward 5,I,CF,12,,,\n"
        "SUCTION-03,Suction unit,Ward 5,II,BF,24,,,\n";
    const Result<std::vector<verdict::Device>> devices = verdict::ReadEquipmentListText(kList, "demo equipment list");
    if (devices) {
        (void)store.ImportEquipment(devices.value());
    }
}

} // namespace tessaprint
