#include "posting/PostingEngine.h"

#include "db/DbError.h"
#include "db/IBTransaction.h"
#include "platform/DbfTable.h"
#include "platform/FormatSettings.h"
#include "platform/Text.h"
#include "posting/ImportLedger.h"
#include "posting/PostingQueries.h"
#include "posting/PostingStopped.h"
#include "posting/PostingView.h"
#include "posting/QuerySteps.h"

#include <exception>
#include <stdexcept>

using namespace query_steps;

const char* const PostingEngine::HeaderSql =
    "insert into FEJLEC (FE_ID,FE_MO_CHAR,FE_NAPLO,FE_JELLEG,FE_UG_ID,FE_BIZONYLAT,FE_HIVATKOZ,"
    "FE_NYOMSZAM,FE_KARTON,FE_TOTAL,FE_AFATOTAL,FE_DEVTOTAL,FE_DEVKURZ,FE_DEV,FE_KELTE,"
    "FE_PENZUGY,FE_MEGJEGY,FE_TELJESIT,FE_AFATELJ,FE_HATARIDO,FE_FUZMOD,FE_RENDEL,FE_IRANY,"
    "FE_MARAD,FE_AFAMARAD,FE_STATUS,FE_US_NEV,FE_EV,FE_GY_NEV,FE_ERR,FE_ERROR)VALUES (:FE_ID,"
    ":FE_MO_CHAR,:FE_NAPLO,:FE_JELLEG,:FE_UG_ID,:FE_BIZONYLAT,:FE_HIVATKOZ,:FE_NYOMSZAM,"
    ":FE_KARTON,:FE_TOTAL,:FE_AFATOTAL,:FE_DEVTOTAL,:FE_DEVKURZ,:FE_DEV,:FE_KELTE,:FE_PENZUGY,"
    ":FE_MEGJEGY,:FE_TELJESIT,:FE_AFATELJ,:FE_HATARIDO,:FE_FUZMOD,:FE_RENDEL,:FE_IRANY,"
    ":FE_MARAD,:FE_AFAMARAD,:FE_STATUS,:FE_US_NEV,:FE_EV,:FE_GY_NEV,:FE_ERR,:FE_ERROR)";

const char* const PostingEngine::LineSql =
    "insert into TETEL (TE_ID,TE_FE_ID,TE_FE_IRANY,TE_ELLEN,TE_AFASZAMLA,TE_SUM,TE_AFASUM,"
    "TE_GY_NEV,TE_AF_NEV,TE_AF_ERTEK,TE_MEGJEGY,TE_MEGJEGY_E,TE_MEGJEGY_D,TE_FE_STATUS,"
    "TE_US_NEV,TE_EV,TE_KO_NEV,TE_MU_NEV,TE_ERR,TE_ERROR) VALUES (:TE_ID,:TE_FE_ID,:TE_FE_IRANY,"
    ":TE_ELLEN,:TE_AFASZAMLA,:TE_SUM,:TE_AFASUM,:TE_GY_NEV,:TE_AF_NEV,:TE_AF_ERTEK,:TE_MEGJEGY,"
    ":TE_MEGJEGY_E,:TE_MEGJEGY_D,:TE_FE_STATUS,:TE_US_NEV,:TE_EV,:TE_KO_NEV,:TE_MU_NEV,:TE_ERR,"
    ":TE_ERROR)";

namespace {

// The duplicate test asks the database only for the headers that can match, through the index
// on the voucher number; the exact comparison is then the locate on those few rows. A header
// without a voucher number matches an empty one, as a locate does.
const char* const kDuplicateCandidates =
    "select FE_BIZONYLAT, FE_UG_ID from FEJLEC where FE_BIZONYLAT=:B and FE_UG_ID=:U";
const char* const kDuplicateCandidatesEmpty = "select FE_BIZONYLAT, FE_UG_ID from FEJLEC where "
                                              "(FE_BIZONYLAT=:B or FE_BIZONYLAT is null) and "
                                              "FE_UG_ID=:U";

std::string UserName(const std::string& name) {
    return ("@" + name).substr(0, 9);
}

// A check's stand-in for the commit of a row; one name serves every row, as each is released
// before the next is set.
const char* const kRowSavepoint = "INZ_ROW";

} // namespace

