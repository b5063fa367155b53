// Customers of the vouchers: reused, found, created.
#include "tests/posting/PostingFixture.h"

#include "platform/Text.h"

namespace {

class CustomerResolverTest : public PostingFixture {
protected:
    std::string Customers() {
        return Value(
            "select list(UG_ROVID||'/'||UG_MOD||'/'||UG_CEG||'/'||UG_KARTON||'/'||"
            "UG_ADOSZAM||'/'||UG_BANKSZAM||'/'||UG_HELY||'/'||UG_UTCA||'/'||UG_US_NEV||"
            "'/'||cast(UG_EV as integer), '|') from (select * from UGYFEL order by UG_ID)");
    }
    // Each header's customer, by short name (none: "-").
    std::string HeaderCustomers() {
        return Value("select list(coalesce(UG_ROVID, '-'), '|') from (select UG_ROVID from FEJLEC "
                     "left join UGYFEL on UG_ID = FE_UG_ID order by FE_ID)");
    }
};

TEST_F(CustomerResolverTest, ANewCustomerIsStoredAsTheRowGivesIt) {
    Post({Clean({{"U_ROVID", " ACME "},
                 {"U_CEG", "AB"},
                 {"U_ADOSZAM", "123"},
                 {"U_BANKSZAM", "12"},
                 {"U_HELY", " Town"},
                 {"U_UTCA", "Street 1"},
                 {"US_NEV", " OPERATOR01"}})});

    EXPECT_EQ(Customers(), "ACME/S/AB/4541/123//" + std::string(" Town/Street 1/@OPERATOR/2012"));
    EXPECT_EQ(HeaderCustomers(), "ACME");
}

TEST_F(CustomerResolverTest, TheNextRowReusesTheCustomerWhenAccountAndOneValueMatch) {
    Post({Clean({{"SELF", "1"}, {"U_ROVID", "ACME"}, {"U_ADOSZAM", "12345678"}}),
          Clean({{"SELF", "2"},
                 {"BIZONYLAT", "B2"},
                 {"U_ROVID", "ACME Kft"},
                 {"U_ADOSZAM", "12345678"}}),
          Clean({{"SELF", "3"}, {"BIZONYLAT", "B3"}, {"U_ROVID", ""}, {"U_ADOSZAM", "12345678"}}),
          Clean({{"SELF", "4"}, {"BIZONYLAT", "B4"}, {"U_ROVID", "ACME"}})});

    // Row 3 names no customer; row 4 finds ACME by short name and account.
    EXPECT_EQ(HeaderCustomers(), "ACME|ACME|-|ACME");
    EXPECT_EQ(Count("UGYFEL"), 1);
}

TEST_F(CustomerResolverTest, ValuesTooShortToTellCustomersApartNeverMatch) {
    Db().Execute("insert into UGYFEL (UG_ID, UG_ROVID, UG_KARTON, UG_EV) values "
                 "(900001, 'OLD', '4541', 2012);"
                 "insert into UGYFEL (UG_ID, UG_ROVID, UG_KARTON, UG_EV) values "
                 "(900002, 'PAST', '4541', 2011)");
    Post({Clean({{"SELF", "1"}, {"U_ROVID", "OLD"}, {"U_CEG", "ABC"}}),
          Clean({{"SELF", "2"}, {"BIZONYLAT", "B2"}, {"U_ROVID", "NEW"}, {"U_CEG", "XYZ"}}),
          Clean({{"SELF", "3"}, {"BIZONYLAT", "B3"}, {"U_ROVID", "PAST"}})});

    EXPECT_EQ(HeaderCustomers(), "OLD|NEW|PAST");
    EXPECT_EQ(Value("select list(UG_ROVID||cast(UG_EV as integer)) from (select * from UGYFEL "
                    "where UG_ID < 900000 order by UG_ID)"),
              "NEW2012,PAST2012");
}

TEST_F(CustomerResolverTest, AVoucherAccountMissingFromTheChartCreatesNoCustomer) {
    Post({Clean({{"SELF", "1"}, {"U_ROVID", "ACME"}, {"KARTON", "454"}, {"U_KARTON", "4541"}})});

    EXPECT_EQ(Value("select FE_UG_ID||'/'||FE_ERROR from FEJLEC"),
              W1250("0/Ugyfél_karton=?? 454 Karton=?454"));
    EXPECT_EQ(Count("UGYFEL"), 0);
}

TEST_F(CustomerResolverTest, ACustomerThatCannotBeStoredLeavesTheRowWithoutOne) {
    Post({Clean({{"SELF", "1"}, {"U_ROVID", "ACME"}, {"U_HELY", std::string(50, 'T')}}),
          Clean({{"SELF", "2"}, {"BIZONYLAT", "B2"}, {"U_ROVID", "BETA"}})},
         Widened("U_HELY", 60));

    EXPECT_EQ(HeaderCustomers(), "-|BETA");
    EXPECT_EQ(RunReport, "");
}

} // namespace
