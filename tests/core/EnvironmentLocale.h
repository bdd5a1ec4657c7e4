#pragma once

#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace tessaprint::test {

// The exit status of a test program that cannot run as asked: ctest counts it
// as skipped where the test says so (the runs under another locale).
inline constexpr int kSkipped = 77;

// Takes the locale the environment names, as the window's toolkit does at
// start-up, so that the tests run under LC_ALL=de_DE.UTF-8 see what a user
// with a decimal comma sees. False, with the reason on stderr, when LC_ALL
// names a locale this machine does not have: such a run would prove nothing.
inline bool TakeEnvironmentLocale()
{
    if (std::setlocale(LC_ALL, "") != nullptr) {
        return true;
    }
    const char* wanted = std::getenv("LC_ALL");
    if (wanted == nullptr || *wanted == '\0') {
        return true; // a LANG or LC_* that does not exist: the "C" locale stays, as in the program
    }
    std::fprintf(stderr,
                 "The locale %s that LC_ALL names is not installed; scripts/install-deps.sh --tests "
                 "generates de_DE.UTF-8.\n",
                 wanted);
    return false;
}

} // namespace tessaprint::test
