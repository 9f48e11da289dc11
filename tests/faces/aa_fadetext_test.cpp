// The fade-text logic against manual timers and a block font: delays, the fade sequence, line
// changes and passes, tags and labels, redraw rules and the cross-fade table.
#include <gtest/gtest.h>

#include "aa_fakes.h"
#include "base/datetime.h"
#include "faces/aa_fadetext.h"

namespace tobu {
namespace {

using testing::BlockGlyphs;
using testing::ManualTimer;
using testing::RecordingHost;

TEST(FadeTextParamTest, DelaysAreClamped) {
    TFadeTextParam p;
    EXPECT_EQ(p.FadeDelay(), 600u);
    EXPECT_EQ(p.LineDelay(), 3000u);
    p.SetFadeDelay(5000);
    EXPECT_EQ(p.FadeDelay(), 2800u);
    p.SetFadeDelay(10);
    EXPECT_EQ(p.FadeDelay(), 50u);
    p.SetFadeDelay(600);
    p.SetLineDelay(100);
    EXPECT_EQ(p.LineDelay(), 800u);
    p.SetLineDelay(3500);
    EXPECT_EQ(p.LineDelay(), 3500u);

    // Assign copies the fade delay as it stands, then sets the line delay through its setter.
    TFadeTextParam src;
    src.SetLineDelay(10000);
    src.SetFadeDelay(9000);
    src.SetLineDelay(1000); // becomes 9200
    src.Lines().Assign({"a", "b"});
    src.SetTransparent(true);
    p.Assign(src);
    EXPECT_EQ(p.FadeDelay(), 9000u);
    EXPECT_EQ(p.LineDelay(), 9200u);
    EXPECT_EQ(p.Lines().Count(), 2);
    EXPECT_TRUE(p.Transparent());
}

class FadeTextTest : public ::testing::Test {
protected:
    FadeTextTest()
        : engine(&glyphs), labels(TRegistration{"Owner Name", ""}),
          core(host, engine, fonts, labels, fadeTimer, lineTimer) {
        host.core = &core;
        core.SetClock(&clock);
        engine.SetQuality(TAAQuality::aqNone);
        TAACanvasFont cn;
        cn.color = kClWhite;
        auto& fontCN = fonts.Add("FontCN");
        fontCN.SetFont(cn);
        fontCN.Effect().Shadow().SetEnabled(true);
        fontCN.Effect().Shadow().SetOffsetX(1);
        fontCN.Effect().Shadow().SetOffsetY(1);
        TAACanvasFont ad = cn;
        ad.underline = true;
        fonts.Add("FontAD").SetFont(ad);
        labels.Add("Left", TLabelStyle::lsLeftJustify);
        labels.Add("Center", TLabelStyle::lsCenter);
        labels.Add("Right", TLabelStyle::lsRightJustify);
        labels.Add("Owner", TLabelStyle::lsRegOwner);
        labels.Add("Date", TLabelStyle::lsDate);
        labels.Add("Time", TLabelStyle::lsTime);
        core.Text().SetLineDelay(3500);
    }
    void Load(bool active) {
        core.SetActive(active);
        host.loaded = true;
        core.LoadedReset();
    }
    // Runs the fade timer until it stops; returns the level after each tick.
    std::vector<int> RunFade() {
        std::vector<int> levels;
        for (int i = 0; i < 100 && fadeTimer.enabled; ++i) {
            core.FadeTimerTick();
            levels.push_back(core.FadeLevel());
        }
        return levels;
    }

