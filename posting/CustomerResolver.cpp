#include "posting/CustomerResolver.h"

#include "db/DbError.h"
#include "db/IBStoredProc.h"
#include "db/TEQuery.h"
#include "platform/DbfTable.h"
#include "platform/Text.h"
#include "posting/CreationGuard.h"
#include "posting/LookupMemory.h"
#include "posting/QuerySteps.h"

#include <algorithm>
#include <exception>

using namespace query_steps;

const std::string CustomerResolver::Missing = "@@@";

CustomerResolver::CustomerResolver(TEQuery& EQ2, IBStoredProc& SP1, DbfTable& Dbf1,
                                   const WorkYear& year, LookupMemory& memory, CreationGuard* guard)
    : EQ2_(EQ2), SP1_(SP1), Dbf1_(Dbf1), year_(year), memory_(memory), guard_(guard) {}

std::string CustomerResolver::Text(const char* column) const {
    return Dbf1_.FieldByName(column).AsString();
}

int CustomerResolver::Find(const CustomerValues& c) {
    OpenLookup(EQ2_,
               "select UG_ID from UGYFEL where  UG_ROVID=:UG_R and UG_KARTON=:UG_K and UG_EV=" +
                   year_.Text,
               {{"UG_R", c.ShortName}, {"UG_K", c.Account}});
    return std::max(FieldInteger(EQ2_, "UG_ID"), 0);
}

bool CustomerResolver::SameAsPrevious(const CustomerValues& c) const {
    auto same = [](const std::string& value, const std::string& before) {
        return value == before && value != Missing;
    };
    return same(c.Account, previous_.Account) &&
           (same(c.ShortName, previous_.ShortName) || same(c.TaxNumber, previous_.TaxNumber) ||
            same(c.Company, previous_.Company) || same(c.BankAccount, previous_.BankAccount));
}

bool CustomerResolver::Resolve(PostingRow& row) {
    CustomerValues& c = row.Customer;
    c.Id = 0;
    const bool accountUsable = row.Account.find('?') == std::string::npos && row.Account.size() > 2;
    c.Account = accountUsable ? row.Account : std::string();

    c.ShortName = text::Trim(Text("U_ROVID"));
    if (c.ShortName.empty()) return false;
    c.BankAccount = text::Trim(Text("U_BANKSZAM"));
    if (c.BankAccount.size() < 5) c.BankAccount = Missing;
    if (c.Account.empty()) {
        c.Account = text::Trim(Text("U_KARTON"));
        if (c.Account.empty()) c.Account = Missing;
    }
    c.Company = text::Trim(Text("U_CEG"));
    if (c.Company.size() < 4) c.Company = Missing;
    c.TaxNumber = text::Trim(Text("U_ADOSZAM"));
    if (c.TaxNumber.empty()) c.TaxNumber = Missing;

    if (SameAsPrevious(c)) {
        c.Id = previous_.Id;
        return false;
    }

    memory_.Open(EQ2_,
                 "select FO_KARTON, FO_TYP from FOKONYV where FO_KARTON=:K and FO_COMPLET='Y' and "
                 "FO_EV=" +
                     year_.Text,
                 {{"K", row.Account}});
    std::string accountType;
    if (FieldText(EQ2_, "FO_KARTON").empty()) {
        row.HeaderErrors = W1250("Ugyfél_karton=?") + row.Account + " " + row.HeaderErrors;
        c.Account = "?";
        accountType = "X";
    } else {
        accountType = text::Trim(FieldText(EQ2_, "FO_TYP"));
    }

    if (c.TaxNumber.size() < 5) c.TaxNumber = Missing;

    c.Id = Find(c);
    if (c.Id == 0 && text::UpperAscii(accountType) != "X") {
        // Once the guard is this row's, a run that was creating the same customer has committed.
        if (guard_ && guard_->TakeCustomer(c.ShortName, c.Account, year_.Text)) c.Id = Find(c);
        if (c.Id != 0) return false;
        InsertCustomer(row, accountType);
        try {
            EQ2_.ExecSQL();
            return true;
        } catch (const std::exception& e) {
            if (DbError::ReachesDatabase(e)) throw;
            // A customer that cannot be stored (a duplicate, a value too long for its column)
            // does not stop the posting: the voucher goes in without a partner.
            c.Id = 0;
        }
    }
    return false;
}

void CustomerResolver::InsertCustomer(PostingRow& row, const std::string& accountType) {
    CustomerValues& c = row.Customer;
    if (c.BankAccount == Missing) c.BankAccount.clear();
    if (c.Account == Missing) c.Account = "?";
    c.ShortName = text::Trim(Text("U_ROVID"));
    c.Company = text::Trim(Text("U_CEG"));
    c.TaxNumber = text::Trim(Text("U_ADOSZAM"));

    c.Id = NextIdentifier(SP1_, "UG_NEXT");

    EQ2_.SetSQLText("insert into UGYFEL (UG_ID,UG_MOD,UG_ROVID,UG_CEG,UG_KARTON,UG_ADOSZAM,"
                    "UG_BANKSZAM,UG_HELY,UG_UTCA,UG_US_NEV, UG_EV) VALUES (:UG_ID,:UG_TYP,"
                    ":UG_ROVID,:UG_CEG,:UG_KARTON,:UG_ADOSZAM,:UG_BANK,:UG_HELY,:UG_UTCA,"
                    ":UG_US_NEV,:UG_EV)");
    EQ2_.ParamByName("UG_ID")->SetAsInteger(c.Id);
    EQ2_.ParamByName("UG_TYP")->SetAsString(accountType);
    EQ2_.ParamByName("UG_ROVID")->SetAsString(c.ShortName);
    EQ2_.ParamByName("UG_CEG")->SetAsString(c.Company);
    EQ2_.ParamByName("UG_KARTON")->SetAsString(c.Account);
    EQ2_.ParamByName("UG_ADOSZAM")->SetAsString(c.TaxNumber);
    EQ2_.ParamByName("UG_BANK")->SetAsString(c.BankAccount);
    EQ2_.ParamByName("UG_HELY")->SetAsString(Text("U_HELY"));
    EQ2_.ParamByName("UG_UTCA")->SetAsString(Text("U_UTCA"));
    EQ2_.ParamByName("UG_US_NEV")->SetAsString(("@" + text::Trim(Text("US_NEV"))).substr(0, 9));
    EQ2_.ParamByName("UG_EV")->SetAsFloat(year_.Value);
}
