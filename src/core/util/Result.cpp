#include "util/Result.h"

#include <cerrno>
#include <system_error>

namespace tessaprint {

std::uint32_t CodeForErrno(int errnoValue)
{
    switch (errnoValue) {
    case ENOENT:
    case ENOTDIR:
        return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
        return kErrorAccessDenied;
    case EROFS:
        return kErrorWriteProtected;
    case ENOSPC:
    case EDQUOT:
        return kErrorDiskFull;
    case ENAMETOOLONG:
        return kErrorNameTooLong;
    case EINVAL:
    case EILSEQ:
        return kErrorInvalidName;
    default:
        return kErrorFail;
    }
}

Error ErrnoError(int errnoValue, const std::string& what)
{
    return {CodeForErrno(errnoValue), what + ": " + std::generic_category().message(errnoValue)};
}

} // namespace tessaprint
