#pragma once

// The numeric ids of the windows, their controls and the menu commands. Each
// object carries its id, as a decimal number, as its object name, and that
// name is what settings, tests and anything else that finds a control go by;
// the numbers must therefore never change. Every id has one name here, and
// the windows and the tests go by these names; only the tests that pin the
// numbers spell them out.
//
// The ids are plain ints rather than an enum: they go straight into object
// names, QButtonGroup ids and the Port menu's arithmetic, all of which take
// an int, so an enum class would need a cast at each use and a plain enum
// would add a type nothing uses. The namespaces, one per window, keep apart
// what shares a number in different windows (1002 is the received lines on
// the form, the Date box of the entry dialogs and the Company box of the work
// order).

#include "util/Prompts.h"

#include <QString>

namespace tessaprint {

// The object name of the control or command with this id.
inline QString ControlName(int id)
{
    return QString::number(id);
}

namespace ControlId {

// The windows themselves.
namespace Window {
inline constexpr int About = 100;
inline constexpr int Form = 101;
inline constexpr int EditMenu = 119; // the form's context menu
inline constexpr int MainFrame = 128;
inline constexpr int Error = 310;
inline constexpr int Confirm = 311;
inline constexpr int Directories = 312;
inline constexpr int WorkOrder = 313;
inline constexpr int AddService = 314;
inline constexpr int AddResults = 315;
inline constexpr int AddChecks = 316;
inline constexpr int PortSettings = 317;
inline constexpr int History = 318;
inline constexpr int AllDataSheets = 330;     // the progress of "All Data Sheets"
inline constexpr int MessageWithAction = 331; // a message with one more button than OK
inline constexpr int Limits = 332;            // Options > Limits
inline constexpr int Equipment = 333;         // View > Equipment: the equipment list
inline constexpr int DueForTest = 334;        // View > Due for Test: the test schedule
} // namespace Window

// The buttons every dialog that has them shares (About, Error, Confirm,
// Directories, the entry dialogs, and the work order's hidden Cancel). A
// button's id is also the result a modal dialog gives when it is pressed.
namespace Dialog {
inline constexpr int Ok = kIdOk;
inline constexpr int Cancel = kIdCancel;
} // namespace Dialog

// The main frame's menu commands and the form's Edit menu.
namespace Command {
inline constexpr int FileNew = 57600;
inline constexpr int FileOpen = 57601;
inline constexpr int FileSave = 57603;
inline constexpr int FileExit = 57665;
inline constexpr int ViewStatusBar = 59393;
inline constexpr int OptionsDirectories = 32781;
inline constexpr int HelpAbout = 57664;
inline constexpr int EditCopy = 57634;
inline constexpr int EditCut = 57635;
inline constexpr int EditPaste = 57637;
// Port > COMn is PortBase + n, n from 1 to PortCount.
inline constexpr int PortBase = 32770;
inline constexpr int PortCount = 10;
constexpr int Port(int n)
{
    return PortBase + n;
}
inline constexpr int PortSettings = 32782;      // Port > Settings...
inline constexpr int FileAllDataSheets = 32783; // File > Data Sheets for All Equipment IDs
inline constexpr int FileExportCsv = 32784;     // File > Export Results as CSV...
inline constexpr int ViewHistory = 32785;       // View > History
inline constexpr int OptionsLimits = 32786;     // Options > Limits...
inline constexpr int ViewEquipment = 32787;     // View > Equipment...
inline constexpr int ViewDueForTest = 32788;    // View > Due for Test...
} // namespace Command

// The main frame's own children.
namespace Frame {
inline constexpr int StatusBar = 59393; // the same number as View > Status Bar, as the bar goes with its command
} // namespace Frame

// The main form.
namespace Form {
inline constexpr int VersionText = 1000; // hidden: the instrument's version reply
inline constexpr int Version = 1001;     // hidden: asks the instrument for its version
inline constexpr int Lines = 1002;       // the received lines
inline constexpr int ClearScreen = 1003;
inline constexpr int Notepad = 1004;
inline constexpr int SelectCaption = 1005; // "Select Equipment ID"
inline constexpr int Result = 1006;
inline constexpr int Test = 1007; // hidden
inline constexpr int ClearMemory = 1008;
inline constexpr int EquipmentId = 1009; // the equipment ID drop-down
inline constexpr int Readings = 1010;    // the Item/Test/Reading list
inline constexpr int DataSheet = 1011;
inline constexpr int ResultsCaption = 1012; // "Results"
inline constexpr int Quellmax = 1013;
inline constexpr int Kappa5100 = 1014;
inline constexpr int WorkOrder = 1015;
inline constexpr int Pactrx = 1057;
inline constexpr int AllDataSheets = 1058;
inline constexpr int History = 1059;    // opens the History window
inline constexpr int DeviceLine = 1060; // the chosen ID as the equipment list knows it
inline constexpr int AddDevice = 1061;  // "Add..." for an ID not in the equipment list
} // namespace Form

// "Error" and "Confirm".
namespace Message {
inline constexpr int Text = 1005;
} // namespace Message

// The progress of "All Data Sheets" ("Writing 12 of 50: ICU-MON-12"); its
// Cancel is Dialog::Cancel.
namespace AllDataSheets {
inline constexpr int Progress = 1001;
inline constexpr int Text = 1005;
} // namespace AllDataSheets

// A message with one more button than OK (Dialog::Ok).
namespace MessageWithAction {
inline constexpr int Action = 1006; // "Open Reports Folder"
} // namespace MessageWithAction

// Options > Directories.
namespace Directories {
inline constexpr int Reports = 1002;
inline constexpr int Browse = 1034; // "..."
inline constexpr int Word2007 = 1039;
inline constexpr int SavePdf = 1040; // "Also save a PDF copy"
} // namespace Directories

// Options > Limits: whether readings are judged, by which files and profile.
namespace Limits {
inline constexpr int On = 1001; // "Judge readings against limits"
inline constexpr int File = 1002;
inline constexpr int FileBrowse = 1003;
inline constexpr int Profile = 1004;
inline constexpr int EquipmentList = 1005;
inline constexpr int EquipmentListBrowse = 1006;
inline constexpr int Fault = 1007; // why the files cannot be used, naming the file and its line
} // namespace Limits

// Port > Settings...: the system's ports, and the device of each COMn.
namespace PortSettings {
inline constexpr int Ports = 1001;
// The line settings every port opens with.
inline constexpr int Baud = 1002;
inline constexpr int DataBits = 1003;
inline constexpr int Parity = 1004;
inline constexpr int StopBits = 1005;
// COMn's device is DeviceBase + n, n from 1 to Command::PortCount.
inline constexpr int DeviceBase = 1010;
constexpr int Device(int n)
{
    return DeviceBase + n;
}
} // namespace PortSettings

// The work order window: its 30 boxes (the table in CWorkOrder1.cpp gives
// each its label, settings key and place), headlines, lists and buttons.
namespace WorkOrder {
inline constexpr int Company = 1002;
inline constexpr int WorkOrderNumber = 1016;
inline constexpr int ControlNumber = 1017;
inline constexpr int Manufacturer = 1018;
inline constexpr int SerialNumber = 1019;
inline constexpr int PONumber = 1020;
inline constexpr int Department = 1021;
inline constexpr int Location = 1022;
inline constexpr int Floor = 1023;
inline constexpr int RoomNumber = 1024;
inline constexpr int RiskPriority = 1025;
inline constexpr int WarrantyExpires = 1026;
inline constexpr int LastSeen = 1027;
inline constexpr int Parts = 1028;
inline constexpr int Labor = 1029;
inline constexpr int Description = 1030;
inline constexpr int ModelNumber = 1031;
inline constexpr int Status = 1032;
inline constexpr int System = 1033;
inline constexpr int Building = 1034;
inline constexpr int FixedInspectionsLast = 1035; // "Last" under "Fixed Inspections:"
inline constexpr int FixedInspectionsNext = 1036; // "Next"
inline constexpr int FixedInspectionsType = 1037; // "Type"
inline constexpr int WorkOrderType = 1038;
inline constexpr int PersonRequesting = 1039;
inline constexpr int ServiceRequested = 1040;
inline constexpr int RequestedOn = 1041;
inline constexpr int Due = 1042;
inline constexpr int Phone = 1045;
inline constexpr int Facility = 1053;

inline constexpr int EquipmentDataHeadline = 1005;
inline constexpr int WorkOrderDataHeadline = 1012;
inline constexpr int ServiceHeadline = 1043;
inline constexpr int ResultsHeadline = 1046;
inline constexpr int ChecksHeadline = 1049;

inline constexpr int ServiceList = 1010;
inline constexpr int ServiceAdd = 1044;
inline constexpr int ServiceClear = 1054;
inline constexpr int ResultsList = 1048;
inline constexpr int ResultsAdd = 1047;
inline constexpr int ResultsClear = 1055;
inline constexpr int ChecksList = 1050;
inline constexpr int ChecksAdd = 1051;
inline constexpr int ChecksClear = 1056;
inline constexpr int ExportToWord = 1052;
} // namespace WorkOrder

// The History window: an equipment ID's tests over time.
namespace History {
inline constexpr int Id = 1001;        // the equipment ID box, completing from the history
inline constexpr int Table = 1002;     // a row per test, a column per test date
inline constexpr int Chart = 1003;     // the chosen row's readings over time
inline constexpr int ChartNote = 1004; // what the chart left out or drew differently
inline constexpr int DataSheet = 1005; // "Data Sheet" of the chosen column's record
inline constexpr int Status = 1006;    // what the window is doing or could not do
inline constexpr int Recent = 1007;    // the IDs tested most recently, newest first
} // namespace History

// View > Equipment: the equipment list kept in the history.
namespace Equipment {
inline constexpr int Table = 1001; // a row per device, the list's columns
inline constexpr int Add = 1002;
inline constexpr int Remove = 1003;
inline constexpr int Import = 1004; // "Import CSV..."
inline constexpr int Export = 1005; // "Export CSV..."
inline constexpr int Fault = 1006;  // what is wrong with a row or a file, in words
} // namespace Equipment
// View > Due for Test: the devices by due date.
namespace DueForTest {
inline constexpr int Table = 1001;
inline constexpr int Filter = 1002; // all; overdue and failed; due within N days
inline constexpr int Days = 1003;   // N
inline constexpr int Status = 1004; // what the window is doing or could not do
} // namespace DueForTest
// "Add Service Information".
namespace AddService {
inline constexpr int Date = 1002;
inline constexpr int Description = 1016;
} // namespace AddService

// "Results": the ten columns of a results line.
namespace AddResults {
inline constexpr int Date = 1002;
inline constexpr int Tech = 1016;
inline constexpr int Verb = 1017;
inline constexpr int Noun = 1018;
inline constexpr int Minutes = 1019;
inline constexpr int R = 1020;
inline constexpr int PartNumber = 1021;
inline constexpr int Qty = 1022;
inline constexpr int UnitCost = 1023;
inline constexpr int Description = 1024;
} // namespace AddResults

// "Add Checks".
namespace AddChecks {
inline constexpr int Task = 1009; // the preset tasks, editable
} // namespace AddChecks

} // namespace ControlId
} // namespace tessaprint
