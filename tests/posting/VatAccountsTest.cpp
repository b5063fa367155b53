// VAT codes, rates and accounts of the lines, and the currency variants of accounts.
#include "tests/posting/PostingFixture.h"

#include "platform/Text.h"

namespace {

class VatAccountsTest : public PostingFixture {
protected:
    std::string Lines() {
        return Value("select list(TE_AF_NEV||'/'||TE_AF_ERTEK||'/'||TE_AFASZAMLA||'/'||TE_ERROR, "
                     "'|') from (select * from TETEL order by TE_ID)");
    }
};

TEST_F(VatAccountsTest, TheSendersCodeIsTranslatedAndItsAccountFollowsTheDirection) {
    Post({Clean({{"SELF", "1"}, {"AF_NEV", "a27"}}),
          Clean({{"SELF", "2"}, {"AF_NEV", "27%"}, {"IRANY", "T"}}),
          Clean({{"SELF", "3"}, {"AF_NEV", "27%"}, {"MO_CHAR", "V"}, {"KARTON", "3111"}}),
          Clean({{"SELF", "4"},
                 {"AF_NEV", "27%"},
                 {"MO_CHAR", "V"},
                 {"KARTON", "3111"},
                 {"IRANY", "T"}}),
          Clean({{"SELF", "5"}, {"AF_NEV", "B5"}, {"AFASZAMLA", "4661"}}),
          Clean({{"SELF", "6"}, {"AF_NEV", "B5"}, {"DEV", "EUR"}}),
          Clean({{"SELF", "7"}, {"AF_NEV", "B5"}, {"AFASZAMLA", "5211"}}),
          Clean({{"SELF", "8"}, {"AF_NEV", "18%"}}), Clean({{"SELF", "9"}, {"AF_NEV", ""}})});

    // The account of a code whose VAT table entry is too short comes from AFASZAMLA, which must
    // be a VAT account of the year; a code only an earlier year knows is marked.
    EXPECT_EQ(Lines(), "27%/27/466/|27%/27/467/|27%/27/467/|27%/27/467/|5%/5/4661/|27%/27/466/|" +
                           W1250("5%/5/? 5211/Áfa_számla=?5211 |? 18%/0//AFA_NEV=?18% |/0//"));
}

TEST_F(VatAccountsTest, ACodeWithoutTranslationIsLookedUpAsDelivered) {
    Db().Execute("insert into AFA values ('aam',0,2012,'466','467')");
    Post({Clean({{"SELF", "1"}, {"AF_NEV", " aam"}}), Clean({{"SELF", "2"}, {"AF_NEV", "AAM"}})});
    EXPECT_EQ(Lines(), "aam/0/466/|aam/0/466/");
}

TEST_F(VatAccountsTest, CurrencyRowsUseTheCurrencyVariantsOfTheirAccounts) {
    Post({Clean({{"SELF", "1"}, {"DEV", "eur"}}),
          Clean({{"SELF", "2"}, {"DEV", "EU"}, {"BIZONYLAT", "B2"}}),
          Clean({{"SELF", "3"},
                 {"DEV", "USD"},
                 {"BIZONYLAT", "B3"},
                 {"MO_CHAR", "V"},
                 {"KARTON", "3111"},
                 {"ELLEN", "311"}}),
          Clean({{"SELF", "4"},
                 {"DEV", "EUR"},
                 {"BIZONYLAT", "B4"},
                 {"KARTON", "4549"},
                 {"ELLEN", ""}})});

    EXPECT_EQ(Value("select list(FE_DEV||'/'||FE_KARTON||'/'||TE_ELLEN, '|') from (select * from "
                    "FEJLEC join TETEL on TE_FE_ID = FE_ID order by FE_ID)"),
              "EUR/4542/5211|/4541/5211|USD/3119/311|EUR/? 4549/? ");
    EXPECT_EQ(Engine.CurrencyAccount("4541", "USD"), "4542");
    EXPECT_EQ(Engine.CurrencyAccount("45'1", "EUR"), "45'1");
    EXPECT_EQ(Engine.CurrencyAccount("311", "EUR"), "311");
}

TEST_F(VatAccountsTest, VatValuesDoNotCarryOverToTheNextRow) {
    Post({Clean({{"SELF", "1"}}), Clean({{"SELF", "2"}, {"AF_NEV", ""}}),
          Clean({{"SELF", "3"}, {"AF_NEV", "B5"}, {"AFASZAMLA", "4661"}}),
          Clean({{"SELF", "4"}, {"AF_NEV", "18%"}})});
    EXPECT_EQ(Lines(), "27%/27/466/|/0//|5%/5/4661/|? 18%/0//AFA_NEV=?18% ");
}

} // namespace
