#pragma once
// The import shell: the main window's state and logic, independent of any toolkit. It owns the
// connection, its transaction, the queries, the tables and the run state; it reaches the person
// only through TF_INView.
#include "app/InputArchive.h"
#include "app/RunOutcome.h"
#include "app/TF_INView.h"
#include "db/IBDatabase.h"
#include "db/IBTransaction.h"
#include "db/SqlLogSettings.h"
#include "platform/Component.h"
#include "platform/DbfTable.h"
#include "posting/ImportLedger.h"
#include "posting/JournalNumbers.h"
#include "posting/PostingEngine.h"
#include "posting/PostingQueries.h"

#include <string>
#include <vector>

class TF_IN : public Component {
public:
    // The owner stands for the application object (nameless, so sender lines read "( .F_IN").
    explicit TF_IN(TF_INView& view, Component* application = nullptr);
    ~TF_IN() override;

    enum class StartResult { Started, Closed, Failed };

    // Window events.
    void FormCreate(const std::string& exePath);
    // Runs the start-up sequence the first time only. args are the command-line arguments
    // without the program name. actOnRunWord is false for the console runner, which runs once
    // whatever the parameters file says.
    StartResult FormActivate(const std::vector<std::string>& args, bool actOnRunWord = true);
    void CmbTipChange(const std::string& text);
    // IMPORT: one run over the work list.
    void Button1Click(Component* sender);
    // The check: the same run, posting nothing (RunOutcome says what posting would do). It
    // moves, renames and deletes no file and writes no log; the database stays as it was apart
    // from the identifier generators.
    void Button3Click(Component* sender);
    void FormClose();

    int ShowMsg(const std::string& text, const std::string& buttons = {});
    int ShowErrMsg(const Component* sender, const std::string& text,
                   const std::string& buttons = {});

    // Names of the entries of folder matching mask, each followed by CR LF.
    static std::string ListFiles(const std::string& folder, const std::string& mask);

    using RunOutcome = ::RunOutcome;
    // What a run does with a file whose content was posted in full before.
    enum class Repost { Ask, Refuse, Allow };
    Repost RepostAnswer = Repost::Ask;
    const RunOutcome& LastRun() const { return lastRun_; }
    bool Running() const { return running_; }
    const std::string& RunWord() const { return runWord_; }

    // Window elements that act as message senders.
    Component Button1;
    Component Button3; // the check

    IBDatabase DB1;
    IBTransaction TR1;
    // The SQL log of the window's queries.
    SqlLogSettings SqlLog;
    PostingQueries Posting;
    IBQuery &IB1, &IB2, &IB3, &IB4, &IB5;
    TEQuery &EQ1, &EQ2, &EQ3, &EQ4, &EQ5;
    IBStoredProc& SP1;
    DbfTable Dbf1;
    DbfTable dbfWber;

    std::string ExePath;
    std::string ExchangeFolder;
    std::string RunReport;
    ::JournalNumbers JournalNumbers;
    std::vector<std::string> Memo1; // the work list
    std::string Memo2;              // the log of the last input file
    std::string CmbTipText;
    // Holds the working year of the last run after it ended.
    PostingEngine Engine;
    // The bookkeeping of the input files in the database, which makes a stopped run resumable.
    ImportLedger Ledger;

private:
    void SetWorkList(const std::string& listText);
    void SetWorkList(std::vector<std::string> lines);
    void Run(Component* sender, bool check);
    void RunFiles(Component* sender);
    // The converted table this run's source becomes (BANK1, or a payroll source heading the
    // list), or empty.
    std::string ConversionOutput() const;
    // Whether a converted table of an earlier run still waits in the exchange folder.
    bool ConvertedTableLeft(const std::string& output) const;
    // What a converting run handles: such a table first, then the first source listed.
    std::vector<std::string> ConversionList(const std::string& output) const;
    // Converts source into output (a check: in its own folder); false (run ended, source kept)
    // when output is still there.
    bool Convert(Component* sender, const std::string& source, const std::string& output,
                 const std::string& checkFolder);
    // Posts one file (of folder) and archives it with its run log, noting what became of it in
    // the run's outcome; false when the run must end.
    bool HandleFile(Component* sender, const std::string& name, const InputArchive& archive,
                    const std::string& folder);
    bool PostAndArchive(Component* sender, const std::string& name, const InputArchive& archive,
                        const std::string& folder);
    // What became of the file in hand.
    void Finished(RunOutcome::File::Result result, const std::string& message = {});
    // Archives a posted file with its run log; false when the run must end.
    bool Archive(Component* sender, const InputArchive& archive, const std::string& name,
                 const std::string& key);
    // Posts (or checks) one file; the caller archives it.
    void PostFile(const std::string& folder, const std::string& name, const std::string& key);
    // Where posting the file starts: from its first row, or after the last row an earlier run
    // handled. Throws for a file that is not to be posted now.
    FileProgress TakeUp(const std::string& name, const std::string& key, int rows);
    bool OpenLedger();
    // Sets Memo2 to the file's run log and writes it (a check writes nothing).
    bool WriteRunLog(Component* sender, const InputArchive& archive, bool posted,
                     const std::string& name, const std::string& status);
    // Ends the run early with an error message.
    void EndRun(Component* sender, const std::string& text);
    // What the operator is told once per run: what the type's mask matches that is no input.
    std::vector<std::string> InputNotices() const;

    TF_INView& view_;
    bool activated_ = false;
    bool running_ = false;
    bool check_ = false; // the run in hand is a check
    std::string runWord_;
    RunOutcome lastRun_;
    RunOutcome::File* file_ = nullptr; // the file in hand, in lastRun_
    bool engineStarted_ = false;       // on the file in hand: its counts are the engine's
    bool logMade_ = false;             // for the file in hand: Memo2 is its log
    int fileNumber_ = 0, fileCount_ = 0;
    std::string ledgerNotice_; // for the run log: bookkeeping objects missing
    std::string resumeNote_;   // for the run log: where this run took the file up
};
