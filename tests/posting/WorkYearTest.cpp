// The working year's text is pasted into SQL: it must read the same whatever the process locale.
#include "posting/WorkYear.h"
#include "fixtures/TempDir.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

namespace {

// Switches the C library to a locale whose decimal separator is a comma, as a desktop session in
// Hungary does (a Qt program adopts the session's locale at start). Builds one with localedef
// when the machine has none installed.
class CommaLocale {
public:
    CommaLocale() {
        for (const char* name : {"hu_HU.UTF-8", "hu_HU.utf8", "de_DE.UTF-8", "de_DE.utf8"})
            if (Use(name)) return;
        const std::string target = (folder_ / "hu_HU.UTF-8").string();
        if (std::system(("localedef -i hu_HU -f UTF-8 '" + target + "' >/dev/null 2>&1").c_str()) <
            0)
            return;
        ::setenv("LOCPATH", folder_.Path().c_str(), 1);
        Use("hu_HU.UTF-8");
    }
    ~CommaLocale() {
        std::setlocale(LC_NUMERIC, "C");
        ::unsetenv("LOCPATH");
    }
    bool Active() const { return active_; }

private:
    bool Use(const char* name) {
        active_ = std::setlocale(LC_NUMERIC, name) != nullptr &&
                  std::string(std::localeconv()->decimal_point) == ",";
        return active_;
    }

    TempDir folder_;
    bool active_ = false;
};

TEST(WorkYearTest, TheTextHasOneDecimalAndAFullStopInAnyLocale) {
    CommaLocale comma;
    if (!comma.Active()) GTEST_SKIP() << "no locale with a comma decimal separator available";

    WorkYear year;
    year.Set(2012);
    EXPECT_EQ(year.Text, "2012.0");
    EXPECT_EQ(year.DateYear, 2012);
    year.Set(2012.5);
    EXPECT_EQ(year.Text, "2012.5");
    EXPECT_EQ(year.DateYear, 2012);
    year.Set(-3);
    EXPECT_EQ(year.Text, "-3.0");
}

} // namespace
