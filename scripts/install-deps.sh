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
               xvfb openbox x11-utils    # the main window under a real X server and window manager
               postgresql                # scripts/with-postgres.sh: a throwaway server for the history's tests
               locales                   # de_DE.UTF-8: the number tests under a decimal comma
               clang libclang-rt-14-dev) # the fuzz targets (libFuzzer)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
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
