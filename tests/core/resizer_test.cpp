// The proportional resizer behind the large ticker.
#include "resizer/resizer.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace quoterra {
namespace {

WindowLayout sheet()
{
    return WindowLayout{3000, 600, {{"box", 300, 60, 900, 300}, {"other", 1500, 15, 1005, 195}, {"box", 1, 2, 3, 4}}};
}

TEST(Resizer, ControlsGrowWithTheWindowFromTheRecordedLayout)
{
    Resizer resizer;
    WindowLayout layout = sheet();
    ASSERT_TRUE(resizer.Resize(&layout)); // records only
    EXPECT_EQ(layout.controls[0].left, 300);
    layout.width = 4000;
    layout.height = 800;
    ASSERT_TRUE(resizer.Resize(&layout));
    const auto& box = layout.controls[0];
    EXPECT_EQ(std::tie(box.left, box.top, box.width, box.height), std::make_tuple(400.0f, 80.0f, 1200.0f, 400.0f));
    // A second control of the same name takes the first one's record.
    EXPECT_EQ(layout.controls[2].left, 400);
    EXPECT_FLOAT_EQ(resizer.heightFactor(), 4.0f / 3);
}

TEST(Resizer, RepeatedResizesDoNotPileUpRounding)
{
    Resizer resizer;
    WindowLayout layout = sheet();
    resizer.Resize(&layout);
    for (int i = 0; i < 50; ++i) {
        layout.width = layout.width * 4 / 3;
        layout.height = layout.height * 4 / 3;
        resizer.Resize(&layout);
        layout.width = 3000;
        layout.height = 600;
        resizer.Resize(&layout);
    }
    const auto& other = layout.controls[1];
    EXPECT_EQ(std::tie(other.left, other.top, other.width, other.height),
              std::make_tuple(1500.0f, 15.0f, 1005.0f, 195.0f));
}

TEST(Resizer, NoWindowRaisesTheErrorAndScalesNothing)
{
    Resizer resizer;
    QSignalSpy errors(&resizer, &Resizer::ResizeError);
    EXPECT_FALSE(resizer.Resize(nullptr));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0][0].toString().startsWith(QLatin1String("RError: ")));
    EXPECT_FALSE(resizer.recorded());
}

TEST(rObjects, KeysAreUniqueWithoutCaseAndUnknownKeysAreRefused)
{
    rObjects objects;
    ASSERT_NE(objects.Add(1, 2, 3, 4, QStringLiteral("picSkin")), nullptr);
    EXPECT_EQ(objects.Add(5, 6, 7, 8, QStringLiteral("PICSKIN")), nullptr);
    EXPECT_NE(objects.Add(9, 9, 9, 9, QString()), nullptr); // no key, no clash
    EXPECT_NE(objects.Add(9, 9, 9, 9, QString()), nullptr);
    EXPECT_EQ(objects.Count(), 3);
    EXPECT_TRUE(objects.Exists(QStringLiteral("picskin")));
    EXPECT_EQ(objects.Item(QStringLiteral("Label1")), nullptr);
    const rObject* o = objects.Item(QStringLiteral("picSkin"));
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(std::tie(o->oWidth, o->oHeight, o->oTop, o->oLeft), std::make_tuple(1, 2, 3, 4));
    EXPECT_FALSE(objects.Remove(QStringLiteral("Label1")));
    EXPECT_TRUE(objects.Remove(QStringLiteral("picSkin")));
    EXPECT_EQ(objects.Count(), 2);
}

} // namespace
} // namespace quoterra
