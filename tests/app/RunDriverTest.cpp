#include "app/ImportType.h"
#include "app/TF_IN.h"
#include "fixtures/DbfWriter.h"
#include "fixtures/ScriptedView.h"
#include "fixtures/TempDir.h"
#include "platform/Text.h"
#include "tests/support/DatabaseTest.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

using Row = std::map<std::string, std::string>;

class RunDriver : public DatabaseTest {
protected:
    static void SetUpTestSuite() {
        CreateDatabase("insert into FOKONYV values ('4541','S','Y',2012,'Szallitok');"
                       "insert into FOKONYV values ('5211','X','Y',2012,'Anyag');"
                       "insert into AFA values ('27%',27,2012,'466','467');");
    }

    void SetUp() override {
        form.ExchangeFolder = dir.Folder();
        form.DB1.DatabaseName = db_->Path();
    }
    void TearDown() override { form.FormClose(); }

    static Row Posting(const std::string& voucher, Row changes = {}) {
        Row row{{"AZON", "A"},
                {"SELF", voucher},
                {"BIZONYLAT", voucher},
                {"MO_CHAR", "S"},
                {"JELLEG", "S"},
                {"IRANY", "K"},
                {"TOTAL", "127"},
                {"SUMA", "100"},
                {"KARTON", "4541"},
                {"ELLEN", "5211"},
                {"AF_NEV", "27%"},
                {"KELTE", "20120315"},
                {"TELJESIT", "20120315"},
                {"HATARIDO", "20120315"},
                {"AFATELJ", "20120315"}};
        for (auto& [k, v] : changes)
            row[k] = v;
        return row;
    }
    void WriteTable(const std::string& name, const std::vector<Row>& rows,
                    std::vector<DbfColumn> columns = DbfWriter::PostingColumns()) {
        DbfWriter writer(std::move(columns));
        for (const Row& r : rows)
            writer.RowByName(r);
        writer.Save(dir / name);
    }
    void WriteWorkTable() { DbfWriter::CreatePostingTable(dir / "in_arch" / "Feladas.dbf"); }
    void List(const std::string& code = "SZLA1") {
        form.CmbTipChange(ImportType::ForCode(code)->ItemText);
    }
    int Headers(const std::string& voucher) {
        return std::stoi(
            db_->QueryValue("select count(*) from FEJLEC where FE_BIZONYLAT = '" + voucher + "'"));
    }
    bool Exists(const std::string& name) const { return fs::exists(dir / name); }
    std::string Archived(const std::string& name) const { return dir.Read("in_arch/" + name); }
    std::vector<std::string> DialogTexts() const {
        std::vector<std::string> texts;
        for (const auto& d : view.Dialogs)
            texts.push_back(d.Text);
        return texts;
    }

    TempDir dir;
    ScriptedView view;
    Component application;
    TF_IN form{view, &application};
};

} // namespace

TEST_F(RunDriver, OneFileIsPostedArchivedAndLoggedWithoutQuestions) {
    // No archive folder yet: the work table is missing, which only warns.
    WriteTable("feladas1.dbf", {Posting("R1"), Posting("R1", {{"SUMA", "27"}})});
    List();
    form.Button1Click(&form.Button1);

    EXPECT_EQ(DialogTexts(),
              std::vector<std::string>{W1250("Nem létezik az IN_ARCH mappa vagy a benne levő "
                                             "FELADAS.DBF file-t")});
    EXPECT_EQ(Headers("R1"), 1);
    EXPECT_FALSE(Exists("feladas1.dbf"));
    EXPECT_TRUE(Exists("in_arch/OK_feladas1.dbf"));
    const std::string log = "feladas1.dbf\r\nOK - End of import\r\n\r\n";
    EXPECT_EQ(Archived("OK_feladas1.dbf.log"), log);
    EXPECT_EQ(form.Memo2, log);
    // The pane adds the file's counts under its log.
    EXPECT_EQ(view.Log.rfind(log + "Rows: 2 read, 2 posted (0 with findings), 0 rejected\r\n"
                                   "Created: 1 voucher, 0 customers, ",
                             0),
              0u)
        << view.Log;
    EXPECT_TRUE(view.WorkList.empty());
    EXPECT_TRUE(view.ButtonsEnabled);
    EXPECT_EQ(view.Calls.front(), "SetButtonsEnabled(0)");
    EXPECT_EQ(view.Progress, 0);
    EXPECT_EQ(form.LastRun().FilesPosted, 1);
}

