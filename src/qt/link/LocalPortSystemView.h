#pragma once

#include "link/PortDiagnosis.h"

namespace tessaprint {

// This computer's files, groups and processes, for the diagnosis of a serial
// device that would not open. Outside Linux-like systems it sees nothing.
class LocalPortSystemView : public PortSystemView {
public:
    std::string CanonicalPath(const std::string& path) const override;
    std::vector<std::string> FolderNames(const std::string& folder) const override;
    std::optional<std::string> GroupOf(const std::string& path) const override;
    bool CanReadWrite(const std::string& path) const override;
    bool UserListedIn(const std::string& group) const override;
    bool ProcessHasGroup(const std::string& group) const override;
    std::vector<int> OtherProcesses() const override;
    std::vector<std::string> OpenFilesOf(int pid) const override;
    std::string ProcessName(int pid) const override;
    std::optional<std::string> ReadText(const std::string& path) const override;
};

} // namespace tessaprint
