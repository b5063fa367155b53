#pragma once
// The import shell: the main window's state and logic, independent of any toolkit. It owns the
// connection, its transaction, the queries, the tables and the run state; it reaches the person
// only through TF_INView.
#include "app/FileRun.h"
#include "app/InputArchive.h"
#include "app/RunOutcome.h"
#include "app/TF_INView.h"
#include "db/IBDatabase.h"
#include "db/IBTransaction.h"
#include "db/SqlLogSettings.h"
#include "platform/Component.h"
#include "platform/DbfTable.h"
#include "platform/FolderLock.h"
#include "posting/ImportLedger.h"
#include "posting/JournalNumbers.h"
#include "posting/PostingEngine.h"
#include "posting/PostingQueries.h"

#include <optional>
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
    using Repost = FileRun::Repost;
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
    // Where the parameters file named by the program's argument is.
    static std::string ParamsFilePath(const std::string& arg);
    void ReadParamsFile(const std::string& paramsFile);
    void SetWorkList(const std::string& listText);
    void SetWorkList(std::vector<std::string> lines);
    void Run(Component* sender, bool check);
    void RunFiles(Component* sender);
    // Commits what the run left open and lets go of the file it held.
    void EndTransactions();
    void NothingToDo();
    // The exchange folder for this run alone; nothing (and the operator told why) when another
    // run holds it or it cannot be locked.
    std::optional<FolderLock> LockFolder(Component* sender, const InputArchive& archive);
    // Handles the listed files (converting those of a converting type); false when the run
    // ended before the list did.
    bool RunList(Component* sender, const InputArchive& archive,
                 const std::vector<std::string>& names, const std::string& converted,
                 bool allInOne);
    // Converts source into output (a check: in its own folder); false (run ended, source kept)
    // when output is still there.
    bool Convert(Component* sender, const std::string& source, const std::string& output,
                 const std::string& checkFolder);
    // Takes file number of count through the run and adds what became of it to the run's
    // outcome; false when the run must end.
    bool HandleFile(Component* sender, const InputArchive& archive, const std::string& folder,
                    const std::string& name, int number, int count);
    bool OpenLedger();
    // Ends the run early with an error message.
    void EndRun(Component* sender, const std::string& text);
    // What the operator is told once per run: what the type's mask matches that is no input.
    std::vector<std::string> InputNotices() const;

    TF_INView& view_;
    bool activated_ = false;
    bool running_ = false;
    std::string runWord_;
    RunOutcome lastRun_;
    std::string ledgerNotice_; // for the run log: why a stopped run cannot be resumed
};
