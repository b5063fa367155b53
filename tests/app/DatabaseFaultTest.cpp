// A fault of the database that every further row would meet stops the file where it strikes:
// the row in hand is rolled back without an error record, the file stays, and once the fault is
// mended the next run posts the rest exactly once. Struck before the first row, the file takes
// the error path and nothing of it is posted.
#include "app/ImportType.h"
#include "app/TF_IN.h"
#include "fixtures/DbfWriter.h"
#include "fixtures/MixedInputs.h"
#include "fixtures/PostingSnapshot.h"
#include "fixtures/ScriptedView.h"
#include "fixtures/StallingRelay.h"
#include "fixtures/TempDir.h"
#include "fixtures/TestDatabase.h"
#include "fixtures/TestServer.h"
#include "fixtures/TmpfsMount.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A fault: what breaks the database and what mends it again.
struct Fault {
    std::function<void()> Break;
    std::function<void()> Mend;
};

class DatabaseFault : public ::testing::Test {
protected:
    // One-line vouchers; the customers of rows 20 on are not in the database yet.
    static void WriteTable(const TempDir& exchange, int rows) {
        DbfWriter writer(DbfWriter::PostingColumns());
        for (int i = 1; i <= rows; ++i)
            writer.RowByName({{"BIZONYLAT", "F" + std::to_string(i)},
                              {"AZON", "A"},
                              {"SELF", std::to_string(i)},
                              {"MO_CHAR", "S"},
                              {"JELLEG", "K"},
                              {"IRANY", "K"},
                              {"TOTAL", std::to_string(100 + i)},
                              {"SUMA", "100"},
                              {"KARTON", "4541"},
                              {"ELLEN", "5211"},
                              {"AF_NEV", "27%"},
                              {"KELTE", "20120315"},
                              {"U_ROVID", (i < 20 ? "OLD" : "NEW") + std::to_string(i)}});
        writer.Save(exchange / "feladas1.dbf");
        DbfWriter::CreatePostingTable(exchange / "in_arch" / "Feladas.dbf");
    }

    // The window importing one exchange folder into one database, open over its runs.
    struct Window {
        Window(TestDatabase& db, const TempDir& exchange, ScriptedView& view,
               const std::string& logFolder)
            : form(view, &application) {
            form.ExchangeFolder = exchange.Folder();
            form.DB1.DatabaseName = db.Path();
            form.DB1.Params = db.Db().Params;
            if (!logFolder.empty())
                for (TEQuery* q : {&form.EQ1, &form.EQ2, &form.EQ3, &form.EQ4, &form.EQ5})
                    q->LogFolder = logFolder;
        }
        Component application;
        TF_IN form;
    };

    // One run of the window; the fault, when given, breaks it before row breakAt.
    static TF_IN::RunOutcome Run(Window& window, ScriptedView& view, const Fault* fault = nullptr,
                                 int breakAt = 0) {
        int asked = 0;
        // Asked before the file, then before each row.
        view.Stop = [&] {
            if (fault && ++asked == breakAt + 1) fault->Break();
            return false;
        };
        // A run empties the list; choosing the type lists the folder again.
        window.form.CmbTipChange(ImportType::ForCode("SZLA1")->ItemText);
        window.form.Button1Click(&window.form.Button1);
        return window.form.LastRun();
    }

    // Breaks the database before row `breakAt` of the table (0: before the run), checks what the
    // stopped run left, mends it, and compares the next run of the same window with a clean run.
    void StopMendAndCompare(TestDatabase& db, const Fault& fault, int breakAt,
                            const std::string& cause, int rows = 30) {
        const TempDir dir;
        ScriptedView view;
        WriteTable(dir, rows);
        const std::string table = dir.Read("feladas1.dbf");
        if (breakAt == 0) fault.Break();
        Window window(db, dir, view, logFolder);
        if (!through.empty()) {
            window.form.DB1.DatabaseName = through;
            window.form.DB1.Timeout = std::chrono::seconds(5);
        }
        const TF_IN::RunOutcome stopped =
            Run(window, view, breakAt == 0 ? nullptr : &fault, breakAt);
        ASSERT_FALSE(view.Dialogs.empty());
        const std::string message = view.Dialogs.back().Text;
        EXPECT_NE(message.find(cause), std::string::npos) << message;
        EXPECT_FALSE(fs::exists(dir / "in_arch" / "OK_feladas1.dbf"));
        fault.Mend();
        if (breakAt == 0) {
            // Nothing of the file is in: it takes the error path, as for a database down from
            // the start, and can be put back as it is.
            EXPECT_EQ(stopped.FilesFailed, 1);
            EXPECT_NE(dir.Read("in_arch/Err_feladas1.dbf.log").find(cause), std::string::npos);
            EXPECT_EQ(db.QueryValue("select count(*) from FEJLEC"), "0");
            fs::rename(dir / "in_arch" / "Err_feladas1.dbf", dir / "feladas1.dbf");
        } else {
            EXPECT_TRUE(stopped.Stopped);
            EXPECT_EQ(stopped.FilesFailed, 0);
            EXPECT_EQ(dir.Read("feladas1.dbf"), table);
            EXPECT_NE(message.find("the next run continues after row"), std::string::npos);
            EXPECT_FALSE(fs::exists(dir / "in_arch" / "Err_feladas1.dbf.log"));
        }
        const TF_IN::RunOutcome mended = Run(window, view);
        EXPECT_EQ(mended.FilesPosted, 1);
        EXPECT_FALSE(mended.Stopped);
        EXPECT_EQ(dir.Read("in_arch/OK_feladas1.dbf"), table);
        EXPECT_EQ(dir.Read("in_arch/OK_feladas1.dbf.log").find("ErrRec"), std::string::npos);

        TempDir cleanExchange;
        WriteTable(cleanExchange, rows);
        TestDatabase clean;
        MixedInputs::LoadReference(clean, 0, false);
        Window cleanWindow(clean, cleanExchange, view, {});
        Run(cleanWindow, view);
        EXPECT_EQ(PostingSnapshot(db), PostingSnapshot(clean));
    }

