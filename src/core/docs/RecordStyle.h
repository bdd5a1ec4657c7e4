#pragma once

// The measures the document walks lay their pages out with, named by what
// they are for on the page: the font, the scale of font sizes, and the row
// heights the identification tables share. The widths and heights of one
// document's own tables are kept beside that document's walk.
namespace tessaprint::docs {

// The font of the labels, entries and headings of the records and work orders.
inline constexpr const char* kRecordFont = "Calibri";

// Font sizes, in points.
inline constexpr double kPageHeaderSize = 12; // the company line and title in the grey page header
inline constexpr double kHeadingSize = 14;    // headings, table titles and the header row of a measurement table
inline constexpr double kLabelSize = 12;      // labels and entries of the electrical safety and defibrillator records
inline constexpr double kTextSize = 11;       // notes and signature lines; the pacemaker record's labels and lines
inline constexpr double kFunctionSize = 10;   // the "Function:" label of a defibrillator record row
inline constexpr double kCircleSize = 14;     // the tick circle after a service choice among label-size text
inline constexpr double kAssessmentCircleSize = 16; // the tick circle before an overall assessment
inline constexpr double kFooterSize = 8;            // the form number in the page footer

// Identification table rows, in points; each grows when its text needs more room.
inline constexpr double kIdentificationRowHeight = 44; // two labels with a blank line between them
inline constexpr double kServiceChoicesRowHeight = 50; // the first row, with the three service choices
inline constexpr double kOneLineRowHeight = 30;        // the organization row and the identification number row

// The side margins of every document, in inches.
inline constexpr double kSideMarginInches = 0.9;

} // namespace tessaprint::docs
