// A stopped run never loses or doubles a row: the real console runner is stopped at random
// rows (it pauses itself at the row a test names, so no machine is too fast for the stop) and
// run again until a run ends, and then the database, the archive and the run logs equal those of
// one uninterrupted run of the same input. INZEFOR_KILL_POINTS=N multiplies the kills;
// INZEFOR_TEST_SEED=N repeats the stops of a run that printed that seed.
#include "app/BankConversion.h"
#include "app/PayrollConversion.h"
#include "db/IBQuery.h"
#include "fixtures/DbfWriter.h"
#include "fixtures/MixedInputs.h"
#include "fixtures/PostingSnapshot.h"
#include "fixtures/TempDir.h"
#include "fixtures/TestDatabase.h"
#include "fixtures/TestServer.h"
#include "platform/ContentKey.h"
#include "platform/DbfTable.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <poll.h>
#include <random>
#include <spawn.h>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

int KillFactor() {
    const char* factor = std::getenv("INZEFOR_KILL_POINTS");
    return factor && std::atoi(factor) > 0 ? std::atoi(factor) : 1;
}

// An exchange folder run by the console runner as a scheduled job would run it, with an
// embedded database of its own or one that several sites share on the test server.
class Site {
public:
    Site() : own_(std::make_unique<TestDatabase>()), db_(*own_) {
        MixedInputs::LoadReference(db_);
        Prepare();
    }
    explicit Site(TestDatabase& shared) : db_(shared) {
        // Connection lines make the runner delete its parameters file once read.
        connection_ = "user_name=SYSDBA\r\npassword=" + TestServer::Password() + "\r\n";
        Prepare();
    }

    fs::path Exchange() const { return dir_ / "exchange"; }

    // Starts a run; with a pause ("NAME:TURN") the run stops itself there.
    pid_t Start(const std::string& type, const std::string& pause = {}) {
        return Spawn(Prepared(type), pause);
    }
    // A run with options of its own instead of a type and a year.
    int RunWith(const std::vector<std::string>& options) { return Wait(Spawn(Prepared(options))); }

    // Runs until the run pauses at `pause`, sends it `signal` there and lets it go on. Returns
    // as Wait, or -1 when the run ended without coming to the pause.
    int RunStoppedAt(const std::string& type, const std::string& pause, int signal) {
        const pid_t pid = Start(type, pause);
        int status = 0;
        if (waitpid(pid, &status, WUNTRACED) != pid || !WIFSTOPPED(status)) return -1;
        kill(pid, signal);
        kill(pid, SIGCONT);
        return Wait(pid);
    }

    // The exit status, or 128 + the signal that ended it.
    static int Wait(pid_t pid) {
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    int Run(const std::string& type) { return Wait(Start(type)); }

    std::string Output() const { return dir_.Read("runs.out"); }

    // The archive as a clean run leaves it: names, the content keys of the inputs, the logs
    // without the line that says where a run took a file up again.
    std::map<std::string, std::string> Archive() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(Exchange() / "in_arch")) {
            const std::string name = entry.path().filename().string();
            if (name == "Feladas.dbf" || name == "InZEFOR.lock") continue;
            if (!name.ends_with(".log")) {
                files[name] = ContentKey::OfFile(entry.path().string());
                continue;
            }
            std::string kept;
            for (const std::string& line : text::SplitLines(dir_.Read("exchange/in_arch/" + name)))
                if (!line.starts_with("Resumed after row ")) kept += line + "\r\n";
            files[name] = kept;
        }
        return files;
    }

    std::vector<std::string> Left() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Exchange()))
            if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
        return names;
    }

    std::vector<std::string> Contents() {
        db_.Db().Connect();
        std::vector<std::string> rows = PostingSnapshot(db_);
        db_.Db().Disconnect();
        return rows;
    }

