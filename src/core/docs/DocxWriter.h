#pragma once

#include "docs/DocumentModel.h"
#include "util/Result.h"

#include <stdexcept>
#include <string>

namespace tessaprint::docs {

// Saving the document model as an Office Open XML word-processing package
// (.docx). Every part is built by its own function so tests can look at each
// one; the package is byte-for-byte the same for the same document.

// A failed save. errnoValue is the system's error number (ENOENT, EACCES, ...)
// or 0 when the failure did not come from the system.

// Package parts, each a complete XML text with its declaration.
std::string ContentTypesXml();
std::string RootRelationshipsXml();
std::string DocumentRelationshipsXml();
std::string StylesXml();
std::string SettingsXml();
std::string DocumentXml(const Document& doc);
std::string HeaderXml(const Story& header);
std::string FooterXml(const Story& footer);

// Pieces of word/document.xml, without declaration or namespaces.
std::string ParagraphXml(const Paragraph& p);
std::string TableXml(const Table& t);

// The whole package. Entries in a fixed order, all deflated and dated
// 1980-01-01 00:00, so two saves of one document give identical bytes.
Result<std::string> DocxBytes(const Document& doc);

// Saves the package under `path`, or, when that name is taken (even at the
// last moment, by another program), under "<stem>-2.docx", "-3", …; returns
// the path written. The bytes go to a temporary file in the same folder that
// is then moved into place without ever replacing a file, so a failed save
// leaves nothing behind and no document is ever overwritten.
Result<std::string> WriteDocx(const Document& doc, const std::string& path);

} // namespace tessaprint::docs