PostingEngine::PostingEngine(PostingQueries& queries, DbfTable& Dbf1, PostingView& view,
                             JournalNumbers& journalNumbers)
    : EQ2_(queries.Lookups), EQ3_(queries.Duplicates), SP1_(queries.Identifiers),
      TR1_(queries.Transaction), Dbf1_(Dbf1), view_(view), journalNumbers_(journalNumbers),
      journals_(queries.Journals, SP1_, journalNumbers, year_),
      vat_(EQ2_, queries.VatAccount, Dbf1, year_, lookups_),
      check_(EQ2_, queries.Groups, Dbf1, year_, journals_, vat_, lookups_),
      customers_(EQ2_, SP1_, Dbf1, year_, lookups_) {}

PostingReport PostingEngine::Run(const FileProgress& from, ImportLedger* ledger,
                                 const std::string& key) {
    Post(from, ledger, key);
    if (TR1_.InTransaction()) TR1_.Commit();
    return Report();
}

PostingReport PostingEngine::Check(const FileProgress& from) {
    if (TR1_.InTransaction()) TR1_.Commit();
    // Journals the check makes vanish with its transaction: the numbers kept must not name them.
    const JournalNumbers known = journalNumbers_;
    auto undo = [&] {
        checking_ = false;
        journalNumbers_ = known;
        if (TR1_.InTransaction()) TR1_.Rollback();
    };
    checking_ = true;
    try {
        Post(from, nullptr, {});
    } catch (...) {
        try {
            undo();
        } catch (const std::exception&) {
            // A database that cannot roll back has lost the transaction with it.
        }
        throw;
    }
    undo();
    return Report();
}

void PostingEngine::Post(const FileProgress& from, ImportLedger* ledger, const std::string& key) {
    ledger_ = ledger;
    key_ = key;
    lookups_.Forget();
    progress_ = from;
    notes_ = {};
    if (from.Year)
        year_.Set(*from.Year);
    else
        ChooseWorkYear();
    progress_.Year = year_.Value;
    customers_.Forget();
    customers_.Remember(from.PreviousCustomer);
    journals_.RowRolledBack();
    check_.DetectVatDateColumn();
    row_ = PostingRow{};
    for (rowNumber_ = 0; rowNumber_ < from.RowsDone && !Dbf1_.Eof(); ++rowNumber_)
        Dbf1_.Next();
    while (!Dbf1_.Eof()) {
        if (view_.StopRequested())
            throw PostingStopped("Stopped on request", progress_.RowsDone, true);
        PostRow();
        Dbf1_.Next();
    }
}

void PostingEngine::ChooseWorkYear() {
    OpenLookup(EQ2_, "select MAX(FO_EV) E from FOKONYV where FO_KARTON<>:PARAM", {{"PARAM", ""}});
    const std::string offered = FieldText(EQ2_, "E");
    std::string answer = offered;
    if (!view_.InputQuery(W1250("Mely évbe tölti "), W1250("Évszám pl 2012 "), answer))
        answer = offered;
    year_.Set(FormatSettings::Default().StrToFloat(answer));
}

void PostingEngine::PostRow() {
    // A row that fails before reading its voucher number or label is reported with those of the
    // row before.
    PostingRow fresh;
    fresh.RowLabel = row_.RowLabel;
    fresh.VoucherNumber = row_.VoucherNumber;
    row_ = std::move(fresh);
    try {
        view_.ProcessMessages();
        ++rowNumber_;
        view_.SetProgress(rowNumber_);
        BeginRow();
        const bool newCustomer = ReadRow();
        const bool newVoucher = !ContinuesPrevious(row_);
        int headerId = progress_.Previous.HeaderId;
        if (newVoucher) {
            headerId = NextIdentifier(SP1_, "FE_NEXT");
            InsertHeader(headerId);
        }
        FileProgress after = Advanced(headerId, newVoucher, newCustomer);
        // The ledger's record moves on in the row's own transaction: it is in exactly when the
        // row is. It draws the line's identifier in the same call.
        InsertLine(headerId, ledger_ ? ledger_->RowPosted(key_, rowNumber_, after)
                                     : NextIdentifier(SP1_, "TE_NEXT"));
        CommitRow();
        RowCommitted(std::move(after), newVoucher, newCustomer);
    } catch (const PostingStopped&) {
        throw;
    } catch (const std::exception& e) {
        if (DbError::ReachesDatabase(e)) {
            RollBackRow(e.what());
            throw PostingStopped(e.what(), progress_.RowsDone, false);
        }
        RejectRow(e.what());
    } catch (...) {
        RejectRow("Unknown error");
    }
}

