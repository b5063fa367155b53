#include "posting/JournalResolver.h"

#include "db/IBStoredProc.h"
#include "db/TEQuery.h"
#include "posting/CreationGuard.h"
#include "posting/QuerySteps.h"

JournalResolver::JournalResolver(TEQuery& EQ1, IBStoredProc& SP1, JournalNumbers& numbers,
                                 const WorkYear& year, CreationGuard* guard)
    : EQ1_(EQ1), SP1_(SP1), numbers_(numbers), year_(year), guard_(guard) {}

std::string JournalResolver::LookupSql(char letter) {
    return "select NA_NO from NAPLO where NA_TYP='" + std::string(1, letter) + "'" +
           " and NA_OWNER=" + "'" + "IMPORT" + "'" + " and  F_DATE(current_date," + "'" +
           "yyyy.mm.dd" + "'" + ")=F_DATE(NA_TIME," + "'" + "yyyy.mm.dd" + "'" + ")";
}

int JournalResolver::JournalForBook(const std::string& book) {
    if (book.empty()) return 0;
    char letter = book[0];
    if (!JournalNumbers::IsBookLetter(letter)) return 0;
    if (int cached = numbers_.Get(letter); cached != 0) return cached;
    for (const auto& [createdLetter, number] : created_)
        if (createdLetter == letter) return number;

    auto find = [&] {
        query_steps::OpenLookup(EQ1_, LookupSql(letter), {});
        return query_steps::FieldInteger(EQ1_, "NA_NO");
    };
    int number = find();
    // Once the guard is this row's, a run that was creating the same journal has committed.
    if (number <= 0 && guard_ && guard_->TakeJournal(letter)) number = find();
    if (number > 0) {
        numbers_.Set(letter, number);
        return number;
    }

    SP1_.SetStoredProcName("ACT_NAPLO");
    SP1_.ParamByName("A").SetAsString(std::string(1, letter));
    SP1_.ParamByName("NP").SetAsInteger(-2);
    SP1_.ParamByName("OWN").SetAsString("@IMPORT");
    SP1_.ParamByName("EV").SetAsFloat(year_.Value);
    SP1_.ExecProc();
    number = SP1_.ParamByName("N").AsInteger();
    if (number != 0) created_.emplace_back(letter, number);
    return number;
}

void JournalResolver::RowCommitted() {
    for (const auto& [letter, number] : created_)
        numbers_.Set(letter, number);
    created_.clear();
}

void JournalResolver::RowRolledBack() {
    created_.clear();
}