private:
    // Strings (arguments, environment) and the array of pointers to them that a new process
    // takes.
    struct Command {
        explicit Command(std::vector<std::string> args) : Args(std::move(args)) {
            for (std::string& arg : Args)
                Pointers.push_back(arg.data());
            Pointers.push_back(nullptr);
        }
        Command(const Command&) = delete;
        Command& operator=(const Command&) = delete;
        char* const* Argv() { return Pointers.data(); }

        std::vector<std::string> Args;
        std::vector<char*> Pointers;
    };

    pid_t Spawn(Command&& command, const std::string& pause = {}) {
        std::vector<std::string> variables;
        if (!pause.empty()) variables.push_back("INZEFOR_TEST_PAUSE=" + pause);
        for (char** variable = environ; *variable; ++variable)
            if (!std::string_view(*variable).starts_with("INZEFOR_TEST_PAUSE="))
                variables.emplace_back(*variable);
        Command environment(std::move(variables));
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string out = (dir_ / "runs.out").string();
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                         0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        pid_t pid = 0;
        const int rc =
            posix_spawn(&pid, INZEFOR_BATCH, &actions, nullptr, command.Argv(), environment.Argv());
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) throw std::runtime_error("cannot start " + std::string(INZEFOR_BATCH));
        return pid;
    }

    Command Prepared(const std::string& type) {
        return Prepared({"--type=" + type, "--year=2012"});
    }
    Command Prepared(std::vector<std::string> options) {
        const std::string params = dir_.Write("params" + std::to_string(++starts_) + ".txt",
                                              "Interrupted site\r\n" + Exchange().string() +
                                                  "/\r\n" + db_.Path() + "\r\n\r\n" + connection_)
                                       .string();
        options.insert(options.begin(), INZEFOR_BATCH);
        options.push_back(params);
        return Command(std::move(options));
    }

    void Prepare() {
        fs::create_directories(Exchange() / "in_arch");
        DbfWriter::CreatePostingTable(Exchange() / "in_arch" / "Feladas.dbf");
        // The runner opens the database itself; an embedded one takes one process.
        db_.Db().Disconnect();
    }

    TempDir dir_;
    std::unique_ptr<TestDatabase> own_;
    TestDatabase& db_;
    std::string connection_;
    int starts_ = 0;
};

// How a scenario writes its input into an exchange folder.
using Writer = std::function<void(const fs::path& exchange)>;

class Interruption : public ::testing::Test {
protected:
    // Runs the input once, uninterrupted, at a site of its own: what every stopped run is
    // compared with. Returns the rows of the table the run posts (a conversion's rows).
    int Reference(const std::string& type, const Writer& write) {
        write(clean_.Exchange());
        // The mixed tables have vouchers the database refuses: their rows are rejected (4).
        cleanStatus_ = clean_.Run(type);
        EXPECT_TRUE(cleanStatus_ == 0 || cleanStatus_ == 4) << clean_.Output();
        DbfTable work;
        work.FolderName = (clean_.Exchange() / "in_arch").string();
        work.TableName = "Feladas.dbf";
        work.Open();
        return work.RecordCount();
    }

    // Where a run is stopped: the file, the run's turn in it (a converted record or a posted
    // row) and the signal.
    struct StopAt {
        std::string File;
        int Turn;
        int Signal;
    };

    // At a random record of a conversion of `records`: the next run converts anew.
    StopAt InConversion(const std::string& source, int records) {
        return {source, std::uniform_int_distribution(1, records)(random_), SIGKILL};
    }

    // At a random row of a table of `rows`, within its share of the rows the earlier stops
    // left, so that the `left` stops to come, this one included, and the run that ends the file
    // find rows left.
    StopAt AtRandomRow(const std::string& table, int rows, int signal, int left) {
        const int turn =
            std::uniform_int_distribution(1, std::max(1, (rows - done_) / (left + 1)))(random_);
        // A killed run's row in hand rolls back; a stopped run's commits.
        done_ += signal == SIGKILL ? turn - 1 : turn;
        return {table, turn, signal};
    }

    // Runs the stopped site again and again, each run stopped where `stop` says, told how many
    // runs are stopped and how many are still to be, until `kills` runs were stopped; then runs
    // it to its end and compares it with the clean one.
    void StopAndCompare(const std::string& type, int kills,
                        const std::function<StopAt(int stopped, int left)>& stop,
                        int stoppedStatus) {
        for (int stopped = 0; stopped < kills; ++stopped) {
            const StopAt at = stop(stopped, kills - stopped);
            const std::string pause = at.File + ":" + std::to_string(at.Turn);
            ASSERT_EQ(stopped_.RunStoppedAt(type, pause, at.Signal), stoppedStatus)
                << "stopped at " << pause << " (-1: the run never came there)\n"
                << stopped_.Output();
        }
        // The run that ends the file says what the clean one said, unless its own rows had
        // none rejected.
        const int last = stopped_.Run(type);
        EXPECT_TRUE(last == cleanStatus_ || last == 0) << stopped_.Output();
        // A run with nothing left to do finds nothing.
        EXPECT_EQ(stopped_.Run(type), 0) << stopped_.Output();
        SameAsClean();
    }

