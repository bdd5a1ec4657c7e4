#pragma once

#include "history/HistoryStore.h"
#include "util/Result.h"

#include <functional>
#include <string>
#include <vector>

namespace tessaprint {

// Where the form sends captures for the test history and asks it about an
// equipment ID. Implementations do the work away from the form (a history
// server may be slow or gone) and call back on the form's thread; a capture
// they cannot record yet they keep until they can.
class HistorySink {
public:
    using LookupDone = std::function<void(Result<std::vector<history::HistoryRecord>>)>;

    virtual ~HistorySink() = default;
    // A capture whose results are ready, with the lines it was made of; the
    // sink fills in capture.linesHash from them.
    virtual void Submit(history::HistoryCapture capture, std::vector<std::string> lines) = 0;
    // Every record of the ID, oldest first; done runs later, never inside the call.
    virtual void Lookup(const std::string& equipmentId, LookupDone done) = 0;
};

} // namespace tessaprint
