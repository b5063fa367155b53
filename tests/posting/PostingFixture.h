#pragma once
// A posting engine wired to a real embedded database and real dBase files, as the main window
// wires it, with a small chart of accounts, VAT codes, posting groups and translations for 2012.
#include "fixtures/DbfWriter.h"
#include "fixtures/ScriptedView.h"
#include "fixtures/TempDir.h"
#include "platform/DbfTable.h"
#include "posting/JournalNumbers.h"
#include "posting/PostingEngine.h"
#include "posting/PostingQueries.h"
#include "tests/support/DatabaseTest.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

class PostingFixture : public DatabaseTest {
protected:
    using Row = std::map<std::string, std::string>;

    void SetUp() override {
        Db().Execute(
            "delete from FEJLEC; delete from TETEL; delete from UGYFEL; delete from NAPLO;"
            "delete from FOKONYV; delete from AFA; delete from FELCSOP; delete from FELAFA;");
        Db().Execute("insert into FOKONYV values ('4541','S','Y',2012,'Szallitok');"
                     "insert into FOKONYV values ('4542','s','Y',2012,'Szallitok @EUR');"
                     "insert into FOKONYV values ('3111','V','Y',2012,'Vevok');"
                     "insert into FOKONYV values ('3119','v','Y',2012,'Vevok deviza');"
                     "insert into FOKONYV values ('311','V','Y',2012,'Vevo');"
                     "insert into FOKONYV values ('5211','X','Y',2012,'Anyag');"
                     "insert into FOKONYV values ('466','T','Y',2012,'Elozetes AFA');"
                     "insert into FOKONYV values ('467','K','Y',2012,'Fizetendo AFA');"
                     "insert into FOKONYV values ('4661','T','Y',2012,'AFA atvezetes');"
                     "insert into FOKONYV values ('4541','S','Y',2011,'Szallitok');"
                     "insert into AFA values ('27%',27,2012,'466','467');"
                     "insert into AFA values ('5%',5,2012,'4','4');"
                     "insert into AFA values ('18%',18,2011,'466','467');"
                     "insert into FELAFA values ('SZLA','A27','27%',null);"
                     "insert into FELAFA values ('SZLA','B5','5%','27%');"
                     "insert into FELCSOP values ('ANYAG','4541','5211');"
                     "insert into FELCSOP values ('ROVID','38','');");
    }

    TestDatabase& Db() { return *db_; }
    std::string Value(const std::string& sql) { return Db().QueryValue(sql); }
    int Count(const std::string& table, const std::string& where = "1=1") {
        return std::stoi(Value("select count(*) from " + table + " where " + where));
    }

    // A row without findings: book S, direction K, account 4541, counter account 5211, VAT 27%.
    static Row Clean(Row changes = {}) {
        Row row = {{"FELADO", "SZLA"},       {"AZON", "A1"},          {"SELF", "1"},
                   {"BIZONYLAT", "B001"},    {"HIVATKOZ", "H1"},      {"MO_CHAR", "S"},
                   {"JELLEG", "S"},          {"IRANY", "K"},          {"US_NEV", "OPERATOR"},
                   {"TOTAL", "127"},         {"AFATOTAL", "27"},      {"SUMA", "100"},
                   {"AFASUM", "27"},         {"KARTON", "4541"},      {"ELLEN", "5211"},
                   {"AF_NEV", "27%"},        {"KELTE", "20120315"},   {"TELJESIT", "20120316"},
                   {"HATARIDO", "20120330"}, {"AFATELJ", "20120317"}, {"MEGJEGY", "megj"}};
        for (auto& [column, value] : changes)
            row[column] = value;
        return row;
    }

    void WriteTable(const std::string& name, const std::vector<Row>& rows,
                    const std::vector<DbfColumn>& columns) {
        DbfWriter writer(columns);
        for (const Row& row : rows)
            writer.RowByName(row);
        writer.Save(Files / name);
    }

    // Posts a table as the run driver does: open on the first record, progress bar set.
    void Post(const std::vector<Row>& rows,
              const std::vector<DbfColumn>& columns = DbfWriter::PostingColumns()) {
        WriteTable("feladas.dbf", rows, columns);
        Dbf1.FolderName = Files.Folder();
        Dbf1.TableName = "feladas.dbf";
        Dbf1.Open();
        View.SetProgressMax(Dbf1.RecordCount());
        View.SetProgress(1);
        View.Positions.clear();
        RunReport = Engine.Run().ErrorRecords;
        Dbf1.Close();
    }

    // Columns of the posting table with one of them widened (to provoke a too long value).
    static std::vector<DbfColumn> Widened(const std::string& name, int width) {
        std::vector<DbfColumn> columns = DbfWriter::PostingColumns();
        for (DbfColumn& c : columns)
            if (c.Name == name) c.Width = width;
        return columns;
    }

    TempDir Files;
    PostingQueries Queries{Db().Db(), Db().Tr()};
    DbfTable Dbf1{"Dbf1"};
    ScriptedView View;
    std::string RunReport;
    JournalNumbers Journals;
    PostingEngine Engine{Queries, Dbf1, View, Journals};
};
