#pragma once

#include "history/HistoryStore.h"
#include "util/Result.h"

#include <string>

namespace tessaprint::history {

// A saved capture (a transcript or a capture file, such as the archive's) as
// the history records it: parsed as the window parses it, the fingerprint of
// its lines, an identity derived from them (the same file is the same capture
// whenever it is read), its file name as the archive name. Its time, kind and
// port are the caller's to give.
//
// The file is read in pieces and neither its lines nor its records are kept:
// a first reading counts what the store decides by (the lines' fingerprint,
// the records and readings), and each call of Records reads it again and
// gives the records one at a time as they are complete. A capture of any
// size so costs what its largest record takes.
class SavedCapture {
public:
    // Fails when the file does not read or is no regular file.
    static Result<SavedCapture> Read(const std::string& path, bool transcript);

    HistoryCaptureHeader& header() { return m_header; }
    const HistoryCaptureHeader& header() const { return m_header; }
    // The records, read again from the file at each call; fails when the
    // file no longer reads or no longer holds the lines first read (it
    // changed in between). Needs the file only, not this object.
    HistoryRecordSource Records() const;

private:
    std::string m_path;
    bool m_transcript = false;
    // A capture file is UTF-8 unless some line of it is not; a transcript is
    // decoded line by line as the receive path decodes it.
    bool m_utf8 = true;
    HistoryCaptureHeader m_header;
};

} // namespace tessaprint::history
