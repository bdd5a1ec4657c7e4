#pragma once

#include "results/InstrumentKind.h"
#include "results/ResultsListing.h"
#include "results/ResultsTable.h"
#include "util/Result.h"
#include "verdict/VerdictEngine.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>
#include <string>
#include <vector>

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
void AddLimitsCommand(CLI::App& app, int& status);
void AddVerdictCommand(CLI::App& app, int& status);
void AddInventoryCommand(CLI::App& app, int& status);
void AddDueCommand(CLI::App& app, int& status);

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

// A path given on the command line: a relative one means the current folder,
// so it is made absolute before any rule of the program's own sees it (a
// relative reports folder in the settings goes below the built-in one). An
// empty value stays empty.
std::string CommandLinePath(const std::string& path);

// Where a file is asked for, "-" is stdout.
inline const std::string kStdoutPath = "-";
// Writes an output file named on the command line: "-" to stdout, anything
// else as WriteWholeFile does (a regular file replaced in one step, a link's
// file, a FIFO or a device written directly), waiting for a FIFO's reader.
// The error names the path and the reason.
Result<void> WriteOutputFile(const std::string& path, const std::string& content);
// Whether WriteOutputFile could write there now (nothing to check for "-" or
// no path): for a command whose output would be lost if it failed at the end.
Result<void> CheckOutputFile(const std::string& path);

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
// The PDF copies of documents just written, in one batch: each copy's path
// printed on stdout as it appears, each failure on stderr; how many failed.
int WritePdfCopies(const PdfCopyOptions& options, const std::vector<std::string>& documents);

// --verdicts, and --inventory FILE (else the list the history at --db or the
// default one keeps; no history there: no list), --limits FILE and --profile
// NAME, which need it: a command's output judged against the limits of a
// standard.
struct VerdictOptions {
    bool verdicts = false;
    std::string inventory;
    std::string limits;
    std::string profile;
    std::string db; // the history whose equipment list is read without --inventory
};
// Returns the --verdicts flag.
CLI::Option* AddVerdictOptions(CLI::App& command, VerdictOptions& options);
// The engine the options ask for; nullptr without --verdicts. A file that
// does not load or check, or an unknown profile, is its error, never
// verdicts with silent defaults: the message is printed and `exitStatus` is
// 1 (a file) or 2 (a profile name no file gives, a bad argument).
std::optional<std::shared_ptr<const verdict::VerdictEngine>> MakeVerdictEngineFor(const VerdictOptions& options,
                                                                                  int& exitStatus);
// The same with the equipment list given (the history's own), or none for
// the options' --inventory.
std::optional<std::shared_ptr<const verdict::VerdictEngine>>
MakeVerdictEngineWith(const VerdictOptions& options, std::optional<std::vector<verdict::Device>> equipment,
                      int& exitStatus);
// How a fault names the list the history keeps.
inline const std::string kStoredEquipmentName = "the history's equipment list";

} // namespace tessaprint
