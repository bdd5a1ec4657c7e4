#pragma once

#include "util/CNotepad.h"

namespace tessaprint {

// Starts programs as children of this one (fork and exec) and tracks them by
// their process id. A child that is still running when its object goes is
// left running: quitting this program never kills an editor with the user's
// unsaved text in it.
class PosixProcessLauncher : public ProcessLauncher {
public:
    std::unique_ptr<ExternalProcess> Launch(const std::string& program,
                                            const std::vector<std::string>& arguments) override;
    bool IsInstalled(const std::string& program) override;
};

} // namespace tessaprint