TEST_F(RunDriver, TwoFilesAnsweredNoPostOnlyTheFirst) {
    WriteWorkTable();
    WriteTable("feladas1.dbf", {Posting("N1")});
    WriteTable("feladas2.dbf", {Posting("N2")});
    List();
    const std::vector<std::string> listed = form.Memo1;
    ASSERT_EQ(listed.size(), 2u);
    view.DialogAnswers = {2};
    form.Button1Click(&form.Button1);

    ASSERT_EQ(view.Dialogs.size(), 1u);
    EXPECT_EQ(view.Dialogs[0].Text, W1250("Minden feladást egy naplóba tegyek?!"));
    EXPECT_EQ(view.Dialogs[0].Buttons, "&Igen;&Nem");
    EXPECT_TRUE(Exists("in_arch/OK_" + listed[0]));
    EXPECT_TRUE(Exists(listed[1]));
    EXPECT_TRUE(form.Memo1.empty());
}

TEST_F(RunDriver, TwoFilesAnsweredYesPostBothInListOrderThenSayTheEnd) {
    WriteWorkTable();
    WriteTable("feladas1.dbf", {Posting("Y1")});
    WriteTable("feladas2.dbf", {Posting("Y2")});
    List();
    const std::vector<std::string> listed = form.Memo1;
    view.DialogAnswers = {1};
    form.Button1Click(&form.Button1);

    EXPECT_EQ(text::SplitLines(DialogTexts().back()).front(), "OK - End of import");
    EXPECT_EQ(view.Dialogs.size(), 2u);
    EXPECT_EQ(Headers("Y1"), 1);
    EXPECT_EQ(Headers("Y2"), 1);
    // The log shown last belongs to the file listed last.
    EXPECT_EQ(view.Log.substr(0, listed[1].size()), listed[1]);
    for (const std::string& name : listed)
        EXPECT_TRUE(Exists("in_arch/OK_" + name + ".log"));
}

TEST_F(RunDriver, SameNamePostedTwiceReplacesTheArchivedFileAndLog) {
    WriteWorkTable();
    WriteTable("feladas1.dbf", {Posting("T1")});
    List();
    form.Button1Click(&form.Button1);
    WriteTable("feladas1.dbf", {Posting("T2"), Posting("T3")});
    const std::string second = dir.Read("feladas1.dbf");
    List();
    form.Button1Click(&form.Button1);

    EXPECT_EQ(Archived("OK_feladas1.dbf"), second);
    EXPECT_FALSE(Exists("feladas1.dbf"));
    EXPECT_EQ(Headers("T3"), 1);
}

TEST_F(RunDriver, FileThatIsNoTableFailsAndASecondFailureLeavesTheInput) {
    WriteWorkTable();
    dir.Write("xHUF.HUF", "not a dBase table at all");
    List("BANK2");
    form.Button1Click(&form.Button1);

    EXPECT_TRUE(Exists("in_arch/Err_xHUF.HUF"));
    ASSERT_EQ(view.Dialogs.size(), 1u);
    EXPECT_EQ(view.Dialogs[0].Kind, TMsgDlgType::mtError);
    EXPECT_NE(view.Dialogs[0].Text.find("not a dBase table"), std::string::npos);
    EXPECT_NE(view.Dialogs[0].Text.find("\r\n( F_IN.Button1 - "), std::string::npos);
    const std::string log = Archived("Err_xHUF.HUF.log");
    EXPECT_EQ(log.substr(0, 10), "xHUF.HUF\r\n");
    EXPECT_NE(log.find("not a dBase table"), std::string::npos);
    EXPECT_EQ(form.LastRun().FilesFailed, 1);

    // The same name fails again: the older Err_ file blocks the rename, the log is replaced.
    dir.Write("xHUF.HUF", "still no table");
    dir.Write("in_arch/Err_xHUF.HUF.log", "old");
    List("BANK2");
    form.Button1Click(&form.Button1);
    EXPECT_EQ(dir.Read("xHUF.HUF"), "still no table");
    EXPECT_EQ(Archived("Err_xHUF.HUF"), "not a dBase table at all");
    EXPECT_NE(Archived("Err_xHUF.HUF.log"), "old");
}

TEST_F(RunDriver, RejectedRowKeepsTheFilePostedAndTheNextFileStartsAFreshReport) {
    WriteWorkTable();
    std::vector<DbfColumn> columns = DbfWriter::PostingColumns();
    for (DbfColumn& c : columns)
        if (c.Name == "HIVATKOZ") c.Width = 100;
    // A reference longer than the database column: the database rejects that row only.
    WriteTable("feladas1.dbf", {Posting("E1"), Posting("E2", {{"HIVATKOZ", std::string(90, 'h')}})},
               columns);
    dir.Write("feladas2.dbf", "no table");
    List();
    // The failing file must come second to show that it does not inherit the first's records.
    form.Memo1 = {"feladas1.dbf", "feladas2.dbf"};
    view.DialogAnswers = {1};
    form.Button1Click(&form.Button1);

    EXPECT_TRUE(Exists("in_arch/OK_feladas1.dbf"));
    EXPECT_EQ(Headers("E1"), 1);
    EXPECT_EQ(Headers("E2"), 0);
    const std::string okLog = Archived("OK_feladas1.dbf.log");
    EXPECT_NE(okLog.find("ErrRec"), std::string::npos) << okLog;
    EXPECT_EQ(Archived("Err_feladas2.dbf.log").find("ErrRec"), std::string::npos);
}

