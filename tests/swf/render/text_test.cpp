// Text: static glyph runs, edit text layout (wrapping, alignment, margins, scroll metrics),
// the HTML subset, device fonts and drawing of fields.

#include "render_test_support.h"
#include "swf/render/text_field.h"
#include "swf/render/text_format.h"

namespace swf::render::test {
namespace {

// A glyph filling [0, w] x [-1024, 0] of the EM square (above the baseline).
std::vector<ShapeRecord> boxGlyph(double w)
{
    std::vector<ShapeRecord> r;
    addRect(r, 0, -1024, w, 0, 0, 1);
    return r;
}

// Font 1: 'A' a full-width box (advance 1024), 'B' half width (advance 512), ' ' empty (512).
FontDefinition boxFont()
{
    FontDefinition f;
    f.id = 1;
    f.fontVersion = 2;
    f.name = "Boxes";
    f.glyphs = {{}, boxGlyph(1024), boxGlyph(512)};
    f.codes = {u' ', u'A', u'B'};
    f.hasLayout = true;
    f.ascent = 1024;
    f.descent = 256;
    f.leading = 0;
    f.advances = {512, 1024, 512};
    return f;
}

TEST(StaticText, GlyphsSitAtThePenWithTheRecordHeightAndColour)
{
    Canvas canvas(60, 40);
    canvas.resources.fonts[1] = boxFont();
    StaticTextDefinition text;
    text.bounds = {0, 1200, 0, 800};
    TextRecord first;
    first.fontId = 1;
    first.height = 400;  // 20 pixels
    first.color = kRed;
    first.x = 100;
    first.y = 600;
    first.glyphs = {{1, 500}, {2, 400}};
    TextRecord second;  // keeps font, height, pen y; new colour; pen x continues
    second.color = kBlue;
    second.glyphs = {{1, 400}};
    text.records = {first, second};
    canvas.ctx().drawStaticText(text, {}, {});
    const QImage& img = canvas.finish();
    dumpPng(img, "static_text");
    EXPECT_TRUE(near(img.pixel(15, 20), kRed));    // 'A' at 5..25 px, 10..30 px
    EXPECT_TRUE(near(img.pixel(27, 20), kWhite));  // gap before the next pen position (30 px)
    EXPECT_TRUE(near(img.pixel(35, 20), kRed));    // 'B' 30..40 px
    EXPECT_TRUE(near(img.pixel(45, 20), kWhite));
    EXPECT_TRUE(near(img.pixel(55, 20), kBlue));   // second record's 'A' at 50 px
    EXPECT_TRUE(near(img.pixel(15, 32), kWhite));  // below the baseline
}

TEST(StaticText, TextMatrixAndWorldMatrixApply)
{
    Canvas canvas(60, 40);
    canvas.resources.fonts[1] = boxFont();
    StaticTextDefinition text;
    text.matrix = {1, 0, 0, 1, 200, 0};
    TextRecord r;
    r.fontId = 1;
    r.height = 200;
    r.color = kBlack;
    r.x = 0;
    r.y = 200;
    r.glyphs = {{1, 0}};
    text.records = {r};
    canvas.ctx().drawStaticText(text, {2, 0, 0, 2, 0, 0}, {});
    const QImage& img = canvas.finish();
    // Text matrix moves it 10 px, then the world doubles everything: 20..40 px, 0..20 px.
    EXPECT_TRUE(near(img.pixel(30, 10), kBlack));
    EXPECT_TRUE(near(img.pixel(15, 10), kWhite));
}

EditTextDefinition boxField(double widthTwips, double heightTwips)
{
    EditTextDefinition f;
    f.bounds = {0, std::int32_t(widthTwips), 0, std::int32_t(heightTwips)};
    f.fontId = 1;
    f.fontHeight = 200;  // 10 pixels: 'A' is 10 px, space 5 px
    f.useOutlines = true;
    f.color = kBlack;
    return f;
}

TEST(EditText, WordWrapBreaksAtSpacesWithinTheInsetWidth)
{
    TestResources res;
    res.fonts[1] = boxFont();
    EditTextDefinition def = boxField(2000, 2000);  // 100 px wide, 96 px inside the insets
    def.wordWrap = def.multiline = true;
    TextFieldState state = TextFieldState::fromDefinition(def);
    state.text = "AAAA AAAA AAAA";
    const TextLayout layout = layoutTextField(def, state, res);
    ASSERT_EQ(layout.lines.size(), 2u);
    EXPECT_EQ(layout.lines[0].runs[0].text, QStringLiteral("AAAA AAAA "));
    EXPECT_EQ(layout.lines[1].runs[0].text, QStringLiteral("AAAA"));
    EXPECT_DOUBLE_EQ(layout.lines[0].width, 1700);  // trailing space not counted
    EXPECT_DOUBLE_EQ(layout.lines[0].runs[0].glyphX[0], 40);  // 2-px inset
    // Line height = ascent + descent: 200 + 50 twips; the first baseline sits 2 px + ascent down.
    EXPECT_DOUBLE_EQ(layout.lines[0].baseline, 240);
    EXPECT_DOUBLE_EQ(layout.lines[1].baseline, 490);
    EXPECT_DOUBLE_EQ(layout.textHeight, 500);
    EXPECT_DOUBLE_EQ(layout.textWidth, 1700);

    // A word longer than the line breaks inside it; without wordWrap nothing breaks.
    state.text = "AAAAAAAAAAAA";
    EXPECT_EQ(layoutTextField(def, state, res).lines.size(), 2u);
    state.wordWrap = false;
    EXPECT_EQ(layoutTextField(def, state, res).lines.size(), 1u);
    state.text = "A\nA\r\nA\rA";
    EXPECT_EQ(layoutTextField(def, state, res).lines.size(), 4u);
}

TEST(EditText, AlignmentMarginsIndentAndLeading)
{
    TestResources res;
    res.fonts[1] = boxFont();
    EditTextDefinition def = boxField(2000, 2000);
    def.hasLayout = true;
    TextFieldState state = TextFieldState::fromDefinition(def);
    state.text = "AA";
    def.align = TextAlign::Right;
    EXPECT_DOUBLE_EQ(layoutTextField(def, state, res).lines[0].left, 2000 - 40 - 400);
    def.align = TextAlign::Center;
    EXPECT_DOUBLE_EQ(layoutTextField(def, state, res).lines[0].left, 40 + (1920 - 400) / 2.0);
    def.align = TextAlign::Left;
    def.leftMargin = 100;
    def.indent = 60;
    def.leading = 40;
    state.text = "A\nA";
    const TextLayout l = layoutTextField(def, state, res);
    EXPECT_DOUBLE_EQ(l.lines[0].left, 40 + 100 + 60);  // every paragraph's first line is indented
    EXPECT_DOUBLE_EQ(l.lines[1].baseline - l.lines[0].baseline, 250 + 40);
}

TEST(EditText, BulletedParagraphsAreIndentedWithABullet)
{
    TestResources res;
    res.fonts[1] = boxFont();
    EditTextDefinition def = boxField(4000, 2000);
    def.html = true;
    def.multiline = true;
    TextFieldState state = TextFieldState::fromDefinition(def);
    state.text = "<li>A</li>A";
    const TextLayout l = layoutTextField(def, state, res);
    ASSERT_EQ(l.lines.size(), 2u);
    EXPECT_DOUBLE_EQ(l.lines[0].left, 40 + 200);  // one em in
    EXPECT_DOUBLE_EQ(l.lines[1].left, 40);
    // The box font has no bullet glyph: the bullet is left out rather than drawn wrong.
    EXPECT_EQ(l.lines[0].runs.size(), 1u);
    state.embedFonts = false;
    const TextLayout device = layoutTextField(def, state, res);
    ASSERT_EQ(device.lines[0].runs.size(), 2u);
    EXPECT_EQ(device.lines[0].runs[0].text, QString(QChar(0x2022)));
}

TEST(EditText, TabsAdvanceToTheNextStop)
{
    TestResources res;
    res.fonts[1] = boxFont();
    EditTextDefinition def = boxField(8000, 1000);
    def.html = true;
    TextFieldState state = TextFieldState::fromDefinition(def);
    state.text = "<textformat tabstops=\"50,150\">A\tB\tA</textformat>";
    const TextLayout l = layoutTextField(def, state, res);
    ASSERT_EQ(l.lines.size(), 1u);
    std::vector<double> xs;
    for (const TextRun& run : l.lines[0].runs) xs.insert(xs.end(), run.glyphX.begin(), run.glyphX.end());
    // Stops at 50 and 150 pixels from the text's left edge (after the 2-pixel inset).
    EXPECT_EQ(xs, (std::vector<double>{40, 40 + 1000, 40 + 3000}));
    // Runs break at tabs so that device text keeps the gaps.
    EXPECT_EQ(l.lines[0].runs.size(), 3u);
}

TEST(EditText, MaxScrollCountsTheLinesThatDoNotFit)
{
    TestResources res;
    res.fonts[1] = boxFont();
    EditTextDefinition def = boxField(2000, 80 + 2 * 250);  // room for two lines
    def.multiline = true;
    TextFieldState state = TextFieldState::fromDefinition(def);
    state.text = "A\nA\nA\nA\nA";
    EXPECT_EQ(layoutTextField(def, state, res).maxScroll, 4);
    state.text = "A";
    EXPECT_EQ(layoutTextField(def, state, res).maxScroll, 1);
}

TEST(EditText, CharactersMissingFromTheEmbeddedFontAreSkipped)
{
    TestResources res;
    res.fonts[1] = boxFont();
    EditTextDefinition def = boxField(4000, 1000);
    TextFieldState state = TextFieldState::fromDefinition(def);
    state.text = "AxB";
    const TextLayout l = layoutTextField(def, state, res);
    ASSERT_EQ(l.lines.size(), 1u);
    EXPECT_EQ(l.lines[0].runs[0].glyphs, (std::vector<std::uint32_t>{1, 2}));
    EXPECT_DOUBLE_EQ(l.lines[0].runs[0].glyphX[1], 40 + 200);
}

TEST(EditText, PasswordShowsAsterisksAndDrawsInsideTheField)
{
    TestResources res;
    res.fonts[1] = boxFont();
    FontDefinition withStar = boxFont();
    withStar.codes = {u' ', u'*', u'B'};
    res.fonts[1] = withStar;
    EditTextDefinition def = boxField(2000, 600);
    TextFieldState state = TextFieldState::fromDefinition(def);
    state.text = "BBB";
    state.password = true;
    const TextLayout l = layoutTextField(def, state, res);
    EXPECT_EQ(l.lines[0].runs[0].text, QStringLiteral("***"));
    EXPECT_EQ(l.lines[0].runs[0].glyphs, (std::vector<std::uint32_t>{1, 1, 1}));
}

TEST(EditText, DrawsGlyphsBorderAndBackground)
{
    Canvas canvas(60, 40);
    canvas.resources.fonts[1] = boxFont();
    EditTextDefinition def = boxField(1000, 600);
    def.border = true;
    def.color = kRed;
    TextFieldState state = TextFieldState::fromDefinition(def);
    state.text = "AB";
    state.backgroundColor = {0, 255, 0, 255};
    canvas.ctx().drawEditText(def, state, {1, 0, 0, 1, 200, 200}, {});
    const QImage& img = canvas.finish();
    dumpPng(img, "edit_text");
    // Field at (10,10)-(60,40) px; 'A' from x = 12 px, baseline at 10 + 2 + 10 = 22 px.
    EXPECT_TRUE(near(img.pixel(16, 18), kRed));
    EXPECT_TRUE(near(img.pixel(24, 18), kRed));   // 'B' 22..27 px
    EXPECT_TRUE(near(img.pixel(30, 18), {0, 255, 0, 255}));
    EXPECT_TRUE(near(img.pixel(10, 20), kBlack));  // border column
    EXPECT_TRUE(near(img.pixel(5, 20), kWhite));
}

TEST(EditText, HtmlSubsetSetsFormats)
{
    TextFormat base;
    base.size = 240;
    const StyledText s = parseHtmlText(
        QStringLiteral("<p align=\"center\"><font face=\"Boxes\" size=\"20\" color=\"#FF0000\">Hi</font> "
                       "<b>you</b></p><p><i>x</i>&amp;&lt;y&gt;<br><u><a href=\"http://a\" target=\"_blank\">L</a></u>"
                       "<unknown>k</unknown><li>dot</li><textformat leftmargin=\"5\" leading=\"2\" "
                       "tabstops=\"10,20\">t<tab>z</textformat></p>"),
        base);
    EXPECT_EQ(s.text, QStringLiteral("Hi you\nx&<y>\nLk\ndot\nt\tz"));
    auto fmt = [&](int i) { return s.formats[s.formatOfChar[std::size_t(i)]]; };
    EXPECT_EQ(fmt(0).color, kRed);
    EXPECT_EQ(fmt(0).size, 400);
    EXPECT_EQ(fmt(0).font, "Boxes");
    EXPECT_EQ(fmt(0).align, TextAlign::Center);
    EXPECT_TRUE(fmt(3).bold);
    EXPECT_EQ(fmt(2).color, kBlack);  // </font> restores
    EXPECT_TRUE(fmt(7).italic);
    EXPECT_EQ(fmt(7).align, TextAlign::Left);
    EXPECT_TRUE(fmt(13).underline);
    EXPECT_EQ(fmt(13).url, "http://a");
    EXPECT_EQ(fmt(13).target, "_blank");
    EXPECT_FALSE(fmt(14).underline);  // 'k' of the unknown tag, kept
    EXPECT_TRUE(fmt(16).bullet);
    EXPECT_EQ(fmt(20).leftMargin, 100);
    EXPECT_EQ(fmt(20).leading, 40);
    EXPECT_EQ(fmt(20).tabStops, (std::vector<double>{200, 400}));
}

TEST(EditText, HtmlNeverFailsOnBrokenMarkup)
{
    TextFormat base;
    for (const char* html : {"<", "<font size=", "a <b c", "</p></p></b>x", "&#0;&#xD800;&#99999999;&bogus;",
                             "<font size=\"+5\">a</font><font size=\"-999\">b", "<p align=x>y"}) {
        const StyledText s = parseHtmlText(QString::fromUtf8(html), base);
        EXPECT_EQ(s.formatOfChar.size(), std::size_t(s.text.size())) << html;
        for (const TextFormat& f : s.formats) EXPECT_GE(f.size, 20) << html;
    }
    EXPECT_EQ(parseHtmlText(QStringLiteral("a <b c"), base).text, QStringLiteral("a <b c"));
}

TEST(EditText, DeviceFontsMeasureAndWrapChinese)
{
    TestResources res;
    EditTextDefinition def;
    def.bounds = {0, 2000, 0, 2000};
    def.fontHeight = 240;
    def.wordWrap = def.multiline = true;
    TextFieldState state = TextFieldState::fromDefinition(def);
    state.text = "中文字体显示测试中文字体显示测试中文字体显示测试";
    const TextLayout layout = layoutTextField(def, state, res);
    ASSERT_GT(layout.lines.size(), 1u);  // no spaces, yet it wraps between ideographs
    for (const TextLine& line : layout.lines) EXPECT_LE(line.width, 2000 - 80 + 1);
    EXPECT_GT(layout.lines[0].width, 1000);
    // Latin text in the default sans face: widths in proportion to the size.
    state.text = "Hello";
    const double w12 = layoutTextField(def, state, res).textWidth;
    def.fontHeight = 480;
    const double w24 = layoutTextField(def, state, res).textWidth;
    EXPECT_NEAR(w24 / w12, 2.0, 0.1);
    // And it draws: some ink inside the field.
    Canvas canvas(100, 40);
    def.fontHeight = 400;
    state = TextFieldState::fromDefinition(def);
    state.text = "中文 Ag";
    canvas.ctx().drawEditText(def, state, {}, {});
    const QImage& img = canvas.finish();
    dumpPng(img, "device_text");
    int ink = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) ink += qRed(img.pixel(x, y)) < 128;
    EXPECT_GT(ink, 40);
}

}  // namespace
}  // namespace swf::render::test
