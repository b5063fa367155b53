#pragma once
// One listed file's way through a run: take-up in the bookkeeping (a new file, a stopped one
// resumed, content posted before refused), posting or checking, then its run log and archive.
// Whatever happens, it ends in one outcome value that says what became of the file; the run
// around it only adds that up.
#include "app/RunOutcome.h"

#include <optional>
#include <string>

class Component;
class DbfTable;
class ImportLedger;
class InputArchive;
class PostingEngine;
class PostingStopped;
class TF_INView;
struct FileProgress;

class FileRun {
public:
    // What a run does with a file whose content was posted in full before.
    enum class Repost { Ask, Refuse, Allow };

    // What the run hands each of its files.
    struct Context {
        TF_INView& View;
        const Component* Sender; // names the dialogs' sender
        DbfTable& Table;
        PostingEngine& Engine;
        ImportLedger& Ledger;
        const InputArchive& Archive;
        bool Check = false; // posts nothing, moves nothing, writes no log
        Repost RepostAnswer = Repost::Ask;
        std::string Type;         // the import type's code, for the bookkeeping
        std::string LedgerNotice; // for the run log: why a stopped run cannot be resumed
    };

    struct Outcome {
        RunOutcome::File File;
        std::string ErrorRecords; // of the rows rejected, for the run log
        std::string Log;          // the run log as written; empty when none was made
        bool RunGoesOn = true;
        std::string RunFailure; // why the run ends early, when it does (already shown)
    };

    static const char* const EndOfImport;
    static const char* const EndOfCheck;

    // What every run log says when the bookkeeping tables are missing (a check does not create
    // them); why: the database's reason.
    static std::string LedgerMissing(bool check, const std::string& why);

    explicit FileRun(Context context);

    // Takes the file name of folder through the run.
    Outcome Take(const std::string& folder, const std::string& name);

private:
    using Result = RunOutcome::File::Result;

    // Posts (or checks) the file; false when it is not taken up (the outcome says why).
    bool Post(const std::string& folder);
    // Where posting starts: the first row, or after the last row an earlier run handled;
    // nothing when the file is refused or left alone.
    std::optional<FileProgress> TakeUp(int rows);
    std::optional<FileProgress> Continue(const FileProgress& progress, double started, int rows);
    bool AskRepost(const std::string& posted);
    void Archive();
    void Stopped(const PostingStopped& stop);
    // The Err_ path: the file goes to the archive as failed, with its log.
    void Fail(std::string failure, Result result = Result::Failed);
    void LeaveAlone(const std::string& why);
    void Finish(Result result, const std::string& message = {});
    // Writes the file's run log (a check only composes it).
    void WriteRunLog(bool posted, const std::string& status);
    void EndRun(const std::string& text);
    void ShowError(const std::string& text);

    Context context_;
    Outcome outcome_;
    bool engineStarted_ = false; // the counts are the engine's
    std::string resumeNote_;     // for the run log: where this run took the file up
};
