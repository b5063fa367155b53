// Posting speed next to the floor that one transaction per row sets.
//
//   inzefor-bench --headers=N --rows=M
//
// Creates a database, preloads N voucher headers, posts a generated posting table of M rows
// (new vouchers, continuing lines, old, new and repeated customers, findings, duplicates) and
// times a bare loop of "insert one row + commit" on the same database. Prints one line:
//   headers=N rows=M posting_rows_per_s=X floor_commits_per_s=Y ratio=Z
#include "db/IBQuery.h"
#include "platform/DbfTable.h"
#include "posting/JournalNumbers.h"
#include "posting/PostingEngine.h"
#include "posting/PostingQueries.h"
#include "tests/support/DbfWriter.h"
#include "tests/support/ScriptedView.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDatabase.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    long Headers = 0;
    long Rows = 2000;
};

Options ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto number = [&](const std::string& prefix) {
            const std::string value = arg.substr(prefix.size());
            std::size_t used = 0;
            long n = -1;
            try {
                n = std::stol(value, &used);
            } catch (const std::exception&) {
            }
            if (used != value.size() || n < 0)
                throw std::invalid_argument("not a count: '" + value + "' in " + arg);
            return n;
        };
        if (arg.rfind("--headers=", 0) == 0)
            options.Headers = number("--headers=");
        else if (arg.rfind("--rows=", 0) == 0)
            options.Rows = number("--rows=");
        else
            throw std::invalid_argument("unknown argument '" + arg +
                                        "' (use --headers=N --rows=M)");
    }
    return options;
}

void LoadReferenceData(TestDatabase& db, long headers) {
    db.Execute("insert into FOKONYV values ('4541','S','Y',2012,'Szallitok');"
               "insert into FOKONYV values ('4542','s','Y',2012,'Szallitok @EUR');"
               "insert into FOKONYV values ('3111','V','Y',2012,'Vevok');"
               "insert into FOKONYV values ('5211','X','Y',2012,'Anyag');"
               "insert into FOKONYV values ('466','T','Y',2012,'Elozetes AFA');"
               "insert into FOKONYV values ('467','K','Y',2012,'Fizetendo AFA');"
               "insert into AFA values ('27%',27,2012,'466','467');"
               "insert into AFA values ('5%',5,2012,'466','467');"
               "insert into FELAFA values ('SZLA','A27','27%',null);"
               "insert into FELCSOP values ('ANYAG','4541','5211');");
    // Customers the table names again, and as many headers as asked, spread over them.
    db.Execute("set term ^ ;"
               "execute block as declare i integer = 0; begin"
               "  while (i < 1000) do begin"
               "    insert into UGYFEL (UG_ID, UG_MOD, UG_ROVID, UG_KARTON, UG_EV)"
               "    values (next value for UG_ID_SEQ, 'S', 'OLD' || :i, '4541', 2012);"
               "    i = i + 1; end end^"
               "execute block as declare i integer = 0; begin"
               "  while (i < " +
               std::to_string(headers) +
               ") do begin"
               "    insert into FEJLEC (FE_ID, FE_MO_CHAR, FE_BIZONYLAT, FE_UG_ID, FE_KARTON,"
               "      FE_TOTAL, FE_EV, FE_STATUS)"
               "    values (next value for FE_ID_SEQ, 'V', 'P' || :i, mod(:i, 1000) + 1, '3111',"
               "      100, 2012, 'N');"
               "    i = i + 1; end end^"
               "set term ; ^");
}

