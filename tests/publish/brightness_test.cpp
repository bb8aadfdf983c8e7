#include "publish/brightness.h"

#include "common/raster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using publish::BuildEffectScript;
using publish::BuildIntensities;
using publish::EffectSettings;

common::Raster filled(int w, int h, common::Rgb color) {
    common::Raster r(w, h);
    r.fill(color);
    return r;
}

std::vector<std::string> split(const std::string& text, char sep) {
    std::vector<std::string> out;
    std::string piece;
    std::istringstream in(text);
    while (std::getline(in, piece, sep))
        out.push_back(piece);
    return out;
}

// The grid text straight from its definition, pixel by pixel (every cell must hold a pixel).
std::string referenceIntensities(const common::Raster& image, int mm, int nn) {
    const int w = image.width(), h = image.height();
    std::vector<long long> sum(std::size_t(mm * nn)), count(std::size_t(mm * nn));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const auto k = std::size_t((nn * y / h) * mm + mm * x / w);
            const common::Rgb c = image.pixel(x, y);
            sum[k] += (c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF);
            count[k] += 3;
        }
    std::string out;
    for (int j = 0; j < nn; ++j) {
        for (int i = 0; i < mm; ++i) {
            const auto k = std::size_t(j * mm + i);
            out += std::to_string(sum[k] / count[k]);
            if (k + 1 < sum.size()) out += ',';
        }
        out += '\n';
    }
    return out;
}

TEST(GridCount, LeavingAFieldCorrectsItsText) {
    const std::pair<const char*, const char*> cases[] = {
        {"20", "20"},  {"5", "10"},   {"500", "100"},        {"abc", "20"},  {"", "20"},
        {"-3", "10"},  {"10", "10"},  {"100", "100"},        {" 30 ", "30"}, {"+40", "40"},
        {"2.5", "20"}, {"12a", "20"}, {"99999999999", "20"}, {"007", "10"},
    };
    for (const auto& [typed, shown] : cases)
        EXPECT_EQ(publish::checkedGridCount(typed), shown) << '"' << typed << '"';
}

TEST(BuildIntensities, TwoByTwoQuadrants) {
    common::Raster image(4, 4);
    const common::Rgb quadrant[4] = {0x0A0A0A, 0x141414, 0x1E1E1E, 0x282828}; // 10 20 30 40
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            image.setPixel(x, y, quadrant[(y / 2) * 2 + x / 2]);
    EXPECT_EQ(BuildIntensities(image, 2, 2), "10,20,\n30,40\n");
}

TEST(BuildIntensities, MeanOfAllComponentsRoundedDown) {
    common::Raster image(2, 1);
    image.setPixel(0, 0, 0xFF0000); // 255
    image.setPixel(1, 0, 0x000001); // 1: the cell holds 256 over 6 components
    EXPECT_EQ(BuildIntensities(image, 1, 1), "42\n");
}

TEST(BuildIntensities, GridShapes) {
    struct Case {
        int mm, nn;
    };
    for (const Case c : {Case{20, 20}, Case{30, 10}, Case{10, 100}, Case{1, 1}}) {
        const std::string text = BuildIntensities(filled(300, 200, 0x808080), c.mm, c.nn);
        ASSERT_EQ(text.back(), '\n');
        const auto rows = split(text, '\n');
        ASSERT_EQ(int(rows.size()), c.nn);
        for (int j = 0; j < c.nn; ++j) {
            const bool last = j == c.nn - 1;
            EXPECT_EQ(rows[j].back() == ',', !last) << "row " << j;
            const auto values = split(rows[j], ',');
            EXPECT_EQ(int(values.size()), c.mm) << "row " << j;
            EXPECT_TRUE(std::all_of(values.begin(), values.end(),
                                    [](const std::string& v) { return v == "128"; }));
        }
    }
}

TEST(BuildIntensities, BlackAndWhite) {
    const std::string black = BuildIntensities(filled(64, 48, 0x000000), 20, 20);
    const std::string white = BuildIntensities(filled(64, 48, 0xFFFFFF), 20, 20);
    EXPECT_EQ(black.find_first_not_of("0,\n"), std::string::npos);
    EXPECT_EQ(std::count(black.begin(), black.end(), '0'), 400);
    EXPECT_EQ(std::count(white.begin(), white.end(), ','), 399);
    std::string expectedWhite;
    for (int j = 0; j < 20; ++j) {
        for (int i = 0; i < 20; ++i)
            expectedWhite += (i == 19 && j == 19) ? "255" : "255,";
        expectedWhite += '\n';
    }
    EXPECT_EQ(white, expectedWhite);
}

TEST(BuildIntensities, MatchesThePixelByPixelDefinition) {
    std::mt19937 random(7);
    struct Case {
        int w, h, mm, nn;
    };
    for (const Case c : {Case{37, 23, 10, 10}, Case{100, 100, 30, 7}, Case{101, 57, 20, 20},
                         Case{10, 10, 10, 10}, Case{255, 13, 100, 13}}) {
        common::Raster image(c.w, c.h);
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x)
                image.setPixel(x, y, random() & 0xFFFFFF);
        EXPECT_EQ(BuildIntensities(image, c.mm, c.nn), referenceIntensities(image, c.mm, c.nn))
            << c.w << "x" << c.h << " grid " << c.mm << "x" << c.nn;
    }
}

