#include "link/LocalPortSystemView.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstring>

namespace tessaprint {

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

std::string LocalPortSystemView::CanonicalPath(const std::string& path) const
{
    const QString canonical = QFileInfo(Q(path)).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical.toStdString();
}

std::vector<std::string> LocalPortSystemView::FolderNames(const std::string& folder) const
{
    std::vector<std::string> names;
    for (const QString& name : QDir(Q(folder)).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        names.push_back(name.toStdString());
    }
    return names;
}

std::optional<std::string> LocalPortSystemView::GroupOf(const std::string& path) const
{
#ifndef Q_OS_WIN
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (const struct group* group = ::getgrgid(info.st_gid)) {
            return std::string(group->gr_name);
        }
    }
#else
    (void)path;
#endif
    return std::nullopt;
}

bool LocalPortSystemView::CanReadWrite(const std::string& path) const
{
#ifndef Q_OS_WIN
    return ::access(path.c_str(), R_OK | W_OK) == 0;
#else
    (void)path;
    return true;
#endif
}

bool LocalPortSystemView::UserListedIn(const std::string& group) const
{
#ifndef Q_OS_WIN
    const struct group* entry = ::getgrnam(group.c_str());
    const struct passwd* user = ::getpwuid(::getuid());
    if (!entry || !user) {
        return false;
    }
    if (user->pw_gid == entry->gr_gid) {
        return true;
    }
    for (char** member = entry->gr_mem; member && *member; ++member) {
        if (std::strcmp(*member, user->pw_name) == 0) {
            return true;
        }
    }
#else
    (void)group;
#endif
    return false;
}

bool LocalPortSystemView::ProcessHasGroup(const std::string& group) const
{
#ifndef Q_OS_WIN
    const struct group* entry = ::getgrnam(group.c_str());
    if (!entry) {
        return false;
    }
    if (::getegid() == entry->gr_gid) {
        return true;
    }
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<std::size_t>(count > 0 ? count : 0));
    const int got = ::getgroups(count, groups.data());
    for (int i = 0; i < got; ++i) {
        if (groups[static_cast<std::size_t>(i)] == entry->gr_gid) {
            return true;
        }
    }
#else
    (void)group;
#endif
    return false;
}

std::vector<int> LocalPortSystemView::OtherProcesses() const
{
    std::vector<int> pids;
    const qint64 own = QCoreApplication::applicationPid();
    for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const int pid = name.toInt(&number);
        if (number && pid != own) {
            pids.push_back(pid);
        }
    }
    return pids;
}

std::vector<std::string> LocalPortSystemView::OpenFilesOf(int pid) const
{
    std::vector<std::string> files;
    // Another user's processes cannot be looked into: they list nothing.
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QString target = fd.symLinkTarget();
        if (!target.isEmpty()) {
            files.push_back(target.toStdString());
        }
    }
    return files;
}

std::string LocalPortSystemView::ProcessName(int pid) const
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(comm.readAll()).trimmed().toStdString();
}

std::optional<std::string> LocalPortSystemView::ReadText(const std::string& path) const
{
    QFile file(Q(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return file.read(256).toStdString();
}

} // namespace tessaprint