// Vouchers of one to three lines; every seventh row with findings, every fifth voucher in book
// V, some of those repeating a preloaded voucher number.
void WritePostingTable(const std::filesystem::path& path, long rows) {
    const std::vector<DbfColumn> columns = DbfWriter::PostingColumns();
    DbfWriter writer(columns);
    long voucher = 0;
    int linesLeft = 0;
    std::map<std::string, std::string> row;
    for (long i = 0; i < rows; ++i) {
        if (linesLeft == 0) {
            ++voucher;
            linesLeft = 1 + voucher % 3;
            const bool bookV = voucher % 5 == 0;
            std::string customer;
            if (voucher % 4 == 1)
                customer = "OLD" + std::to_string(voucher % 1000);
            else if (voucher % 4 == 2)
                customer = "NEW" + std::to_string(voucher);
            else if (voucher % 4 == 3)
                customer = row["U_ROVID"]; // the previous voucher's
            row = {{"FELADO", "SZLA"},
                   {"AZON", "A" + std::to_string(voucher)},
                   {"BIZONYLAT", bookV && voucher % 10 == 0 ? "P" + std::to_string(voucher)
                                                            : "B" + std::to_string(voucher)},
                   {"MO_CHAR", bookV ? "V" : "S"},
                   {"JELLEG", bookV ? "S" : "K"},
                   {"IRANY", "K"},
                   {"US_NEV", "BENCH"},
                   {"TOTAL", std::to_string(100 + voucher)},
                   {"AFATOTAL", "27"},
                   {"KARTON", bookV ? "3111" : "4541"},
                   {"DEV", voucher % 9 == 0 ? "EUR" : ""},
                   {"KELTE", "20120315"},
                   {"TELJESIT", "20120316"},
                   {"HATARIDO", "20120330"},
                   {"AFATELJ", "20120317"},
                   {"U_ROVID", customer},
                   {"U_ADOSZAM", customer.empty() ? "" : "12345678"},
                   {"MEGJEGY", "bench"}};
        }
        --linesLeft;
        row["SELF"] = std::to_string(i + 1);
        row["SUMA"] = i % 7 == 3 ? "0" : "100";
        row["AFASUM"] = "27";
        row["ELLEN"] = i % 7 == 5 ? "9999" : "5211";
        row["AF_NEV"] = i % 2 ? "A27" : "5%";
        std::vector<std::string> cells;
        for (const DbfColumn& column : columns) {
            auto found = row.find(column.Name);
            cells.push_back(found == row.end() ? std::string() : found->second);
        }
        writer.Row(cells);
    }
    writer.Save(path);
}

double PostingRate(TestDatabase& db, const TempDir& files, long rows) {
    PostingQueries queries(db.Db(), db.Tr());
    DbfTable dbf1("Dbf1");
    ScriptedView view;
    std::string report;
    JournalNumbers journals;
    PostingEngine engine(queries, dbf1, view, report, journals);

    dbf1.FolderName = files.Folder();
    dbf1.TableName = "feladas.dbf";
    dbf1.Open();
    view.SetProgressMax(dbf1.RecordCount());
    view.SetProgress(1);
    const auto start = Clock::now();
    engine.Run();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    dbf1.Close();
    if (!report.empty()) throw std::runtime_error("rows failed while posting:\n" + report);
    return rows / seconds;
}

double FloorRate(TestDatabase& db, long commits) {
    IBQuery insert(db.Db(), db.Tr(), "FLOOR");
    insert.SetSQLText("insert into TETEL (TE_ID, TE_FE_ID) values (:ID, 0)");
    const auto start = Clock::now();
    for (long i = 1; i <= commits; ++i) {
        insert.ParamByName("ID").SetAsInteger(-i);
        insert.ExecSQL();
        db.Tr().Commit();
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    db.Execute("delete from TETEL where TE_ID < 0");
    return commits / seconds;
}

} // namespace

int main(int argc, char** argv) {
#ifndef NDEBUG
    std::cerr << "inzefor-bench: built without optimisation; configure with "
                 "-DCMAKE_BUILD_TYPE=Release for representative figures\n";
#endif
    try {
        const Options options = ParseOptions(argc, argv);
        TestDatabase db;
        LoadReferenceData(db, options.Headers);
        TempDir files;
        WritePostingTable(files / "feladas.dbf", options.Rows);

        const long floorCommits = std::max(options.Rows, 500L);
        const double floorBefore = FloorRate(db, floorCommits);
        const double posting = PostingRate(db, files, options.Rows);
        const double floorAfter = FloorRate(db, floorCommits);
        // Measured on both sides of the posting, so that a change in the machine's load during
        // the run weighs on both figures alike.
        const double floor = (floorBefore + floorAfter) / 2;

        std::printf("headers=%ld rows=%ld posting_rows_per_s=%.0f floor_commits_per_s=%.0f "
                    "ratio=%.2f\n",
                    options.Headers, options.Rows, posting, floor, posting / floor);
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "inzefor-bench: " << e.what() << "\n";
        return 1;
    }
}