    void SameAsClean() {
        EXPECT_EQ(stopped_.Left(), clean_.Left());
        EXPECT_EQ(stopped_.Archive(), clean_.Archive());
        const std::vector<std::string> expected = clean_.Contents(), got = stopped_.Contents();
        ASSERT_GT(expected.size(), 1000u);
        EXPECT_EQ(got.size(), expected.size());
        for (std::size_t i = 0; i < std::min(got.size(), expected.size()); ++i)
            ASSERT_EQ(got[i], expected[i]) << "first difference at entry " << i;
    }

    // A sender writes the table as a copy does (the final header first, then the records) or as
    // an appending writer does (a header announcing no records, the count set when it closes).
    // It writes a third, says so, and goes on a record at a time until told to finish, its last
    // record kept for then. Only system calls: the test has threads.
    [[noreturn]] static void WriteSlowly(const std::string& bytes, const std::string& to, bool copy,
                                         int ready, int go) {
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
        const std::size_t header = b[8] | b[9] << 8, record = b[10] | b[11] << 8;
        const std::size_t end = header + (b[4] | b[5] << 8 | b[6] << 16) * record;
        const int fd = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::size_t at = header + (end - header) / record / 3 * record;
        bool ok = write(fd, b, at) == ssize_t(at) && (copy || pwrite(fd, "\0\0\0\0", 4, 4) == 4);
        ok = ok && write(ready, "x", 1) == 1;
        pollfd told{go, POLLIN, 0};
        for (; ok && at + record < end && poll(&told, 1, 20) == 0; at += record)
            ok = write(fd, b + at, record) == ssize_t(record);
        if (ok) poll(&told, 1, -1);
        ok = ok && write(fd, b + at, bytes.size() - at) == ssize_t(bytes.size() - at);
        _exit(ok && (copy || pwrite(fd, b + 4, 4, 4) == 4) && close(fd) == 0 ? 0 : 1);
    }