TEST(BuildIntensities, CellsWithoutPixelsTakeThePixelUnderTheirCentre) {
    // Five grey levels 0, 50, ..., 200 across; ten columns, so every other cell is empty.
    common::Raster image(5, 1);
    for (int x = 0; x < 5; ++x)
        image.setPixel(x, 0, common::Rgb(50 * x) * 0x010101);
    const std::string row = "0,0,50,50,100,100,150,150,200,200";
    EXPECT_EQ(BuildIntensities(image, 10, 2), row + ",\n" + row + "\n");

    // One pixel fills a whole 20 × 20 grid.
    const std::string single = BuildIntensities(filled(1, 1, 0x030609), 20, 20);
    EXPECT_EQ(std::count(single.begin(), single.end(), '6'), 400);
    EXPECT_EQ(single.find_first_not_of("6,\n"), std::string::npos);

    // No picture at all: zeros, no failure.
    EXPECT_EQ(BuildIntensities(common::Raster(), 2, 1), "0,0\n");
}

TEST(BuildEffectScript, TheWholeScriptForASmallGrid) {
    EffectSettings settings;
    settings.mm = "2";
    settings.nn = "2";
    settings.depth = 7;
    std::string script;
    ASSERT_TRUE(BuildEffectScript(settings, filled(4, 4, 0x646464), script));
    EXPECT_EQ(script, "// Image effects\n"
                      "MM=2; NN=2;\n"
                      "IN=new Array(100,100,\n100,100\n);\n"
                      "px=MM*x/img.width;\n"
                      "py=NN*y/img.height;\n"
                      "X1=Math.floor(px); X2=X1+1; if (X2>=MM) X2=MM-1;\n"
                      "Y1=Math.floor(py); Y2=Y1+1; if (Y2>=NN) Y2=NN-1;\n"
                      "V1=IN[Y1*MM+X1]+(IN[Y1*MM+X2]-IN[Y1*MM+X1])*(px-X1);\n"
                      "V2=IN[Y2*MM+X1]+(IN[Y2*MM+X2]-IN[Y2*MM+X1])*(px-X1);\n"
                      "V=(V1+(V2-V1)*(py-Y1))/255;\n"
                      "if (V<=0.5) V=1*100+100*7/20*(1-2*V);\n"
                      "else V=1*100+50*7/20*(1-2*V);\n"
                      "img.setAttribute(\"style\",\"-webkit-filter:brightness(\" + Math.round(V) + "
                      "\"%)\");\n");
}

TEST(BuildEffectScript, Defaults) {
    std::string script;
    ASSERT_TRUE(BuildEffectScript(EffectSettings{}, filled(640, 480, 0x000000), script));
    const auto lines = split(script, '\n');
    EXPECT_EQ(std::count(script.begin(), script.end(), '\r'), 0);
    // 13 script lines, the grid's 20 rows spread over line 3 and 19 more.
    ASSERT_EQ(lines.size(), 13u + 20u);
    EXPECT_EQ(lines[1], "MM=20; NN=20;");
    std::string firstRow = "IN=new Array(";
    for (int i = 0; i < 20; ++i)
        firstRow += "0,";
    EXPECT_EQ(lines[2], firstRow);
    EXPECT_EQ(lines[22], ");");
    EXPECT_EQ(lines[23], "px=MM*x/img.width;");
    EXPECT_EQ(lines[30], "if (V<=0.5) V=1*100+100*10/20*(1-2*V);");
}

TEST(BuildEffectScript, CountsGoInAsPlainNumbers) {
    EffectSettings settings;
    settings.mm = "30";
    settings.nn = " 010";
    std::string script;
    ASSERT_TRUE(BuildEffectScript(settings, filled(90, 30, 0xFFFFFF), script));
    EXPECT_EQ(split(script, '\n')[1], "MM=30; NN=10;");
    const auto begin = script.find("IN=new Array(") + 13, end = script.find(");\n", begin);
    const std::string grid = script.substr(begin, end - begin);
    EXPECT_EQ(split(grid, '\n').size(), 10u);
    EXPECT_EQ(std::count(grid.begin(), grid.end(), ','), 299);
}

TEST(BuildEffectScript, OffGivesNothingWhateverTheFields) {
    EffectSettings settings;
    settings.enabled = false;
    settings.mm = "abc";
    std::string script = "old";
    ASSERT_TRUE(BuildEffectScript(settings, filled(4, 4, 0), script));
    EXPECT_EQ(script, "");
}

TEST(BuildEffectScript, CountThatIsNoWholeNumberFails) {
    for (const char* bad : {"abc", "", "2.5", "0", "-20", "1001", "99999999999"}) {
        EffectSettings settings;
        settings.nn = bad;
        std::string script = "old";
        const common::Status s = BuildEffectScript(settings, filled(4, 4, 0), script);
        EXPECT_FALSE(s) << '"' << bad << '"';
        EXPECT_NE(s.message().find(std::string("\"") + bad + "\""), std::string::npos)
            << s.message();
        EXPECT_EQ(script, "");
    }
}

} // namespace
