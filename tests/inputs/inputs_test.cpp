// The function list and the rules of the parameter bars, without the window.
#include <gtest/gtest.h>

#include <string>

#include "inputs/bars.h"
#include "inputs/catalogue.h"

using namespace mcplot;

TEST(Catalogue, TenEntriesFoundByTheirText) {
    ASSERT_NE(findPreset("Планк 1"), nullptr);
    EXPECT_EQ(findPreset("Планк 1")->nfun, 7);
    EXPECT_EQ(findPreset("Планк 1")->a, 0.01);
    EXPECT_EQ(findPreset("Ваша функция")->nfun, 0);
    EXPECT_EQ(findPreset("Ваша функция")->picture, nullptr);
    EXPECT_EQ(static_cast<double>(findPreset("Ваша функция")->b), 14.19999980926513671875);
    EXPECT_TRUE(findPreset("Ван дер Ваальс")->showsParameter);
    EXPECT_EQ(findPreset("парабола "), nullptr) << "the text must match exactly";
    EXPECT_EQ(findPreset(""), nullptr);
}

TEST(Bars, PositionsAreHundredthsOfTheLimits) {
    EXPECT_EQ(lowerLimitFromBar(-150).value(), -150 * 0.01);
    EXPECT_EQ(lowerLimitFromBar(-150).type(), NumType::Double);
    EXPECT_EQ(upperLimitFromBar(1420), static_cast<float>(1420 * 0.01));
    EXPECT_EQ(limitCaption(0, ","), "0,00");
    EXPECT_EQ(limitCaption(-1.5707963, "."), "-1.57");
    EXPECT_EQ(throwsCaption(200, "."), "200");
}

TEST(Bars, PresetLimitsFindTheirPositionsHalvesToEven) {
    EXPECT_EQ(barPositionForLimit(0.01), 1);
    EXPECT_EQ(barPositionForLimit(-3.14159265 / 2), -157);
    EXPECT_EQ(barPositionForLimit(static_cast<float>(14.2)), 1420);
    EXPECT_EQ(barPositionForLimit(0.125), 12) << "12.5 goes to the even 12";
    EXPECT_EQ(barPositionForLimit(1e6), std::nullopt);
}

TEST(Bars, TheScaleLabelFollowsTheThumbBySevenths) {
    EXPECT_EQ(scaleLabelTop(160, 210, 2), 160 + 60.0f);
    EXPECT_EQ(scaleLabelTop(0, 70, 5), 50.0f);
}