    // The run started while the sender writes meets the table unfinished: it leaves it where it
    // is, says so and exits 0. The run after the sender has finished takes it a moment later,
    // and every row is posted once.
    void RaceWith(bool copy) {
        const Writer write = [](const fs::path& exchange) {
            MixedInputs::WritePostingTable(exchange / "feladas01.dbf", 1200);
        };
        Reference("SZLA1", write);
        write(stopped_.Exchange().parent_path());
        std::ifstream in(stopped_.Exchange().parent_path() / "feladas01.dbf", std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        const std::string to = (stopped_.Exchange() / "feladas01.dbf").string();
        int ready[2], go[2];
        ASSERT_EQ(pipe2(ready, O_CLOEXEC) | pipe2(go, O_CLOEXEC), 0);
        const pid_t writer = fork();
        if (writer == 0) {
            close(go[1]);
            WriteSlowly(bytes, to, copy, ready[1], go[0]);
        }
        close(go[0]);
        close(ready[1]);
        char said = 0;
        ASSERT_EQ(read(ready[0], &said, 1), 1);
        setenv("INZEFOR_SETTLE", "1", 1);
        EXPECT_EQ(stopped_.Run("SZLA1"), 0) << stopped_.Output();
        EXPECT_NE(stopped_.Output().find("feladas01.dbf"), std::string::npos);
        EXPECT_NE(stopped_.Output().find("it is left for a later run"), std::string::npos);
        EXPECT_EQ(stopped_.Left(), std::vector<std::string>{"feladas01.dbf"});
        close(go[1]);
        EXPECT_EQ(Site::Wait(writer), 0);
        EXPECT_EQ(stopped_.Run("SZLA1"), cleanStatus_) << stopped_.Output();
        EXPECT_EQ(stopped_.Run("SZLA1"), 0) << stopped_.Output();
        SameAsClean();
    }

    // Printed, so that a failure can be repeated with INZEFOR_TEST_SEED.
    static unsigned Seed() {
        const char* given = std::getenv("INZEFOR_TEST_SEED");
        const unsigned seed = given ? std::strtoul(given, nullptr, 10) : std::random_device{}();
        std::cout << "INZEFOR_TEST_SEED=" << seed << std::endl;
        return seed;
    }

    Site clean_, stopped_;
    int cleanStatus_ = 0;
    int done_ = 0; // rows of the posted table in after the stops so far
    std::mt19937 random_{Seed()};
};

TEST_F(Interruption, PostingTableKilledAtRandomPoints) {
    const Writer write = [](const fs::path& exchange) {
        MixedInputs::WritePostingTable(exchange / "feladas01.dbf", 2000);
    };
    Reference("SZLA1", write);
    write(stopped_.Exchange());
    StopAndCompare(
        "SZLA1", 8 * KillFactor(),
        [&](int, int left) { return AtRandomRow("feladas01.dbf", 2000, SIGKILL, left); }, 137);
}

TEST_F(Interruption, StatementKilledWhileConvertedAndWhilePosted) {
    const Writer write = [](const fs::path& exchange) {
        MixedInputs::WriteStatement(exchange / "KVF0001.TXT", 1000);
    };
    const int rows = Reference("BANK1", write);
    write(stopped_.Exchange());
    StopAndCompare(
        "BANK1", 7 * KillFactor(),
        [&](int stopped, int left) {
            return stopped < 2 ? InConversion("KVF0001.TXT", 1000)
                               : AtRandomRow(BankConversion::Output, rows, SIGKILL, left);
        },
        137);
}

TEST_F(Interruption, PayrollKilledWhileConvertedAndWhilePosted) {
    const Writer write = [](const fs::path& exchange) {
        MixedInputs::WritePayroll(exchange / "FKBER.DBF", 1000);
    };
    const int rows = Reference("FKBER", write);
    write(stopped_.Exchange());
    StopAndCompare(
        "FKBER", 7 * KillFactor(),
        [&](int stopped, int left) {
            return stopped < 2 ? InConversion("FKBER.DBF", 1000)
                               : AtRandomRow(PayrollConversion::Output, rows, SIGKILL, left);
        },
        137);
}

TEST_F(Interruption, CopyInProgressIsLeftAndPostedOnceWhenWhole) {
    RaceWith(true);
}

TEST_F(Interruption, AppendingWriterIsLeftAndPostedOnceWhenClosed) {
    RaceWith(false);
}

// SIGTERM and SIGINT stop between rows: the run says so and exits 3, the next run goes on.
TEST_F(Interruption, TerminateAndInterruptStopBetweenRows) {
    const Writer write = [](const fs::path& exchange) {
        MixedInputs::WritePostingTable(exchange / "feladas01.dbf", 2000);
    };
    Reference("SZLA1", write);
    write(stopped_.Exchange());
    StopAndCompare(
        "SZLA1", 4,
        [&](int stopped, int left) {
            return AtRandomRow("feladas01.dbf", 2000, stopped % 2 ? SIGINT : SIGTERM, left);
        },
        3);
    EXPECT_NE(stopped_.Output().find("the next run continues after row"), std::string::npos);
}

// A file killed midway and finished by a later run is one import, undone whole once it has
// finished; while it is still stopped it is not undone.
TEST_F(Interruption, KilledAndResumedFileIsUndoneWhole) {
    MixedInputs::WritePostingTable(stopped_.Exchange() / "feladas01.dbf", 600);
    EXPECT_EQ(stopped_.RunStoppedAt("SZLA1", "feladas01.dbf:300", SIGKILL), 128 + SIGKILL);
    EXPECT_EQ(stopped_.RunWith({"--undo=feladas01.dbf"}), 1);
    EXPECT_NE(stopped_.Output().find("to be continued: finish it first"), std::string::npos);
    const int last = stopped_.Run("SZLA1");
    EXPECT_TRUE(last == 0 || last == 4) << stopped_.Output();
    EXPECT_EQ(stopped_.RunWith({"--undo=OK_feladas01.dbf"}), 0) << stopped_.Output();
    const std::vector<std::string> left = stopped_.Contents();
    EXPECT_EQ(
        std::count_if(left.begin(), left.end(),
                      [](const std::string& entry) { return entry[0] == 'H' || entry[0] == 'L'; }),
        0);
}

// Runs started together, reaching one server database: on one exchange folder only one of them
// works; a second folder with the same content does not post it again. Which run waits for which
// is up to the machine: one that finds the folder or the content taken leaves it alone, one that
// starts after the posting finds nothing to do. The database ends as after one clean run.
TEST_F(Interruption, RunsStartedTogetherPostEveryRowOnce) {
    if (const std::string missing = TestServer::Missing(); !missing.empty())
        GTEST_SKIP() << missing;
    const Writer write = [](const fs::path& exchange) {
        MixedInputs::WritePostingTable(exchange / "feladas01.dbf", 600);
    };
    Reference("SZLA1", write);
    TestDatabase shared("race-" + std::to_string(::getpid()) + ".fdb");
    MixedInputs::LoadReference(shared);
    Site one(shared), other(shared);
    write(one.Exchange());
    write(other.Exchange());
    const pid_t runs[] = {one.Start("SZLA1"), one.Start("SZLA1"), other.Start("SZLA1")};
    int posted = 0;
    for (pid_t pid : runs) {
        const int status = Site::Wait(pid);
        // The run that posts ends as the clean one did (4: the table's refused vouchers).
        EXPECT_TRUE(status == cleanStatus_ || status == 1 || status == 0) << status;
        posted += status == cleanStatus_;
    }
    const std::string outputs = one.Output() + other.Output();
    EXPECT_EQ(posted, 1) << outputs;
    // The runs that do not post say why.
    const auto said = [&](const std::string& text) {
        return outputs.find(text) != std::string::npos;
    };
    EXPECT_TRUE(said("Another import is running on the exchange folder") ||
                said("is being posted by another import") || said("it is not posted again") ||
                said("Nincs átveendő állomány!"))
        << outputs;
    EXPECT_NE(fs::exists(one.Exchange() / "in_arch" / "OK_feladas01.dbf"),
              fs::exists(other.Exchange() / "in_arch" / "OK_feladas01.dbf"));
    shared.Db().Connect();
    EXPECT_EQ(PostingSnapshot(shared), clean_.Contents());
}

// Sites of their own exchange folders post into one server database at the same moment, their
// tables naming the same new customers in the same books: each customer and each day's journal
// is created once, and the database holds what the same runs one after another leave, every row
// once and none rejected. Repeat it (--gtest_repeat) to meet the runs at other moments.
TEST(SitesAtOnce, CreateEachCustomerAndJournalOnce) {
    if (const std::string missing = TestServer::Missing(); !missing.empty())
        GTEST_SKIP() << missing;
    const auto write = [](const fs::path& exchange, int site) {
        DbfWriter writer(DbfWriter::PostingColumns());
        for (int i = 0; i < 240; ++i) {
            const std::string customer = "SHARED" + std::to_string(i / 4), book = i % 2 ? "V" : "S";
            writer.RowByName({{"BIZONYLAT", std::to_string(site) + "-" + std::to_string(i)},
                              {"MO_CHAR", book},
                              {"JELLEG", "S"},
                              {"IRANY", "K"},
                              {"TOTAL", "100"},
                              {"SUMA", "100"},
                              {"ELLEN", "5211"},
                              {"KARTON", book == "V" ? "3111" : "4541"},
                              {"KELTE", "20120315"},
                              {"U_ROVID", customer},
                              {"U_CEG", "Company " + customer}});
        }
        writer.Save(exchange / ("feladas" + std::to_string(site) + ".dbf"));
    };
    const auto contents = [](TestDatabase& db) {
        db.Db().Connect();
        std::vector<std::string> rows;
        IBQuery q(db.Db(), db.Tr(), "CONTENTS");
        for (const char* sql :
             {"select UG_ROVID, UG_KARTON, UG_EV, UG_CEG from UGYFEL where UG_ROVID starting with "
              "'SHARED'",
              "select NA_TYP, NA_OWNER, NA_EV, cast(NA_TIME as date) from NAPLO",
              "select FE_BIZONYLAT, UG_ROVID, UG_KARTON, NA_TYP, TE_SUM, FE_ERROR from TETEL join "
              "FEJLEC on FE_ID = TE_FE_ID left join UGYFEL on UG_ID = FE_UG_ID left join NAPLO on "
              "NA_NO = FE_NAPLO"}) {
            q.SetSQLText(std::string(sql) + " order by 1, 2, 3, 4");
            q.Open();
            for (bool more = !q.IsEmpty(); more; more = q.Next()) {
                rows.emplace_back();
                for (TField* f : q.Fields())
                    rows.back() += f->AsString() + "|";
            }
        }
        db.Tr().Commit();
        return rows;
    };
    for (int sites : {2, 3}) {
        const std::string name = "sites" + std::to_string(sites) + "-" + std::to_string(getpid());
        TestDatabase together(name + "a.fdb"), apart(name + "b.fdb");
        MixedInputs::LoadReference(together);
        MixedInputs::LoadReference(apart);
        std::vector<std::unique_ptr<Site>> at, after;
        for (int site = 0; site < sites; ++site) {
            at.push_back(std::make_unique<Site>(together));
            after.push_back(std::make_unique<Site>(apart));
            write(at.back()->Exchange(), site);
            write(after.back()->Exchange(), site);
        }
        std::vector<pid_t> runs;
        for (auto& site : at)
            runs.push_back(site->Start("SZLA1"));
        for (std::size_t i = 0; i < runs.size(); ++i)
            EXPECT_EQ(Site::Wait(runs[i]), 0) << at[i]->Output();
        for (auto& site : after)
            EXPECT_EQ(site->Run("SZLA1"), 0) << site->Output();
        const std::vector<std::string> expected = contents(apart);
        ASSERT_EQ(expected.size(), 120u + 2 + sites * 240u);
        EXPECT_EQ(contents(together), expected) << sites << " sites at once";
    }
}

} // namespace
