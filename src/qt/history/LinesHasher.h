#pragma once

#include <QCryptographicHash>

#include <string>
#include <string_view>

namespace tessaprint::history {

// LinesHash taken a line at a time, for lines that are not kept.
class LinesHasher {
public:
    void Add(std::string_view line);
    // The hex SHA-256 of the lines added so far.
    std::string Hex() const;

private:
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
};

} // namespace tessaprint::history