bool PostingEngine::ReadRow() {
    check_.Check(row_);
    const bool newCustomer = customers_.Resolve(row_);
    row_.VoucherNumber = Dbf1_.FieldByName("BIZONYLAT").AsString();
    row_.PrintNumber = text::Trim(row_.VoucherNumber);
    row_.Duplicate = IsDuplicate(row_);
    return newCustomer;
}

FileProgress PostingEngine::Advanced(int headerId, bool newVoucher, bool newCustomer) const {
    FileProgress after = progress_;
    after.RowsDone = rowNumber_;
    after.Previous = {row_.VoucherNumber, row_.Customer.Id, row_.Total, row_.Account,
                      row_.Direction,     row_.IssueDate,   headerId};
    after.PreviousCustomer = row_.Customer;
    PostingCounts& counts = after.Counts;
    ++counts.RowsPosted;
    if (!(row_.HeaderErrors + row_.LineErrors).empty()) ++counts.RowsFlagged;
    if (newVoucher) ++counts.VouchersCreated;
    if (newCustomer) ++counts.CustomersCreated;
    counts.JournalsCreated += static_cast<int>(journals_.Creating().size());
    return after;
}

void PostingEngine::RowCommitted(FileProgress after, bool newVoucher, bool newCustomer) {
    const std::string findings = text::Trim(row_.HeaderErrors + " " + row_.LineErrors);
    const PostingNotes::Row note{rowNumber_, text::Trim(row_.VoucherNumber), findings};
    if (!(row_.HeaderErrors + row_.LineErrors).empty()) notes_.Findings.push_back(note);
    if (newVoucher && row_.Duplicate) notes_.Duplicates.push_back({note.Number, note.Voucher, {}});
    if (newCustomer) notes_.Customers.push_back(row_.Customer.ShortName);
    // A check's journal numbers go with its transaction: it names the book alone.
    for (const auto& [letter, number] : journals_.Creating())
        notes_.Journals.push_back(std::string(1, letter) +
                                  (checking_ ? "" : " " + std::to_string(number)));
    // Only what is committed is remembered: a later row never continues a voucher, reuses a
    // customer or a journal that a rollback took away.
    journals_.RowCommitted();
    customers_.Remember(row_.Customer);
    progress_ = std::move(after);
}

bool PostingEngine::IsDuplicate(const PostingRow& row) {
    // Only vouchers of book V are flagged, so only they need the test.
    if (row.Book != "V") return false;
    EQ3_.SetSQLText(row.VoucherNumber.empty() ? kDuplicateCandidatesEmpty : kDuplicateCandidates);
    EQ3_.ParamByName("B")->SetAsString(row.VoucherNumber);
    EQ3_.ParamByName("U")->SetAsInteger(row.Customer.Id);
    EQ3_.Open();
    return EQ3_.Locate("FE_BIZONYLAT;FE_UG_ID",
                       {row.VoucherNumber, std::to_string(row.Customer.Id)}, false, false);
}

bool PostingEngine::ContinuesPrevious(const PostingRow& row) const {
    return row.VoucherNumber == progress_.Previous.VoucherNumber &&
           row.Customer.Id == progress_.Previous.CustomerId &&
           row.Total == progress_.Previous.Total && row.Account == progress_.Previous.Account &&
           row.Direction == progress_.Previous.Direction &&
           row.IssueDate == progress_.Previous.IssueDate;
}