    std::string logFolder; // SQL log folder of the queries, when set
    std::string through;   // the window's name of the database, when not its own
};

TEST_F(DatabaseFault, ADroppedProcedureStopsTheFileAtTheFirstRowThatNeedsIt) {
    // Every voucher needs FE_NEXT, from the first row on; only the customers of rows 20 on need
    // UG_NEXT. A statement prepared before the drop goes on working, so a procedure dropped
    // midway strikes where it is first called.
    for (const auto& [breakAt, procedure, sequence] :
         {std::tuple{0, "FE_NEXT", "FE_ID_SEQ"}, std::tuple{5, "UG_NEXT", "UG_ID_SEQ"}}) {
        TestDatabase db;
        MixedInputs::LoadReference(db, 0, false);
        const std::string name = procedure;
        const Fault fault{[&] { db.Execute("drop procedure " + name); },
                          [&] {
                              db.Execute("set term ^ ; create procedure " + name +
                                         " returns (G integer) as begin G = next value for " +
                                         sequence + "; end^ set term ; ^");
                          }};
        StopMendAndCompare(db, fault, breakAt, "stored procedure '" + name + "' not found");
    }
}

TEST_F(DatabaseFault, AnSqlLogThatCannotBeWrittenStopsTheFile) {
    for (int breakAt : {0, 5}) {
        TestDatabase db;
        MixedInputs::LoadReference(db, 0, false);
        TempDir logs;
        logFolder = logs.Folder();
        // A folder where the log file should be: not even root can write it.
        const Fault fault{[&] {
                              fs::remove(logs / "sql.log");
                              fs::create_directory(logs / "sql.log");
                          },
                          [&] { fs::remove(logs / "sql.log"); }};
        StopMendAndCompare(db, fault, breakAt, "Cannot open the log file");
    }
}

// A full disk strikes where the database next needs a page, which no test can place before the
// first row; it is broken midway only.
TEST_F(DatabaseFault, AFullDiskUnderTheDatabaseStopsTheFile) {
    TempDir place;
    TmpfsMount disk(place.Path(), "24m");
    if (!disk.Failure().empty()) GTEST_SKIP() << disk.Failure();
    TestDatabase db(true, TestDatabase::Writes::Cached, place.Path());
    MixedInputs::LoadReference(db, 0, false);
    const Fault fault{[&] { disk.Fill("filler"); }, [&] { fs::remove(place / "filler"); }};
    StopMendAndCompare(db, fault, 5, "No space left on device", 300);
}

// A server whose connection is cut under the run (an administrator, a restart, a network):
// the file stops and stays; the next run, connected again, completes it exactly once.
TEST_F(DatabaseFault, AConnectionCutByTheServerStopsTheFile) {
    if (const std::string missing = TestServer::Missing(); !missing.empty())
        GTEST_SKIP() << missing;
    TestDatabase db("fault-" + std::to_string(::getpid()) + ".fdb");
    MixedInputs::LoadReference(db, 0, false);
    const Fault fault{[&] {
                          db.Execute("delete from MON$ATTACHMENTS where MON$ATTACHMENT_ID <> "
                                     "current_connection");
                      },
                      [] {}};
    StopMendAndCompare(db, fault, 5, "connection shutdown");
}

// A database that stops answering, with no reset or close (a partition, a hung server): the call
// is cut at the timeout and the file stops as for a cut connection; an attach is given up.
TEST_F(DatabaseFault, ADatabaseThatFallsSilentStopsTheFile) {
    if (const std::string missing = TestServer::Missing(); !missing.empty())
        GTEST_SKIP() << missing;
    for (int breakAt : {0, 5}) {
        TestDatabase db("silent-" + std::to_string(::getpid()) + ".fdb");
        MixedInputs::LoadReference(db, 0, false);
        StallingRelay relay;
        through = relay.Through(db.Path());
        const Fault fault{[&] { relay.Stall(); }, [&] { relay.Go(); }};
        StopMendAndCompare(db, fault, breakAt, "No answer from the database " + through);
    }
}

} // namespace
