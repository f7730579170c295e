// The program on a HiDPI screen (Xft.dpi 192, as a 200 % desktop sets it):
// the 96-dpi layout at twice the pixels, pictures and text drawn for them,
// dragging and snapping in logical pixels. Other dpis are still refused.
#include "e2e_fixture.h"

namespace quoterra::test {
namespace {

// The full face, 200 logical pixels from the screen's corner.
const QByteArray kFull = placed(3000, 3000, "Full");

// Where the 96-dpi full face holds pictures and text (logical pixels, a
// pixel of slack around each): the five buttons, the captions and values.
const QRect kButtons[] = {{1, 1, 12, 12}, {185, 1, 24, 12}, {183, 43, 22, 19}, {183, 67, 22, 19}};
const QRect kText(2, 15, 180, 99);

class HiDpi : public OnDesktop {
protected:
    // Starts the program at the dpi the desktop announces; the ticker's
    // window as it finally shows, "Loading..." for good.
    QImage face(int dpi)
    {
        x.setDpi(dpi);
        const int asked = silent.count();
        const QString id = start(kFull, {"IBM"}, originOf(silent));
        // Its quote asked for, so "Loading..." is on show; then painted and
        // still: two grabs alike.
        waitUntil([&] { return silent.count() > asked; });
        QImage shown, last;
        waitUntil([&] {
            last = std::exchange(shown, x.grab(id));
            return !shown.isNull() && shown == last && qGray(shown.pixel(shown.width() / 2, 0)) < 40;
        });
        return shown;
    }

    FakeSource silent{{.hang = true}};
};

TEST_F(HiDpi, TheFaceIsTheSameLayoutDrawnFiner)
{
    const QImage plain = face(96);
    ASSERT_EQ(plain.size(), QSize(210, 116));
    ASSERT_TRUE(program->signal(SIGTERM));
    const QImage fine = face(192);
    ASSERT_EQ(fine.size(), QSize(420, 232));

    // Against the 96-dpi face with every pixel doubled: the skin's edges
    // match; the rest differs only where pictures and text are finer, and
    // there it does.
    const QImage doubled = plain.scaled(plain.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    int edges = 0, elsewhere = 0, inButtons = 0, inText = 0;
    for (int row = 0; row < fine.height(); ++row)
        for (int col = 0; col < fine.width(); ++col) {
            if (fine.pixel(col, row) == doubled.pixel(col, row))
                continue;
            const bool edge = col < 2 || row < 2 || col >= fine.width() - 2 || row >= fine.height() - 2;
            const QPoint logical(col / 2, row / 2);
            const bool button = std::any_of(std::begin(kButtons), std::end(kButtons),
                                            [&](const QRect& r) { return r.contains(logical); });
            (edge ? edges : button ? inButtons : kText.contains(logical) ? inText : elsewhere)++;
        }
    EXPECT_EQ(edges, 0) << elsewhere << " elsewhere, " << inButtons << " in buttons, " << inText << " in text";
    EXPECT_EQ(elsewhere, 0);
    EXPECT_GT(inButtons, 0) << "the pictures are the plain ones enlarged";
    EXPECT_GT(inText, 0) << "the text is drawn at the plain resolution";
}

TEST_F(HiDpi, DragsCountLogicalPixels)
{
    x.setDpi(192);
    const QString ticker = start(kFull, {"IBM"}, originOf(silent));
    EXPECT_TRUE(x.reaches(ticker, {400, 400}));
    // A real drag of 40 logical pixels moves it 80 of the screen's; 6
    // logical pixels under the top edge it snaps flush.
    x.drag({600, 410}, {680, 490}, 5);
    EXPECT_TRUE(x.reaches(ticker, {480, 480}));
    x.drag({680, 490}, {680, 490 - 480 + 12});
    EXPECT_TRUE(x.reaches(ticker, {480, 0}));
    ASSERT_TRUE(program->signal(SIGTERM));
    EXPECT_EQ(profile.main({"Left", "Top"}), (QStringList{"3600", "0"}));
}

// Neither a whole multiple of 96 nor of 120: refused as ever, nothing shown
// but the message and nothing written but the two keys.
TEST_F(HiDpi, OtherDpisAreRefused)
{
    x.setDpi(144);
    RunningProgram refused(profile, originOf(silent), x.display());
    EXPECT_FALSE(x.window(u"Quoterra"_s).isEmpty()) << "no message";
    x.key(u"Return"_s);
    ASSERT_TRUE(refused.ended());
    EXPECT_EQ(refused.process.exitCode(), 0);
    EXPECT_TRUE(x.programWindows().isEmpty());
    EXPECT_EQ(QString::fromUtf8(readFile(profile.registryFile())).trimmed(),
              u"[Software\\Quoterra]\n\n[Software\\Quoterra\\Charts]"_s);
}

} // namespace
} // namespace quoterra::test
