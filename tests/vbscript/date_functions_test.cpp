// Dates: serial arithmetic, parts, DateAdd and DateDiff, fixed text form.
#include <gtest/gtest.h>

#include "tests/vbscript/script_test_support.h"

namespace mcplot::testing {
namespace {

TEST(DateFunctions, SerialsAndParts) {
    EXPECT_EQ(show("DateSerial(2026, 12, 7)"), "Date 12/7/2026");
    EXPECT_EQ(show("CDbl(DateSerial(1899, 12, 30))"), "Double 0");
    EXPECT_EQ(show("DateSerial(2024, 13, 1)"), "Date 1/1/2025");  // months overflow
    EXPECT_EQ(show("DateSerial(2024, 3, 0)"), "Date 2/29/2024");  // day 0 is the last of before
    EXPECT_EQ(show("DateSerial(99, 1, 1)"), "Date 1/1/1999");
    EXPECT_EQ(show("Year(#12/7/2026#)"), "Integer 2026");
    EXPECT_EQ(show("Month(#12/7/2026#)"), "Integer 12");
    EXPECT_EQ(show("Day(\"12/7/2026\")"), "Integer 7");
    EXPECT_EQ(show("Weekday(#12/7/2026#)"), "Integer 2");  // a Monday
    EXPECT_EQ(show("Weekday(#12/7/2026#, vbMonday)"), "Integer 1");
    EXPECT_EQ(show("Year(Null)"), "Null");
    EXPECT_EQ(show("Year(\"soon\")"), "Error 13");
}

TEST(DateFunctions, Times) {
    EXPECT_EQ(show("TimeSerial(16, 5, 0)"), "Date 4:05:00 PM");
    EXPECT_EQ(show("Hour(TimeSerial(16, 5, 9))"), "Integer 16");
    EXPECT_EQ(show("Minute(TimeSerial(16, 5, 9))"), "Integer 5");
    EXPECT_EQ(show("Second(TimeSerial(16, 5, 9))"), "Integer 9");
    EXPECT_EQ(show("TimeSerial(0, 0, 0)"), "Date 12/30/1899");
    EXPECT_EQ(show("Hour(-1.25)"), "Integer 6");  // before 1900 the time still counts forward
}

TEST(DateFunctions, DateAddAndDateDiff) {
    EXPECT_EQ(show("DateAdd(\"m\", 1, #1/31/2024#)"), "Date 2/29/2024");
    EXPECT_EQ(show("DateAdd(\"yyyy\", -1, #2/29/2024#)"), "Date 2/28/2023");
    EXPECT_EQ(show("DateAdd(\"d\", 10, #12/25/2026#)"), "Date 1/4/2027");
    EXPECT_EQ(show("DateAdd(\"h\", 25, #1/1/2020#)"), "Date 1/2/2020 1:00:00 AM");
    EXPECT_EQ(show("DateAdd(\"x\", 1, #1/1/2020#)"), "Error 5");
    EXPECT_EQ(show("DateDiff(\"d\", #1/1/2020#, #3/1/2020#)"), "Long 60");
    EXPECT_EQ(show("DateDiff(\"yyyy\", #12/31/2019#, #1/1/2020#)"), "Long 1");
    EXPECT_EQ(show("DateDiff(\"m\", #3/1/2020#, #1/1/2020#)"), "Long -2");
    EXPECT_EQ(show("DateDiff(\"n\", #1/1/2020#, #1/1/2020 1:30:00 AM#)"), "Long 90");
    EXPECT_EQ(show("DateDiff(\"ww\", #12/5/2026#, #12/7/2026#)"), "Long 1");  // Saturday to Monday
}

TEST(DateFunctions, ClockFunctionsGiveSensibleValues) {
    EXPECT_EQ(show("TypeName(Now)"), "String Date");
    EXPECT_EQ(show("Now >= Date And Now < Date + 1"), "Boolean True");
    EXPECT_EQ(show("Time < 1"), "Boolean True");
    EXPECT_EQ(show("Timer >= 0 And Timer < 86401"), "Boolean True");
    EXPECT_EQ(show("Year(Now) >= 2024"), "Boolean True");
}

}  // namespace
}  // namespace mcplot::testing
