#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tessaprint {

// What the system said when a serial device would not open. Denied is what
// most systems say both for a device the user may not open and for one that
// another program holds exclusively: the diagnosis tells them apart.
enum class OpenFailure { NotFound, Denied, Busy, Other };

// The little of the system a diagnosis looks at, so that tests give fake ones.
class PortSystemView {
public:
    virtual ~PortSystemView() = default;

    // The path with every link followed; the path itself when it cannot be.
    virtual std::string CanonicalPath(const std::string& path) const = 0;
    // The names in a folder ("ttyUSB0", "ttyS0" in /dev).
    virtual std::vector<std::string> FolderNames(const std::string& folder) const = 0;
    // The name of the group that owns the file; nothing when it cannot be read.
    virtual std::optional<std::string> GroupOf(const std::string& path) const = 0;
    // Whether this process may read and write the file.
    virtual bool CanReadWrite(const std::string& path) const = 0;
    // Whether the user's group database makes the user a member of the group.
    virtual bool UserListedIn(const std::string& group) const = 0;
    // Whether this process (its login) has the group.
    virtual bool ProcessHasGroup(const std::string& group) const = 0;
    // The running processes, but for this one.
    virtual std::vector<int> OtherProcesses() const = 0;
    // What the process's open files are (the targets of /proc/<pid>/fd/*).
    virtual std::vector<std::string> OpenFilesOf(int pid) const = 0;
    // The process's name; empty when it is gone or cannot be read.
    virtual std::string ProcessName(int pid) const = 0;
    // A small file's text (a lock file); nothing when there is none.
    virtual std::optional<std::string> ReadText(const std::string& path) const = 0;
};

// What to do about a device that would not open, in sentences that follow
// the system's own words; empty when there is nothing to add.
std::string DiagnoseOpenFailure(const std::string& device, OpenFailure failure, const PortSystemView& system);

} // namespace tessaprint