void PostingEngine::InsertHeader(int headerId) {
    auto text = [this](const char* column) { return Dbf1_.FieldByName(column).AsString(); };
    auto number = [this](const char* column) { return Dbf1_.FieldByName(column).AsFloat(); };
    const std::string remark =
        row_.Duplicate ? "?Dupla?(" + text("FELADO") + "-" + text("AZON") + ") " + text("MEGJEGY")
                       : "(" + text("FELADO") + "-" + text("AZON") + "/" + text("SELF") + ") " +
                             text("MEGJEGY");
    const std::string errors = text::Trim(row_.HeaderErrors + " " + row_.LineErrors).substr(0, 254);

    TEQuery& q = EQ2_;
    q.SetSQLText(HeaderSql);
    q.ParamByName("FE_ID")->SetAsInteger(headerId);
    q.ParamByName("FE_MO_CHAR")->SetAsString(row_.Book);
    q.ParamByName("FE_NAPLO")->SetAsInteger(row_.Journal);
    q.ParamByName("FE_JELLEG")->SetAsString(row_.Character);
    q.ParamByName("FE_UG_ID")->SetAsInteger(row_.Customer.Id);
    q.ParamByName("FE_BIZONYLAT")->SetAsString(row_.VoucherNumber);
    q.ParamByName("FE_NYOMSZAM")->SetAsString(row_.PrintNumber);
    q.ParamByName("FE_HIVATKOZ")->SetAsString(text("HIVATKOZ"));
    q.ParamByName("FE_KARTON")->SetAsString(row_.Account);
    q.ParamByName("FE_TOTAL")->SetAsFloat(row_.Total);
    q.ParamByName("FE_AFATOTAL")->SetAsFloat(number("AFATOTAL"));
    q.ParamByName("FE_DEVTOTAL")->SetAsFloat(number("DEVTOTAL"));
    q.ParamByName("FE_DEVKURZ")->SetAsFloat(number("DEVKURZ"));
    q.ParamByName("FE_DEV")->SetAsString(row_.Currency);
    q.ParamByName("FE_KELTE")->SetAsDateTime(row_.IssueDate);
    q.ParamByName("FE_PENZUGY")->SetAsString(text("PENZUGY"));
    q.ParamByName("FE_MEGJEGY")->SetAsString(remark);
    q.ParamByName("FE_TELJESIT")->SetAsDateTime(row_.PerformanceDate);
    q.ParamByName("FE_AFATELJ")->SetAsDateTime(row_.VatDate);
    q.ParamByName("FE_HATARIDO")->SetAsDateTime(row_.DueDate);
    q.ParamByName("FE_FUZMOD")->SetAsString(text("FUZMOD"));
    q.ParamByName("FE_RENDEL")->SetAsString(text("RENDEL"));
    q.ParamByName("FE_IRANY")->SetAsString(row_.Direction);
    q.ParamByName("FE_MARAD")->SetAsFloat(0);
    q.ParamByName("FE_AFAMARAD")->SetAsFloat(0);
    q.ParamByName("FE_STATUS")->SetAsString("N");
    q.ParamByName("FE_US_NEV")->SetAsString(UserName(text::Trim(text("US_NEV"))));
    q.ParamByName("FE_EV")->SetAsFloat(year_.Value);
    q.ParamByName("FE_GY_NEV")->SetAsString(text("GY_NEV"));
    q.ParamByName("FE_ERR")->SetAsInteger((row_.HeaderErrors + row_.LineErrors).empty() ? 0 : 2);
    q.ParamByName("FE_ERROR")->SetAsString(errors);
    q.ExecSQL();
}

