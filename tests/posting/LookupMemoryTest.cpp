// Reference look-ups answered once per file: another user's change of the chart or the VAT codes
// while a file is posted reaches the rows of the next file, never half of one file.
#include "tests/posting/PostingFixture.h"

#include "platform/Text.h"

namespace {

class LookupMemoryTest : public PostingFixture {
protected:
    std::string Lines() {
        return Value("select list(TE_AF_ERTEK||'/'||TE_ELLEN||'/'||TE_ERROR, '|') from "
                     "(select * from TETEL order by TE_ID)");
    }
};

TEST_F(LookupMemoryTest, AReferenceRowChangedDuringAFileIsSeenFromTheNextFileOn) {
    int rowsAsked = 0;
    View.Stop = [&] {
        // Another user, between the first and the second row, in a transaction of their own.
        if (++rowsAsked == 2)
            Db().Execute("update AFA set AF_ERTEK = 25 where AF_NEV = '27%';"
                         "delete from FOKONYV where FO_KARTON = '5211'");
        return false;
    };
    Post({Clean({{"SELF", "1"}}), Clean({{"SELF", "2"}}), Clean({{"SELF", "3"}})});
    EXPECT_EQ(Lines(), "27/5211/|27/5211/|27/5211/");

    Post({Clean({{"SELF", "1"}, {"BIZONYLAT", "B002"}}),
          Clean({{"SELF", "2"}, {"BIZONYLAT", "B002"}})});
    EXPECT_EQ(Lines(), "27/5211/|27/5211/|27/5211/|25/? 5211/" + W1250("Ellen_számla=?5211 |") +
                           "25/? 5211/" + W1250("Ellen_számla=?5211 "));
}

} // namespace
