#pragma once

#include "docs/DocumentFrame.h"
#include "docs/WordApplication.h"
#include "workorder/WorkOrderRecord.h"

#include <ctime>
#include <optional>
#include <string>

namespace tessaprint {

// The header carries the work order's own company and number, the footer the page number.
docs::DocumentSpec WorkOrderDocumentSpec(const WorkOrderRecord& record);

// The body of the work order document: the five grey headings with the
// equipment and work order data, the service lines, the results table, the
// checks and the signature line.
void BuildWorkOrderDocument(docs::WordApplication& word, const WorkOrderRecord& record);

// Writes the work order document into the reports folder as
// "<Company>-Work-Order-<stamp>.docx" (never over an existing file) and gives
// its path; a failure is what the error box shows (ComErrorText).
Result<std::string> WriteWorkOrderDocument(const WorkOrderRecord& record, const std::string& reportsFolder,
                                           int word2007, const std::optional<std::tm>& localTime);

// The Equipment Data lines whose tab count depends on the first value's length.
std::string ManufacturerLine(const std::string& manufacturer, const std::string& model);
std::string SerialLine(const std::string& serial, const std::string& status);
std::string LocationLine(const std::string& location, const std::string& system);

} // namespace tessaprint
