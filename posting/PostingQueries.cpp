#include "posting/PostingQueries.h"

PostingQueries::PostingQueries(IBDatabase& database, IBTransaction& transaction, Component* owner,
                               SqlLogSettings* log)
    : Transaction(transaction), JournalQuery(database, transaction, "IB1", owner),
      LookupQuery(database, transaction, "IB2", owner),
      DuplicateQuery(database, transaction, "IB3", owner),
      GroupQuery(database, transaction, "IB4", owner),
      VatQuery(database, transaction, "IB5", owner), Journals("EQ1", owner, log),
      Lookups("EQ2", owner, log), Duplicates("EQ3", owner, log), Groups("EQ4", owner, log),
      VatAccount("EQ5", owner, log), Identifiers(database, transaction, "SP1", owner) {
    Journals.SetXQuery(&JournalQuery);
    Lookups.SetXQuery(&LookupQuery);
    Duplicates.SetXQuery(&DuplicateQuery);
    Groups.SetXQuery(&GroupQuery);
    VatAccount.SetXQuery(&VatQuery);
}
