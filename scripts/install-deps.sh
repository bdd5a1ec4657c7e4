#!/usr/bin/env bash
# Installs the Debian packages Tessaprint builds with; skips what is already
# there. Safe to run again. With --tests it adds what the tests use besides
# (LibreOffice, to open every document in a word processor nobody here wrote;
# the de_DE.UTF-8 locale, under which the number tests run a second time).
set -euo pipefail

packages=(
    build-essential cmake pkg-config     # compiler and build
    qt6-base-dev qt6-serialport-dev      # Qt Widgets, QSettings, Qt SerialPort
    qt6-svg-dev                          # Qt's SVG plugins, which draw the program icon
    libqt6sql6-sqlite                    # Qt SQL's SQLite driver: the test history's own file
    libqt6sql6-psql                      # Qt SQL's PostgreSQL driver: a shared test history
    qt6-charts-dev libqt6opengl6-dev     # the History window's chart (Qt Charts' CMake files need OpenGL's)
    libgl-dev                            # needed by Qt's GUI CMake files
    libcli11-dev                         # options of tessaprint-cli
    libzip-dev                           # .docx packages
    libjsoncpp-dev                       # limits files
    libgtest-dev libgmock-dev            # unit tests
    libbenchmark-dev                     # benchmark program
    dpkg-dev                             # dpkg-shlibdeps: the Debian package's dependencies (the package target)
)

if [ "${1:-}" = "--tests" ]; then
    packages+=(libreoffice-writer-nogui
               libreoffice-calc-nogui    # Calc reads the exported CSV back
               poppler-utils             # pdftotext: what the printed page shows
               fonts-crosextra-carlito fonts-liberation # metric twins of Calibri and Times New Roman
               python3                   # the command-line checks read JSON with it
               desktop-file-utils        # desktop-file-validate checks the installed desktop entry
               appstream                 # appstreamcli validates the package's metainfo
               groff-base                # the manual pages are checked for troff warnings
               xvfb openbox x11-utils    # the main window under a real X server and window manager
               postgresql                # scripts/with-postgres.sh: a throwaway server for the history's tests
               locales                   # de_DE.UTF-8: the number tests under a decimal comma
               clang)                    # the fuzz targets (libFuzzer; its runtime below)
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
updated=""
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
# Whether the system's archive has a package; the package lists are read afresh once when it seems not to.
available() {
    apt-cache show "$1" >/dev/null 2>&1 && return 0
    [ -n "$updated" ] && return 1
    $sudo apt-get update -qq
    updated=1
    apt-cache show "$1" >/dev/null 2>&1
}
install_missing() {
    local missing=() package
    for package in "$@"; do
        installed "$package" || missing+=("$package")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        [ -n "$updated" ] || $sudo apt-get update -qq
        updated=1
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

# The code layout is clang-format 14's (scripts/clang-format-pinned.sh); where the system has no
# clang-format-14, the format check is skipped and says so.
if ! installed clang-format-14 && available clang-format-14; then
    packages+=(clang-format-14)
fi
install_missing "${packages[@]}"

# The fuzz targets link clang's own libFuzzer and sanitizer runtime, of the very version of the
# clang found: libclang-rt-N-dev where the system splits it out (else clang-N brings it).
if [ "${1:-}" = "--tests" ]; then
    clang_major=$(clang --version | sed -n 's/.*clang version \([0-9][0-9]*\)\..*/\1/p' | head -n1)
    if [ -z "$clang_major" ]; then
        echo "Cannot tell the version of clang from: $(clang --version | head -n1)" >&2
        exit 1
    fi
    if installed "libclang-rt-$clang_major-dev" || available "libclang-rt-$clang_major-dev"; then
        install_missing "libclang-rt-$clang_major-dev"
    fi
fi

# A locale that writes 0,5 for 0.5: the tests of every number the instrument
# prints run under it too. Generated once; later runs find it.
if [ "${1:-}" = "--tests" ] && ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
    echo "Generating the locale de_DE.UTF-8"
    if ! grep -q '^de_DE\.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
        if grep -q '^# *de_DE\.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
            $sudo sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
        else
            echo 'de_DE.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
        fi
    fi
    $sudo locale-gen
fi
