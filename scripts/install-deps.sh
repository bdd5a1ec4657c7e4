#!/usr/bin/env bash
# Installs the Debian packages Tessaprint builds with; skips what is already
# there. Safe to run again. With --tests it adds what the tests use besides
# (LibreOffice, to open every document in a word processor nobody here wrote).
set -euo pipefail

packages=(
    build-essential cmake pkg-config     # compiler and build
    qt6-base-dev qt6-serialport-dev      # Qt Widgets, QSettings, Qt SerialPort
    qt6-svg-dev                          # Qt's SVG plugins, which draw the program icon
    libqt6sql6-sqlite                    # Qt SQL's SQLite driver: the test history's own file
    libqt6sql6-psql                      # Qt SQL's PostgreSQL driver: a shared test history
    qt6-charts-dev libqt6opengl6-dev     # the History window's chart (Qt Charts' CMake files need OpenGL's)
    libgl-dev                            # needed by Qt's GUI CMake files
    nlohmann-json3-dev                   # JSON records read by tessaprint-cli
    libcli11-dev                         # options of tessaprint-cli
    libzip-dev                           # .docx packages
    libgtest-dev libgmock-dev            # unit tests
    libbenchmark-dev                     # benchmark program
    clang-format                         # the code layout check
)

if [ "${1:-}" = "--tests" ]; then
    packages+=(libreoffice-writer-nogui
               libreoffice-calc-nogui    # Calc reads the exported CSV back
               poppler-utils             # pdftotext: what the printed page shows
               fonts-crosextra-carlito fonts-liberation # metric twins of Calibri and Times New Roman
               python3                   # the command-line checks read JSON with it
               desktop-file-utils        # desktop-file-validate checks the installed desktop entry
               postgresql                # scripts/with-postgres.sh: a throwaway server for the history's tests
               clang libclang-rt-14-dev) # the fuzz targets (libFuzzer)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