TEST_F(RunDriver, UnreachableDatabaseSendsEveryHandledFileToTheErrorPath) {
    WriteWorkTable();
    WriteTable("feladas1.dbf", {Posting("U1")});
    WriteTable("feladas2.dbf", {Posting("U2")});
    form.DB1.DatabaseName = (dir / "no" / "such.fdb").string();
    List();
    view.DialogAnswers = {1};
    form.Button1Click(&form.Button1);

    EXPECT_TRUE(Exists("in_arch/Err_feladas1.dbf"));
    EXPECT_TRUE(Exists("in_arch/Err_feladas2.dbf"));
    EXPECT_NE(Archived("Err_feladas1.dbf.log").find("such.fdb"), std::string::npos);
    EXPECT_EQ(form.LastRun().FilesFailed, 2);
    EXPECT_EQ(text::SplitLines(DialogTexts().back()).front(), "OK - End of import");
}

TEST_F(RunDriver, EmptyWorkListEndsTheRunWithItsMessage) {
    WriteWorkTable();
    List();
    form.Button1Click(&form.Button1);
    EXPECT_EQ(DialogTexts(), std::vector<std::string>{W1250("Nincs átveendő állomány!")});
    EXPECT_TRUE(view.ButtonsEnabled);
    EXPECT_FALSE(form.LastRun().EndedEarly);
}

TEST_F(RunDriver, VanishedInputAndUncreatableArchiveLoseNothing) {
    WriteWorkTable();
    WriteTable("feladas1.dbf", {Posting("V1")});
    List();
    // Another run archived it meanwhile: it is no longer there to post, and that is no failure.
    fs::remove(dir / "feladas1.dbf");
    form.Button1Click(&form.Button1);
    EXPECT_EQ(form.LastRun().FilesFailed, 0);
    EXPECT_FALSE(Exists("in_arch/Err_feladas1.dbf.log"));
    EXPECT_EQ(DialogTexts().back(), W1250("Nincs átveendő állomány!"));

    // The archive folder is a plain file: nothing can be archived or logged, the input stays.
    fs::remove_all(dir / "in_arch");
    dir.Write("in_arch", "in the way");
    WriteTable("feladas2.dbf", {Posting("V2")});
    List();
    form.Button1Click(&form.Button1);
    EXPECT_TRUE(Exists("feladas2.dbf"));
    EXPECT_EQ(Headers("V2"), 0);
    EXPECT_TRUE(form.LastRun().EndedEarly);
    EXPECT_TRUE(view.ButtonsEnabled);
}

TEST_F(RunDriver, PostedInputThatCannotBeArchivedIsNotLeftToBePostedAgain) {
    WriteWorkTable();
    WriteTable("feladas1.dbf", {Posting("P1")});
    // A folder in the way of the archive name cannot be replaced.
    fs::create_directories(dir / "in_arch" / "OK_feladas1.dbf");
    List();
    form.Button1Click(&form.Button1);

    EXPECT_EQ(Headers("P1"), 1);
    EXPECT_FALSE(Exists("feladas1.dbf"));
    EXPECT_TRUE(Exists("in_arch/Err_feladas1.dbf"));
    ASSERT_EQ(view.Dialogs.size(), 1u);
    EXPECT_NE(view.Dialogs[0].Text.find("was posted, but could not be moved"), std::string::npos);
    EXPECT_NE(Archived("Err_feladas1.dbf.log").find("must not be imported again"),
              std::string::npos);
}

TEST_F(RunDriver, TheWindowAsksBeforePostingContentAgainAndNoIsTheDefault) {
    WriteWorkTable();
    WriteTable("feladas1.dbf", {Posting("AGAIN")});
    List();
    form.Button1Click(&form.Button1);
    ASSERT_EQ(Headers("AGAIN"), 1);

    fs::copy_file(dir / "in_arch" / "OK_feladas1.dbf", dir / "feladas2.dbf");
    List();
    form.Button1Click(&form.Button1);
    ASSERT_FALSE(view.Dialogs.empty());
    const auto question = view.Dialogs.end() - 2; // then the refusal
    EXPECT_EQ(question->Buttons, "&Igen;&Nem");
    EXPECT_EQ(question->Default, 2);
    EXPECT_NE(question->Text.find(" as feladas1.dbf. Post it again?"), std::string::npos);
    EXPECT_EQ(form.LastRun().FilesRefused, 1);
    EXPECT_EQ(Headers("AGAIN"), 1);

    fs::rename(dir / "in_arch" / "Err_feladas2.dbf", dir / "feladas2.dbf");
    List();
    view.DialogAnswers = {1};
    form.Button1Click(&form.Button1);
    EXPECT_EQ(form.LastRun().FilesPosted, 1);
    EXPECT_EQ(Headers("AGAIN"), 2);
}
