#pragma once

#include "history/HistoryStore.h"

#include <string>

namespace tessaprint::history {

// The identity a capture is stored under: its own (HistoryCapture::captureId),
// else one derived from LegacyCaptureKey as a name-based UUID, so that a
// capture from before identities (a row of an older history, a waiting
// capture of an older queue file) always gets the same one.
std::string CaptureIdentity(const HistoryCaptureInfo& capture);

// A saved capture's identity: derived from its lines, so the same file gives
// the same one whenever it is read.
std::string SavedCaptureIdentity(const std::string& linesHash);

} // namespace tessaprint::history
