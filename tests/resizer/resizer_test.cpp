#include "test_support.h"

#include "platform/controls.h"
#include "resizer/resizer.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace quoterra {
namespace {

class Sheet : public Form {
public:
    Sheet()
        : Form(QStringLiteral("Sheet"), Window)
    {
        setBorderless(true);
        Move(0, 0, 3000, 600);
        box = new PictureBox(this, QStringLiteral("box"));
        box->Move(300, 60, 900, 300);
        other = new Label(this, QStringLiteral("other"), QStringLiteral("x"));
        other->Move(1500, 15, 1005, 195);
    }
    PictureBox* box;
    Label* other;
};

TEST(Resizer, ControlsGrowWithTheWindowFromTheRecordedLayout)
{
    test::FakeScreen screen;
    Sheet sheet;
    Resizer resizer;
    ASSERT_TRUE(resizer.Resize(&sheet)); // records only
    EXPECT_FLOAT_EQ(sheet.box->Left(), 300);

    sheet.Move(0, 0, 4000, 800);
    ASSERT_TRUE(resizer.Resize(&sheet));
    EXPECT_FLOAT_EQ(sheet.box->Left(), 400);
    EXPECT_FLOAT_EQ(sheet.box->Top(), 80);
    EXPECT_FLOAT_EQ(sheet.box->Width(), 1200);
    EXPECT_FLOAT_EQ(sheet.box->Height(), 400);

    // The same size again changes nothing.
    ASSERT_TRUE(resizer.Resize(&sheet));
    EXPECT_FLOAT_EQ(sheet.box->Width(), 1200);
}

TEST(Resizer, RepeatedResizesDoNotPileUpRounding)
{
    test::FakeScreen screen;
    Sheet sheet;
    Resizer resizer;
    resizer.Resize(&sheet);
    for (int i = 0; i < 50; ++i) {
        sheet.setWidth(sheet.Width() * 4 / 3);
        sheet.setHeight(sheet.Height() * 4 / 3);
        resizer.Resize(&sheet);
        sheet.Move(0, 0, 3000, 600);
        resizer.Resize(&sheet);
    }
    EXPECT_FLOAT_EQ(sheet.other->Left(), 1500);
    EXPECT_FLOAT_EQ(sheet.other->Top(), 15);
    EXPECT_FLOAT_EQ(sheet.other->Width(), 1005);
    EXPECT_FLOAT_EQ(sheet.box->Height(), 300);
}

TEST(Resizer, SomethingThatIsNotAWindowRaisesTheErrorAndScalesNothing)
{
    QObject notAForm;
    Resizer resizer;
    QSignalSpy errors(&resizer, &Resizer::ResizeError);
    EXPECT_FALSE(resizer.Resize(&notAForm));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0][0].toString().startsWith(QLatin1String("RError: ")));
    EXPECT_FALSE(resizer.recorded());
}

TEST(rObjects, KeysAreUniqueAndUnknownKeysAreErrors)
{
    rObjects objects;
    ASSERT_NE(objects.Add(1, 2, 3, 4, QStringLiteral("picSkin")), nullptr);
    EXPECT_EQ(objects.Add(5, 6, 7, 8, QStringLiteral("PICSKIN")), nullptr);
    ASSERT_NE(objects.Add(9, 9, 9, 9, QString()), nullptr); // no key, no clash
    ASSERT_NE(objects.Add(9, 9, 9, 9, QString()), nullptr);
    EXPECT_EQ(objects.Count(), 3);
    EXPECT_TRUE(objects.Exists(QStringLiteral("picskin")));
    EXPECT_FALSE(objects.Exists(QStringLiteral("Label1")));
    EXPECT_EQ(objects.Item(QStringLiteral("Label1")), nullptr);
    const rObject* o = objects.Item(QStringLiteral("picSkin"));
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->oWidth, 1);
    EXPECT_EQ(o->oHeight, 2);
    EXPECT_EQ(o->oTop, 3);
    EXPECT_EQ(o->oLeft, 4);
    EXPECT_FALSE(objects.Remove(QStringLiteral("Label1")));
    EXPECT_TRUE(objects.Remove(QStringLiteral("picSkin")));
    EXPECT_EQ(objects.Count(), 2);
    int walked = 0;
    for (const auto& entry : objects) {
        EXPECT_EQ((*entry).oWidth, 9);
        ++walked;
    }
    EXPECT_EQ(walked, 2);
}

} // namespace
} // namespace quoterra
