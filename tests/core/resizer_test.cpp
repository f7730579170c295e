// The proportional resizer behind the large ticker.
#include "test_support.h"

#include "resizer/resizer.h"

#include <QSignalSpy>

namespace quoterra {
namespace {

WindowLayout sheet()
{
    return WindowLayout{3000, 600, {{"box", 300, 60, 900, 300}, {"other", 1500, 15, 1005, 195}, {"BOX", 1, 2, 3, 4}}};
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
    // A second control of the same name, in any case, takes the first one's record.
    EXPECT_EQ(layout.controls[2].left, 400);
    EXPECT_FLOAT_EQ(resizer.heightFactor(), 4.0f / 3);
}

TEST(Resizer, RepeatedResizesPileUpNoRounding)
{
    Resizer resizer;
    WindowLayout layout = sheet();
    ASSERT_TRUE(resizer.Resize(&layout));
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

TEST(Resizer, NoWindowRaisesTheError)
{
    Resizer resizer;
    QSignalSpy errors(&resizer, &Resizer::ResizeError);
    EXPECT_FALSE(resizer.Resize(nullptr));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0][0].toString().startsWith(QLatin1String("RError: ")));
    EXPECT_FALSE(resizer.recorded());
}

} // namespace
} // namespace quoterra
