// An import taken back: a mixed table posted and undone leaves the vouchers as they were, row
// for row, keeps the customers and journals it made, and may then be posted again; a voucher
// changed since the import keeps the whole import in place.
#include "app/BatchRunner.h"
#include "db/IBQuery.h"
#include "fixtures/DbfWriter.h"
#include "fixtures/MixedInputs.h"
#include "fixtures/TempDir.h"
#include "tests/support/DatabaseTest.h"

#include <gtest/gtest.h>

#include <sstream>

namespace fs = std::filesystem;

namespace {

class Undo : public DatabaseTest {
protected:
    static void SetUpTestSuite() {
        CreateDatabase();
        MixedInputs::LoadReference(*db_, 40);
    }

    int Run(std::vector<std::string> args) {
        out.str({});
        err.str({});
        args.push_back(
            dir.Write("params.txt", "Undo\r\n" + dir.Folder() + "\r\n" + db_->Path() + "\r\n\r\n")
                .string());
        return BatchRunner(out, err).Run(args);
    }
    std::vector<std::string> Rows(const std::string& sql) {
        IBQuery q(db_->Db(), db_->Tr());
        q.SetSQLText(sql);
        q.Open();
        std::vector<std::string> rows;
        for (bool more = !q.IsEmpty(); more; more = q.Next()) {
            rows.emplace_back();
            for (TField* f : q.Fields())
                rows.back() += f->AsString() + "|";
        }
        db_->Tr().Commit();
        return rows;
    }
    int Count(const std::string& table) {
        return std::stoi(db_->QueryValue("select count(*) from " + table));
    }
    std::string Said() const { return out.str() + err.str(); }

    TempDir dir;
    std::ostringstream out, err;
};

TEST_F(Undo, AMixedTableIsTakenBackWholeOnlyWhileNothingChanged) {
    const auto vouchers = [this] {
        return std::pair(Rows("select * from FEJLEC order by FE_ID"),
                         Rows("select * from TETEL order by TE_ID"));
    };
    const auto before = vouchers();
    const int customers = Count("UGYFEL"), journals = Count("NAPLO");
    MixedInputs::WritePostingTable(dir / "feladas01.dbf", 300);
    ASSERT_EQ(Run({"--year=2012"}), 4) << Said();
    ASSERT_GT(Count("UGYFEL"), customers);
    ASSERT_GT(Count("NAPLO"), journals);
    const std::string last = "(select max(FE_ID) from FEJLEC)";
    const std::string number =
        db_->QueryValue("select trim(FE_BIZONYLAT) from FEJLEC where FE_ID=" + last);

    // Booked, or given a line of its own, the voucher holds the whole import in place.
    for (const std::string& change : std::vector<std::string>{
             "update FEJLEC set FE_STATUS='K' where FE_ID=" + last,
             "insert into TETEL (TE_ID, TE_FE_ID, TE_SUM) select -1, max(FE_ID), 5 from FEJLEC"}) {
        const auto posted = vouchers();
        db_->Execute(change + ";");
        EXPECT_EQ(Run({"--undo=feladas01.dbf"}), 1) << Said();
        EXPECT_NE(err.str().find("these vouchers changed since it posted them:\n  " + number),
                  std::string::npos)
            << Said();
        db_->Execute("update FEJLEC set FE_STATUS='N' where FE_ID=" + last +
                     "; delete from TETEL where TE_ID=-1;");
        EXPECT_EQ(vouchers(), posted);
    }

    // The database has the last word: a delete its trigger refuses takes the whole undo back.
    db_->Execute("create exception NO_UNDO 'Vouchers stay'; set term ^ ; create trigger KEEP for "
                 "FEJLEC before delete as begin exception NO_UNDO; end^ set term ; ^");
    const auto posted = vouchers();
    EXPECT_EQ(Run({"--undo=1"}), 1) << Said();
    EXPECT_NE(err.str().find("Vouchers stay"), std::string::npos) << Said();
    EXPECT_EQ(vouchers(), posted);
    db_->Execute("drop trigger KEEP; drop exception NO_UNDO;");

    EXPECT_EQ(Run({"--check", "--undo=1"}), 0) << Said();
    EXPECT_NE(out.str().find("would delete"), std::string::npos) << Said();
    EXPECT_EQ(Run({"--undo=OK_feladas01.dbf"}), 0) << Said();
    EXPECT_NE(out.str().find("Customers and journals it created stay"), std::string::npos);
    EXPECT_EQ(vouchers(), before);
    EXPECT_GT(Count("UGYFEL"), customers);
    EXPECT_GT(Count("NAPLO"), journals);
    EXPECT_EQ(Run({"--undo=1"}), 1);

    // Undone, the content is new again; the history shows both imports, the newest first.
    fs::copy_file(dir / "in_arch" / "OK_feladas01.dbf", dir / "feladas02.dbf");
    EXPECT_EQ(Run({"--year=2012"}), 4) << Said();
    EXPECT_GT(Count("FEJLEC"), static_cast<int>(before.first.size()));
    EXPECT_EQ(Run({"--history", "--report=" + (dir / "history.json").string()}), 0) << Said();
    const std::string history = out.str();
    EXPECT_LT(history.find("Import 2 posted"), history.find("Import 1 undone")) << history;
    EXPECT_NE(dir.Read("history.json").find("\"state\": \"undone\""), std::string::npos);
    EXPECT_EQ(Run({"--history", "--undo=2"}), 2);
}

} // namespace