    BlockGlyphs glyphs;
    TAAFontEx engine;
    TFontLabels fonts;
    TUserLabels labels;
    ManualTimer fadeTimer, lineTimer;
    RecordingHost host;
    FakeClock clock{EncodeDateTime(2024, 2, 10, 13, 59, 52)};
    TFadeTextCore core;
};

TEST_F(FadeTextTest, FadeRunsTenTwentyToTwoFiftyFiveAndStops) {
    core.Text().Lines().Assign({"<FontCN>x", "<FontAD>y"});
    Load(false);
    EXPECT_EQ(fadeTimer.interval, 25u);
    EXPECT_EQ(lineTimer.interval, 3500u);
    core.ShowLine(0);
    EXPECT_EQ(core.FadeLevel(), 0);
    EXPECT_TRUE(fadeTimer.enabled);
    const int paintsBefore = host.paints;
    std::vector<int> expected;
    for (int l = 10; l <= 250; l += 10) expected.push_back(l);
    expected.push_back(255);
    EXPECT_EQ(RunFade(), expected);
    EXPECT_FALSE(fadeTimer.enabled);
    EXPECT_EQ(host.paints - paintsBefore, 26);
    // The next line restarts the accumulator at 0.
    core.ShowLine(1);
    core.FadeTimerTick();
    EXPECT_EQ(core.FadeLevel(), 10);
}

TEST_F(FadeTextTest, ActivationShowsTheFirstLineAtOnceAndCyclesOnTheLineTimer) {
    core.Text().Lines().Assign({"<FontCN>a", "<FontAD>b", "<FontAD>c"});
    Load(false);
    EXPECT_EQ(core.LineIndex(), -1);
    EXPECT_FALSE(lineTimer.enabled);
    core.SetActive(true);
    EXPECT_EQ(core.LineIndex(), 0);
    EXPECT_TRUE(lineTimer.enabled);
    const int starts = lineTimer.starts;
    core.LineTimerTick();
    EXPECT_EQ(core.LineIndex(), 1);
    EXPECT_EQ(lineTimer.starts, starts + 1); // restarted: the next line a full LineDelay later
    core.SetActive(false);
    EXPECT_FALSE(lineTimer.enabled);
    EXPECT_EQ(core.LineIndex(), 1); // stopping keeps the line on display
    core.ShowLine(2);
    EXPECT_FALSE(lineTimer.enabled); // a stopped line timer is not started by a change of line
}

TEST_F(FadeTextTest, LoadedResetStartsCyclingOnlyWhenActive) {
    core.Text().Lines().Assign({"a"});
    Load(true);
    EXPECT_TRUE(lineTimer.enabled);
    EXPECT_EQ(core.LineIndex(), 0);
    EXPECT_EQ(core.PassCount(), 0);
}

TEST_F(FadeTextTest, OneLineListFadesFromTheSamePictureEveryLineDelay) {
    core.Text().Lines().Assign({"<FontCN>only"});
    Load(true);
    RunFade();
    const Bitmap32 shown = core.Display();
    // The fades change nothing on screen, so none of their steps is painted.
    const int paintsBefore = host.paints;
    // They end at once: the fade timer never starts, so the bar sleeps between lines.
    const int fadeStarts = fadeTimer.starts;
    for (int pass = 1; pass <= 3; ++pass) {
        core.LineTimerTick();
        EXPECT_EQ(core.LineIndex(), 0);
        EXPECT_EQ(core.PassCount(), pass);
        EXPECT_EQ(core.FadeLevel(), 255);
        EXPECT_FALSE(fadeTimer.enabled);
        EXPECT_EQ(core.Outgoing().pixels, shown.pixels);
        EXPECT_EQ(core.Incoming().pixels, shown.pixels);
        EXPECT_TRUE(core.IdenticalFade());
        EXPECT_TRUE(lineTimer.enabled);
        core.PaintCanvas();
        EXPECT_EQ(core.Display().pixels, shown.pixels);
    }
    EXPECT_EQ(fadeTimer.starts, fadeStarts);
    EXPECT_EQ(host.paints, paintsBefore);
    // A different line fades with every step painted again.
    core.Text().Lines().Add("<FontAD>more");
    core.LineTimerTick();
    EXPECT_FALSE(core.IdenticalFade());
    RunFade();
    EXPECT_EQ(host.paints - paintsBefore, 26);
    // Showing that line again after its fade needs no fade either.
    core.ShowLine(1);
    EXPECT_FALSE(fadeTimer.enabled);
    EXPECT_EQ(core.FadeLevel(), 255);
    EXPECT_EQ(host.paints - paintsBefore, 26);
}

TEST_F(FadeTextTest, ShowLinePastTheEndCountsAPassOrCompletes) {
    core.Text().Lines().Assign({"<FontCN>a", "<FontCN>b", "<FontCN>c"});
    Load(false);
    core.ShowLine(5);
    EXPECT_EQ(core.LineIndex(), 0);
    EXPECT_EQ(core.PassCount(), 1);
    EXPECT_EQ(core.CurrentText(), "<FontCN>a");
    core.ShowLine(-3);
    EXPECT_EQ(core.LineIndex(), 0);
}

TEST_F(FadeTextTest, RepeatCountStopsAndFadesToEmpty) {
    core.Text().Lines().Assign({"<FontCN>a", "<FontCN>b", "<FontCN>c"});
    Load(false);
    core.SetRepeatCount(1);
    core.SetActive(true);
    RunFade();
    int completed = 0;
    core.OnComplete = [&] { ++completed; };
    core.ShowLine(5);
    EXPECT_EQ(completed, 1);
    EXPECT_FALSE(core.Active());
    EXPECT_FALSE(lineTimer.enabled);
    EXPECT_EQ(core.LineIndex(), -1);
    EXPECT_EQ(core.PassCount(), 0);
    EXPECT_EQ(core.CurrentText(), "");
    EXPECT_EQ(core.PreviousText(), "<FontCN>a");
    EXPECT_TRUE(fadeTimer.enabled);
    RunFade();
    // The empty picture is the bare background.
    for (auto p : core.Display().pixels) EXPECT_EQ(p, ColorToPixel(kClWhite));
}

TEST_F(FadeTextTest, EmptyListDoesNothing) {
    core.Text().Lines().Clear();
    Load(true);
    core.ShowLine(0);
    core.NextLine();
    EXPECT_EQ(core.LineIndex(), -1);
    EXPECT_FALSE(fadeTimer.enabled);
}

TEST_F(FadeTextTest, FontTagsIgnoreCaseAndAreNeverDrawn) {
    TAACanvas canvas;
    EXPECT_EQ(core.ApplyTags("<fontad>公告", canvas), "公告");
    EXPECT_TRUE(canvas.font.underline);
    EXPECT_FALSE(engine.Effect().Shadow().Enabled());
    EXPECT_EQ(core.ApplyTags("<FontCN>日期", canvas), "日期");
    EXPECT_FALSE(canvas.font.underline);
    EXPECT_TRUE(engine.Effect().Shadow().Enabled());
    EXPECT_EQ(engine.Effect().Shadow().OffsetX(), 1);
    // Several font tags: the later item of the collection wins; only first occurrences go.
    EXPECT_EQ(core.ApplyTags("<FontAD>x<FONTCN>y<FontAD>", canvas), "xy<FontAD>");
    EXPECT_TRUE(canvas.font.underline);
    EXPECT_FALSE(engine.Effect().Shadow().Enabled());
}

TEST_F(FadeTextTest, FontAdLineIsDrawnUnderlinedWithoutShadow) {
    core.Text().Lines().Assign({"<FontAD>abc"});
    Load(false);
    core.ShowLine(0);
    ASSERT_FALSE(glyphs.rendered.empty());
    EXPECT_TRUE(glyphs.rendered.back().underline);
    EXPECT_EQ(glyphs.renderedText.back(), "abc");
    RunFade();
    // Background white under a white font: paint it blue to see ink and shadow.
    core.SetColor(RGBColor(0, 0, 128));
    const Bitmap32& d = core.Display();
    int white = 0, other = 0;
    for (auto p : d.pixels) {
        if (p == 0xFFFFFFFFu)
            ++white;
        else if (p != ColorToPixel(RGBColor(0, 0, 128)))
            ++other;
    }
    EXPECT_GT(white, 0);
    EXPECT_EQ(other, 0); // no shadow tones
}

TEST_F(FadeTextTest, AlignmentLabelPersistsUntilNextLabelOnlyUnderUntilNextLabel) {
    TAACanvas canvas;
    EXPECT_EQ(core.AlignmentInForce(), TAlignment::taCenter);
    EXPECT_EQ(core.ApplyTags("<FontAD><right>news", canvas), "news");
    EXPECT_EQ(core.AlignmentInForce(), TAlignment::taRightJustify);

    core.Text().Lines().Assign({"<FontAD><Right>ab", "<FontAD>cd", "<Left><FontAD>ef"});
    Load(false); // the loaded-reset starts from Text.Alignment
    EXPECT_EQ(core.AlignmentInForce(), TAlignment::taCenter);
    core.ShowLine(0);
    core.ShowLine(1); // no alignment tag: still right-aligned
    RunFade();
    EXPECT_EQ(core.AlignmentInForce(), TAlignment::taRightJustify);
    // Right-aligned text ends at the right edge: box ink up to client width − 2.
    EXPECT_EQ(core.Display().At(152, 10), 0xFFFFFFFFu);
    core.ShowLine(2);
    EXPECT_EQ(core.AlignmentInForce(), TAlignment::taLeftJustify);

    core.Text().SetLabelEffect(TLabelEffect::leOnlyALine);
    core.ShowLine(0);
    EXPECT_EQ(core.AlignmentInForce(), TAlignment::taRightJustify);
    core.ShowLine(1);
    EXPECT_EQ(core.AlignmentInForce(), TAlignment::taCenter); // reset for every line
}

TEST_F(FadeTextTest, ValueLabelsInsertTheirText) {
    TAACanvas canvas;
    EXPECT_EQ(core.ApplyTags("今天<date>!", canvas), "今天2024/2/10!");
    EXPECT_EQ(core.ApplyTags("<Time>", canvas), "13:59:52");
    EXPECT_EQ(core.ApplyTags("<Owner>", canvas), "Owner Name");
    auto& custom = labels.Add("Who");
    custom.SetText("me");
    EXPECT_EQ(core.ApplyTags("[<WHO>]", canvas), "[me]");
    custom.OnGetText = [](TUserLabel&, std::string& text) { text += "!"; };
    EXPECT_EQ(core.ApplyTags("<who>", canvas), "me!");
    custom.SetStyle(TLabelStyle::lsAppTitle);
    core.SetAppTitle("Tobu");
    EXPECT_EQ(core.ApplyTags("<who>", canvas), "Tobu!");
    custom.SetText("ignored");
    EXPECT_EQ(custom.Text(), "");
}

TEST_F(FadeTextTest, DuplicateNamesAreRefusedIgnoringCase) {
    try {
        fonts.Add("fontcn");
        FAIL() << "duplicate font name accepted";
    } catch (const EDuplicateName& e) {
        EXPECT_STREQ(e.what(), "Duplicate string!");
    }
    EXPECT_EQ(fonts.Count(), 2);
    EXPECT_THROW(fonts[1].SetName("FONTCN"), EDuplicateName);
    EXPECT_EQ(fonts[1].Name(), "FontAD");
    EXPECT_THROW(labels[0].SetName("RIGHT"), EDuplicateName);
    EXPECT_EQ(labels[0].Name(), "Left");
    labels[0].SetName("LEFT"); // its own name in another case is fine
    EXPECT_EQ(labels.Find("left"), &labels[0]);
}

TEST_F(FadeTextTest, ReplacingTheShownLineWaitsUntilItIsShownAgain) {
    core.Text().Lines().Assign({"<FontCN>old"});
    Load(false);
    core.ShowLine(0);
    RunFade();
    const Bitmap32 before = core.Display();
    host.lock = 1; // BeginUpdate
    core.Text().Lines().Put(0, "<FontCN>new text");
    host.lock = 0; // EndUpdate never redraws
    core.Redraw();
    core.PaintCanvas();
    EXPECT_EQ(core.Display().pixels, before.pixels);
    EXPECT_EQ(core.CurrentText(), "<FontCN>old");
    core.ShowLine(0);
    RunFade();
    EXPECT_NE(core.Display().pixels, before.pixels);
    EXPECT_EQ(core.CurrentText(), "<FontCN>new text");
}

TEST_F(FadeTextTest, ChangesRedrawOnlyWhenLoadedAndNotLocked) {
    core.Text().Lines().Assign({"<FontCN>a"});
    EXPECT_EQ(host.invalidates, 0); // not loaded yet
    Load(false);
    const int after = host.invalidates;
    host.lock = 1;
    fonts[0].Effect().SetAlpha(50);
    core.SetColor(kClBlack);
    EXPECT_EQ(host.invalidates, after);
    host.lock = 0;
    fonts[0].Effect().SetAlpha(60);
    EXPECT_EQ(host.invalidates, after + 1);
    EXPECT_TRUE(core.PaintCanvas()); // paints when unlocked
    host.lock = 1;
    EXPECT_FALSE(core.PaintCanvas());
}

TEST_F(FadeTextTest, TransparentLinesAreDrawnOverTheBackgroundBehind) {
    core.Text().SetTransparent(true);
    core.Text().Lines().Assign({"<FontCN>a"});
    Load(false);
    core.ShowLine(0);
    RunFade();
    const int copies = host.backgroundCopies;
    EXPECT_GT(copies, 0);
    core.PaintCanvas(); // every paint renders again over a fresh copy
    EXPECT_GT(host.backgroundCopies, copies);
    EXPECT_EQ(core.Display().At(0, 0), host.background);
    EXPECT_EQ(core.Display().width, 154);
    EXPECT_EQ(core.Display().height, 20);
}

TEST_F(FadeTextTest, LayoutPlacesTheTextBox) {
    core.Text().Lines().Assign({"<Left><FontAD>A"});
    core.Text().SetLayout(TTextLayout::tlBottom);
    core.SetColor(kClBlack);
    Load(false);
    core.ShowLine(0);
    RunFade();
    // Block "A": 6 × 14 box at (0, 20 − 14); ink from (1, 7); underline in the box's last row.
    EXPECT_EQ(core.Display().At(1, 7), 0xFFFFFFFFu);
    EXPECT_EQ(core.Display().At(1, 6), 0xFF000000u);
    EXPECT_EQ(core.Display().At(0, 19), 0xFFFFFFFFu);
}

TEST(CrossFadeTest, TableValuesEndsAndSmallerSize) {
    Bitmap32 o(3, 2, 0xFF0000FFu), n(4, 1, 0xFFFF0000u);
    Bitmap32 d;
    AACrossFade(o, n, 0, d);
    EXPECT_EQ(d.width, 3);
    EXPECT_EQ(d.height, 1);
    EXPECT_EQ(d.At(2, 0), 0xFF0000FFu);
    AACrossFade(o, n, 255, d);
    EXPECT_EQ(d.At(0, 0), 0xFFFF0000u);
    AACrossFade(o, n, 128, d);
    // Up: 0 + floor(128 × 255 / 256) = 127; down: 255 + floor(128 × −255 / 256) = 127.
    EXPECT_EQ(d.At(1, 0), 0xFF7F007Fu);
    AACrossFade(o, n, 1, d);
    EXPECT_EQ(d.At(1, 0), 0xFF0000FEu); // floor(−255 / 256) = −1; floor(255 / 256) = 0
    // Every result lies between the two pictures.
    Bitmap32 a(16, 16), b(16, 16);
    for (int i = 0; i < 256; ++i) {
        a.pixels[i] = 0xFF000000u | (i * 0x010203u & 0xFFFFFF);
        b.pixels[i] = 0xFF000000u | ((255 - i) * 0x030201u & 0xFFFFFF);
    }
    for (int level : {1, 77, 200, 254}) {
        AACrossFade(a, b, level, d);
        for (int i = 0; i < 256; ++i)
            for (int s = 0; s < 24; s += 8) {
                const int x = (a.pixels[i] >> s) & 0xFF, y = (b.pixels[i] >> s) & 0xFF,
                          v = (d.pixels[i] >> s) & 0xFF;
                EXPECT_GE(v, std::min(x, y));
                EXPECT_LE(v, std::max(x, y));
            }
    }
}

} // namespace
TEST_F(FadeTextTest, AnAnnouncementLongerThanTheControlCostsOnlyItsVisibleWidth) {
    std::string longLine = "<FontAD>";
    for (int i = 0; i < 60000; ++i) longLine += (i % 2) ? "告" : "A";
    core.Text().Lines().Assign({"<FontCN>x", longLine, "<Center><FontAD>AB"});
    Load(false);
    glyphs.renderedText.clear();
    core.ShowLine(1);
    RunFade();
    ASSERT_FALSE(glyphs.renderedText.empty());
    for (const std::string& t : glyphs.renderedText) {
        int width = 0;
        // Never more characters than the control has pixels (and one more to overflow).
        EXPECT_LE(BlockGlyphs::CodePoints(t, 12, width), host.size.cx + 1);
        // Drawn from its start.
        EXPECT_EQ(t.substr(0, 4), "A告");
    }
    // A short line keeps its alignment.
    core.ShowLine(2);
    RunFade();
    EXPECT_EQ(glyphs.renderedText.back(), "AB");
}

} // namespace tobu
