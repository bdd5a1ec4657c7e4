#pragma once

#include <string>
#include <string_view>

// Every setting the program stores: its section, its key and what it reads as
// while it is not stored. The names are the ones the settings have always had
// (on Windows the registry values under Software\Zelmor\<application>), so a
// user's settings keep working: never rename one.
namespace tessaprint::settings {

struct Entry {
    std::string_view section;
    std::string_view key;
    std::string_view defaultValue;
};

// "Serial/Port" and "\"Serial\"/\"Port\"": the setting named in a message.
inline std::string PathName(const Entry& entry)
{
    return std::string(entry.section) + "/" + std::string(entry.key);
}
inline std::string QuotedName(const Entry& entry)
{
    return "\"" + std::string(entry.section) + "\"/\"" + std::string(entry.key) + "\"";
}

inline constexpr std::string_view kDirectories = "Directories";
inline constexpr std::string_view kSettings = "Settings";
inline constexpr std::string_view kSerial = "Serial";
inline constexpr std::string_view kWorkOrder = "Work Order";
inline constexpr std::string_view kFolders = "Folders";
inline constexpr std::string_view kWindow = "Window";
inline constexpr std::string_view kHistory = "History";
inline constexpr std::string_view kLimits = "Limits";

// The reports folder; while none is stored, the default folder of its platform.
inline constexpr Entry kReports{kDirectories, "Reports", ""};
// "0" writes the older document format; anything else the newer one.
inline constexpr Entry kWord2007{kDirectories, "Word2007", "1"};
// Only "1" makes a PDF copy of each document.
inline constexpr Entry kSavePdf{kDirectories, "SavePdf", "0"};

// The instrument kind's text, as its radio button reads.
inline constexpr Entry kUnitType{kSettings, "szUnitType", "Quellmax"};
// The program that opens text files; empty: the system's own.
inline constexpr Entry kTextEditor{kSettings, "szTextEditor", ""};
// The office program for PDF copies, a path or a name; empty: looked for.
inline constexpr Entry kOfficeCommand{kSettings, "szOfficeCommand", ""};
// Whole seconds; empty or out of range: PdfCopySettings' default.
inline constexpr Entry kPdfTimeLimitSeconds{kSettings, "PdfTimeLimitSeconds", ""};

// The port the instrument is on, "COM1" to "COM10".
inline constexpr Entry kPort{kSerial, "Port", "COM1"};
// Whole numbers; empty or out of range: CaptureSettings' defaults.
inline constexpr Entry kAnswerTimeoutMs{kSerial, "AnswerTimeoutMs", ""};
inline constexpr Entry kMaxCaptureBytes{kSerial, "MaxCaptureBytes", ""};
inline constexpr Entry kMaxCaptureSeconds{kSerial, "MaxCaptureSeconds", ""};
// The serial line (see LineSettings): anything but one of its choices reads as its default.
inline constexpr Entry kBaudRate{kSerial, "BaudRate", "115200"};
inline constexpr Entry kDataBits{kSerial, "DataBits", "8"};
inline constexpr Entry kParity{kSerial, "Parity", "None"};
inline constexpr Entry kStopBits{kSerial, "StopBits", "1"};
// "Serial"/"COMnDevice": the device behind COMn; empty: the platform's default.
inline std::string PortDeviceKey(int n)
{
    return "COM" + std::to_string(n) + "Device";
}

// "Work Order": each of WorkOrderRecord's field keys, and its list keys with
// a slot ("szWorkOrderResults[0]", see SlotKey), all empty by default.

// The folder each kind of file chooser was last used in; empty: none yet.
inline constexpr Entry kCapturedLinesFolder{kFolders, "CapturedLines", ""};
inline constexpr Entry kCsvExportFolder{kFolders, "CsvExport", ""};

// The main window as it was left (see WindowSettings); empty: as it opens.
inline constexpr Entry kWindowGeometry{kWindow, "Geometry", ""};
inline constexpr Entry kWindowSplitter{kWindow, "Splitter", ""};
inline constexpr Entry kReadingColumns{kWindow, "ReadingColumns", ""};

// Where the test history is (see ParseHistoryDatabase); empty: its own file.
inline constexpr Entry kHistoryDatabase{kHistory, "Database", ""};
// A file holding the history server's password; empty: none.
inline constexpr Entry kHistoryPasswordFile{kHistory, "PasswordFile", ""};
// "1" once the capture archive was brought into the history.
inline constexpr Entry kArchiveImported{kHistory, "ArchiveImported", ""};

// Options > Limits: only "1" judges the readings against the limits.
inline constexpr Entry kVerdicts{kLimits, "Verdicts", "0"};
// A department's own limits file; empty: the profiles shipped with the program.
inline constexpr Entry kLimitsFile{kLimits, "File", ""};
// The profile for a device whose row names none; empty: the limits' default.
inline constexpr Entry kLimitsProfile{kLimits, "Profile", ""};
// The equipment list (CSV); empty: none, every device judged as one not in it.
inline constexpr Entry kEquipmentList{kLimits, "EquipmentList", ""};

} // namespace tessaprint::settings
