#include <gtest/gtest.h>

#include "platform/dc.h"
#include "platform/font.h"
#include "platform/surface.h"

using namespace plat;

TEST(Font, FixedCellsOneOrTwoWide) {
    auto f = oemFixedFont();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->metrics().aveCharWidth, 8);
    EXPECT_EQ(f->advance(U'A'), 8);
    EXPECT_EQ(f->advance(U'i'), 8);
    EXPECT_EQ(f->advance(U'漢'), 16);
    EXPECT_EQ(f->textWidth(U"ab漢"), 32);
    EXPECT_EQ(f->metrics().height, f->metrics().ascent + f->metrics().descent);
}

TEST(Font, JapaneseFaceFallsBackToAJapaneseFont) {
    auto f = Font::create(FontDesc{.height = 16, .width = 8, .face = "ＭＳ ゴシック"});
    ASSERT_NE(f, nullptr);
    EXPECT_NE(f->family().find("IPA"), std::string::npos) << f->family();
    EXPECT_EQ(f->metrics().height, 16);
    EXPECT_EQ(f->metrics().aveCharWidth, 8);
}

TEST(Font, CellHeightAndWidthFollowTheDescription) {
    for (int h : {12, 16, 24, 40}) {
        auto f = Font::create(FontDesc{.height = h, .face = "DejaVu Sans"});
        ASSERT_NE(f, nullptr);
        EXPECT_NEAR(f->metrics().height, h, 1) << h;
    }
    auto narrow = Font::create(FontDesc{.height = 20, .width = 5, .face = "DejaVu Sans"});
    auto wide = Font::create(FontDesc{.height = 20, .width = 15, .face = "DejaVu Sans"});
    EXPECT_NEAR(narrow->advance(U'x'), 5, 1);
    EXPECT_NEAR(wide->advance(U'x'), 15, 1);
}

TEST(Font, DrawsMissingCharactersFromAnotherFont) {
    // DejaVu Sans has no kanji: the glyph comes from a font that has one.
    auto f = Font::create(FontDesc{.height = 24, .face = "DejaVu Sans"});
    auto s = Surface::create(40, 30, 32);
    s->fill(0);
    f->draw(*s, s->bounds(), 0, 0, U"漢", 0xFFFFFF, nullptr);
    int lit = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) lit += s->colorAt(x, y) != 0;
    EXPECT_GT(lit, 30);
}

TEST(Font, OpaqueTextFillsItsCellsOnly) {
    auto s = Surface::create(40, 20, 32);
    s->fill(0x0000FF);
    Dc dc(s.get());
    dc.font = oemFixedFont();
    dc.bkMode = BkMode::Opaque;
    dc.bkColor = 0x00FF00;
    dc.textColor = 0xFF0000;
    textOut(dc, 8, 0, std::string_view("  "));  // two blanks: background only
    EXPECT_EQ(s->colorAt(8, 0), 0x00FF00u);
    EXPECT_EQ(s->colorAt(23, dc.font->metrics().height - 1), 0x00FF00u);
    EXPECT_EQ(s->colorAt(7, 0), 0x0000FFu);
    EXPECT_EQ(s->colorAt(24, 0), 0x0000FFu);
    EXPECT_EQ(s->colorAt(8, dc.font->metrics().height), 0x0000FFu);
}

TEST(Font, Utf8RoundTripAndBadBytes) {
    EXPECT_EQ(decodeUtf8("a\xC3\xA9\xE6\xBC\xA2"), U"aé漢");
    EXPECT_EQ(encodeUtf8(U"aé漢😀"), "a\xC3\xA9\xE6\xBC\xA2\xF0\x9F\x98\x80");
    EXPECT_EQ(decodeUtf8("\xFF" "a\xC3"), U"\uFFFDa\uFFFD");
    EXPECT_EQ(decodeUtf8("\xC0\xAF"), U"\uFFFD\uFFFD");  // overlong
}
