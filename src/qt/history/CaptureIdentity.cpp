#include "history/CaptureIdentity.h"

#include <QUuid>

namespace tessaprint::history {

namespace {

// The name space of the derived identities (itself a random UUID, fixed for good).
const QUuid kDerivedIdentities(QStringLiteral("{5d1c3a0e-7b62-4f7e-9a41-2c8e6f0b9d13}"));

std::string Derived(const std::string& key)
{
    return QUuid::createUuidV5(kDerivedIdentities, QByteArray::fromStdString(key))
        .toString(QUuid::WithoutBraces)
        .toStdString();
}

} // namespace

std::string CaptureIdentity(const HistoryCaptureInfo& capture)
{
    return capture.captureId.empty() ? Derived(LegacyCaptureKey(capture)) : capture.captureId;
}

std::string SavedCaptureIdentity(const std::string& linesHash)
{
    HistoryCaptureInfo saved;
    saved.linesHash = linesHash;
    return Derived(LegacyCaptureKey(saved));
}

} // namespace tessaprint::history
