#include "tests/support/PostingSnapshot.h"

#include "db/IBQuery.h"
#include "tests/support/TestDatabase.h"

std::vector<std::string> PostingSnapshot(TestDatabase& db) {
    std::vector<std::string> rows;
    IBQuery q(db.Db(), db.Tr(), "SNAPSHOT");
    auto read = [&](const std::string& title, const std::string& sql) {
        q.SetSQLText(sql);
        q.Open();
        for (bool more = !q.IsEmpty(); more; more = q.Next()) {
            std::string row = title;
            for (TField* f : q.Fields())
                row += "|" + f->AsString();
            rows.push_back(row);
        }
        q.Close();
    };
    read("H", "select (select count(*) from FEJLEC x where x.FE_ID <= h.FE_ID), FE_MO_CHAR, "
              "(select NA_TYP from NAPLO where NA_NO = FE_NAPLO), FE_JELLEG, "
              "(select UG_ROVID from UGYFEL where UG_ID = FE_UG_ID), FE_BIZONYLAT, FE_HIVATKOZ, "
              "FE_NYOMSZAM, FE_KARTON, FE_TOTAL, FE_AFATOTAL, FE_DEV, FE_KELTE, FE_MEGJEGY, "
              "FE_TELJESIT, FE_AFATELJ, FE_HATARIDO, FE_IRANY, FE_US_NEV, FE_EV, FE_ERR, FE_ERROR "
              "from FEJLEC h order by FE_ID");
    read("L", "select (select count(*) from FEJLEC x where x.FE_ID <= TE_FE_ID), TE_FE_IRANY, "
              "TE_ELLEN, TE_AFASZAMLA, TE_SUM, TE_AFASUM, TE_AF_NEV, TE_AF_ERTEK, TE_MEGJEGY, "
              "TE_US_NEV, TE_EV, TE_KO_NEV, TE_MU_NEV, TE_ERR, TE_ERROR from TETEL order by TE_ID");
    read("C", "select UG_MOD, UG_ROVID, UG_CEG, UG_KARTON, UG_ADOSZAM, UG_BANKSZAM, UG_EV "
              "from UGYFEL order by UG_ID");
    read("J", "select NA_TYP, NA_OWNER, NA_EV from NAPLO order by NA_NO");
    db.Tr().Commit();
    return rows;
}
