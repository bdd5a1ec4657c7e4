#include "history/LinesHash.h"

#include <QCryptographicHash>

namespace tessaprint::history {

std::string LinesHash(const std::vector<std::string>& lines)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const std::string& line : lines) {
        hash.addData(QByteArrayView(line.data(), static_cast<qsizetype>(line.size())));
        hash.addData(QByteArrayView("\r\n", 2));
    }
    return hash.result().toHex().toStdString();
}

} // namespace tessaprint::history