void PostingEngine::InsertLine(int headerId, int lineId) {
    auto text = [this](const char* column) { return Dbf1_.FieldByName(column).AsString(); };

    TEQuery& q = EQ2_;
    q.SetSQLText(LineSql);
    q.ParamByName("TE_ID")->SetAsInteger(lineId);
    q.ParamByName("TE_FE_ID")->SetAsInteger(headerId);
    q.ParamByName("TE_FE_IRANY")->SetAsString(row_.Direction);
    q.ParamByName("TE_ELLEN")->SetAsString(row_.CounterAccount);
    q.ParamByName("TE_AFASZAMLA")->SetAsString(row_.VatAccount);
    q.ParamByName("TE_SUM")->SetAsFloat(Dbf1_.FieldByName("SUMA").AsFloat());
    q.ParamByName("TE_AFASUM")->SetAsFloat(Dbf1_.FieldByName("AFASUM").AsFloat());
    q.ParamByName("TE_GY_NEV")->SetAsString(text("GY_NEV"));
    q.ParamByName("TE_AF_NEV")->SetAsString(row_.VatCode);
    q.ParamByName("TE_AF_ERTEK")->SetAsInteger(row_.VatRate);
    q.ParamByName("TE_MEGJEGY")->SetAsString(text("MEGJEGY"));
    q.ParamByName("TE_MEGJEGY_E")->SetAsString(text("MEGJEGY_E"));
    q.ParamByName("TE_MEGJEGY_D")->SetAsString(text("MEGJEGY_D"));
    q.ParamByName("TE_FE_STATUS")->SetAsString("N");
    q.ParamByName("TE_US_NEV")->SetAsString(UserName(text("US_NEV")));
    q.ParamByName("TE_EV")->SetAsFloat(year_.Value);
    q.ParamByName("TE_KO_NEV")->SetAsString(text("KO_NEV"));
    q.ParamByName("TE_MU_NEV")->SetAsString(text("MU_NEV"));
    q.ParamByName("TE_ERROR")->SetAsString(row_.LineErrors);
    q.ParamByName("TE_ERR")->SetAsInteger(row_.HeaderErrors.empty() ? 0 : 1);
    q.ExecSQL();
}

void PostingEngine::BeginRow() {
    if (checking_) TR1_.ExecuteImmediate(std::string("SAVEPOINT ") + kRowSavepoint);
}

void PostingEngine::CommitRow() {
    if (checking_)
        TR1_.ExecuteImmediate(std::string("RELEASE SAVEPOINT ") + kRowSavepoint);
    else if (TR1_.InTransaction())
        // Commits the row as a commit does, and starts the next row's transaction in the same
        // call: over a network that is one round trip a row less.
        TR1_.CommitRetaining();
}

void PostingEngine::RollBackRow(const std::string& cause) {
    journals_.RowRolledBack();
    if (!TR1_.InTransaction()) return;
    try {
        if (checking_)
            TR1_.ExecuteImmediate(std::string("ROLLBACK TO SAVEPOINT ") + kRowSavepoint);
        else
            TR1_.Rollback();
    } catch (const std::exception& e) {
        // Without a clean rollback the row's writes may still be pending: going on could commit
        // them with the next row.
        // The cause, when there is one, is what the user must read first.
        throw PostingStopped((cause.empty() ? "" : cause + "\n") + "Rollback of row " +
                                 std::to_string(rowNumber_) + " failed: " + e.what(),
                             progress_.RowsDone, false);
    }
}

std::string PostingEngine::ErrorRecord(const std::string& message) const {
    return "ErrRec" + std::to_string(rowNumber_) + ". " + row_.VoucherNumber + " - " +
           row_.Customer.ShortName + " (" + row_.RowLabel + ")\r\n" + "  " +
           text::OneLine(message) + "\r\n\r\n";
}

void PostingEngine::RejectRow(const std::string& message) {
    RollBackRow();
    const std::string record = ErrorRecord(message);
    FileProgress after = progress_;
    after.RowsDone = rowNumber_;
    ++after.Counts.RowsRejected;
    after.Report += record;
    try {
        if (ledger_) ledger_->RowRejected(key_, rowNumber_, record, after);
    } catch (const std::exception& e) {
        // The row is out, but its record is not kept: a later run tries the row again.
        throw PostingStopped(e.what(), progress_.RowsDone, false);
    }
    notes_.Rejected.push_back({rowNumber_, text::Trim(row_.VoucherNumber), text::OneLine(message)});
    progress_ = std::move(after);
}
