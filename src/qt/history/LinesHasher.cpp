#include "history/LinesHasher.h"

namespace tessaprint::history {

void LinesHasher::Add(std::string_view line)
{
    m_hash.addData(QByteArrayView(line.data(), static_cast<qsizetype>(line.size())));
    m_hash.addData(QByteArrayView("\r\n", 2));
}

std::string LinesHasher::Hex() const
{
    return m_hash.result().toHex().toStdString();
}

} // namespace tessaprint::history
