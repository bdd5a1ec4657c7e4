#pragma once

// Reading a document model the way a test compares it: a cell's text with
// "|" between its paragraphs, and the tables of the main text in order.
#include "docs/DocumentModel.h"

#include <string>
#include <variant>
#include <vector>

namespace tessaprint::docs::test {

inline std::string CellText(const Cell& cell)
{
    std::string text;
    for (std::size_t i = 0; i < cell.paragraphs.size(); ++i) {
        text += i ? "|" : "";
        for (const auto& run : cell.paragraphs[i].runs) {
            text += run.text;
        }
    }
    return text;
}

inline std::vector<const Table*> MainTables(const Document& doc)
{
    std::vector<const Table*> tables;
    for (const auto& block : doc.main.blocks) {
        if (const auto* table = std::get_if<Table>(&block)) {
            tables.push_back(table);
        }
    }
    return tables;
}

} // namespace tessaprint::docs::test
