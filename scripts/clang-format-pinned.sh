# Sourced by the scripts that lay out or check the code. The layout is that of
# clang-format 14: other versions lay out some lines otherwise, so only 14 is
# used. Sets clang_format to its command, or leaves it empty and says why in
# clang_format_missing.
clang_format=""
clang_format_missing=""
if command -v clang-format-14 >/dev/null; then
    clang_format=clang-format-14
elif command -v clang-format >/dev/null; then
    if clang-format --version | grep -q 'version 14\.'; then
        clang_format=clang-format
    else
        clang_format_missing="the clang-format here is not version 14 ($(clang-format --version | head -n1))"
    fi
else
    clang_format_missing="clang-format 14 is not installed"
fi
