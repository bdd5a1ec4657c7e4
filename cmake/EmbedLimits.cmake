# Writes OUTPUT, a C++ source that returns each shipped limits file as bytes.
# Run as: cmake -DOUTPUT=... -DFILES=a.json,b.json -P EmbedLimits.cmake
# (the first file is the default profile; a profile is named after its file).
string(REPLACE "," ";" FILES "${FILES}")
set(entries "")
set(arrays "")
set(index 0)
foreach(file ${FILES})
    get_filename_component(name "${file}" NAME_WE)
    file(READ "${file}" hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
    string(APPEND arrays "const char kFile${index}[] = {${bytes} 0};\n")
    string(APPEND entries "        {\"${name}\", {kFile${index}, sizeof kFile${index} - 1}},\n")
    math(EXPR index "${index} + 1")
endforeach()

file(WRITE "${OUTPUT}.tmp" "// Generated from resources/limits/ at build time.
#include \"verdict/ShippedLimits.h\"

namespace tessaprint::verdict {
namespace {
${arrays}} // namespace

const std::vector<std::pair<std::string_view, std::string_view>>& ShippedLimitsFiles()
{
    static const std::vector<std::pair<std::string_view, std::string_view>> files{
${entries}    };
    return files;
}

} // namespace tessaprint::verdict
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
