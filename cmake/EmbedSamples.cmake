# Writes OUTPUT, a C++ source that returns each sample printout as bytes.
# Run as: cmake -DOUTPUT=... -DQUELLMAX=... -DKAPPA=... -DPACTRX=... -P EmbedSamples.cmake
function(embed_bytes var file)
    file(READ "${file}" hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
    set(${var} "${bytes}" PARENT_SCOPE)
endfunction()

embed_bytes(quellmax "${QUELLMAX}")
embed_bytes(kappa "${KAPPA}")
embed_bytes(pactrx "${PACTRX}")

file(WRITE "${OUTPUT}.tmp" "// Generated from samples/ at build time.
#include \"sim/SamplePrintouts.h\"

namespace tessaprint {
namespace {
const char kQuellmax[] = {${quellmax} 0};
const char kKappa[] = {${kappa} 0};
const char kPactrx[] = {${pactrx} 0};
} // namespace

std::string_view SamplePrintout(InstrumentKind kind)
{
    switch (kind) {
    case InstrumentKind::Quellmax:
        return {kQuellmax, sizeof kQuellmax - 1};
    case InstrumentKind::Kappa5100:
        return {kKappa, sizeof kKappa - 1};
    case InstrumentKind::Pactrx:
        return {kPactrx, sizeof kPactrx - 1};
    }
    return {};
}

} // namespace tessaprint
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
