#include "history/LinesHash.h"

#include "history/LinesHasher.h"

namespace tessaprint::history {

std::string LinesHash(const std::vector<std::string>& lines)
{
    LinesHasher hash;
    for (const std::string& line : lines) {
        hash.Add(line);
    }
    return hash.Hex();
}

} // namespace tessaprint::history
