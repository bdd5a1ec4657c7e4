#pragma once

#include "results/InstrumentKind.h"
#include "results/ResultsListing.h"
#include "results/ResultsTable.h"
#include "util/Result.h"

#include <CLI/CLI.hpp>

#include <string>

namespace tessaprint {

// Each command adds itself to the program's options; when it was chosen and
// its options parsed, its callback runs it and leaves the exit status in
// status. Results go to stdout, messages to stderr. Exit status 2 is for
// arguments the command cannot take.
void AddParseCommand(CLI::App& app, int& status);
void AddCaptureCommand(CLI::App& app, int& status, int argc, char** argv);
void AddDataSheetCommand(CLI::App& app, int& status);
void AddWorkOrderCommand(CLI::App& app, int& status);
void AddCsvCommand(CLI::App& app, int& status);
void AddHistoryCommand(CLI::App& app, int& status, int argc, char** argv);

// The input of a command: a raw transcript or a saved line list, exactly one.
struct InputFile {
    std::string transcript;
    std::string capture;

    const std::string& path() const { return transcript.empty() ? capture : transcript; }
    bool IsTranscript() const { return !transcript.empty(); }
};
// Adds --transcript and --capture, of which exactly one must be given.
void AddInputOptions(CLI::App& command, InputFile& input);

// Reads a saved transcript (raw bytes) or capture (line list) and parses it.
Result<void> LoadResults(const InputFile& input, ResultsTable& table, ResultsListing& listing);
// Parses what a transcript or capture file holds.
void Replay(std::string_view content, bool transcript, ResultsTable& table, ResultsListing& listing);

// quellmax, kappa or pactrx.
CLI::Option* AddKindOption(CLI::App& command, InstrumentKind& kind);
// 0 or 1.
CLI::Option* AddWord2007Option(CLI::App& command, int& word2007);

// --pdf, and --office PATH with it: a PDF copy of each document written.
struct PdfCopyOptions {
    bool pdf = false;
    std::string office;
};
void AddPdfCopyOptions(CLI::App& command, PdfCopyOptions& options);
// Makes the PDF copy of a document just written as the window does, but
// waits for it: prints its path on stdout, or the reason on stderr. The
// document stays either way; false when there is no copy.
bool WritePdfCopy(const PdfCopyOptions& options, const std::string& document);

} // namespace tessaprint
