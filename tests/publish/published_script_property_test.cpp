// Property of publishing: for generated projects (values with quotes, backslashes, line breaks,
// placeholders and any Unicode; random maps; random picture names) the published script passes
// `node --check`, and the page reads back every value and every map sample exactly. The checks
// in node are in published_script_check.mjs.
#include "project/palette.h"
#include "project/project_state.h"
#include "publish/publisher.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

class SilentReporter : public publish::PublishReporter {
  public:
    void info(const std::string&) override {}
    void error(const std::string& message) override { errors += message + "\n"; }
    std::string errors;
};

std::string nodeProgram() {
    for (const char* p : {"/usr/bin/node", "/usr/local/bin/node", "/usr/bin/nodejs"})
        if (::access(p, X_OK) == 0) return p;
    return {};
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

// What the page's string holds for a stored value: a line break of any kind, and the stored
// break backslash + "n", both become a line break; everything else stays as it is.
std::string pageValueOf(const std::string& v) {
    std::string out;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] == '\\' && i + 1 < v.size() && v[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else if (v[i] == '\r') {
            out += '\n';
            if (i + 1 < v.size() && v[i + 1] == '\n') ++i;
        } else if (v[i] == '\n') {
            out += '\n';
        } else if (v.compare(i, 3, "\xE2\x80\xA8") == 0 || v.compare(i, 3, "\xE2\x80\xA9") == 0) {
            out += '\n';
            i += 2;
        } else {
            out += v[i];
        }
    }
    return out;
}

class Generator {
  public:
    explicit Generator(unsigned seed) : m_rng(seed) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }

    // Pieces that are hard on a script string, placeholders and random characters.
    std::string value(int maxPieces) {
        static const char* const kPieces[] = {"'",
                                              "\"",
                                              "\\",
                                              "\\n",
                                              "\\\\n",
                                              "\n",
                                              "\r\n",
                                              "\r",
                                              "\xE2\x80\xA8",
                                              "\xE2\x80\xA9",
                                              "[EFFECT]",
                                              "[DATA]",
                                              "[NAME]",
                                              "[FILENAME]",
                                              "</script>",
                                              "Дом",
                                              "\t",
                                              "${x}",
                                              "`",
                                              "a b",
                                              "http://x/?a=1&b=2#c"};
        std::string out;
        for (int n = below(maxPieces + 1); n > 0; --n) {
            if (below(3) == 0) {
                char32_t c;
                do {
                    c = char32_t(below(4) == 0 ? below(0x110000) : below(0x800));
                } while (c >= 0xD800 && c <= 0xDFFF);
                appendUtf8(out, c);
            } else {
                out += kPieces[below(int(std::size(kPieces)))];
            }
        }
        return out;
    }

    // A file name: no "/" and no NUL, never "." or "..".
    std::string pictureName() {
        static const char* const kPieces[] = {"a", "Z",  "0", " ", "\"",     "'",   "#", "?",
                                              "&", "%",  "<", ">", "[NAME]", "Дом", "😀", ".",
                                              "-", "\\", "=", ";", "+",      "(1)"};
        std::string out = "p";
        for (int n = below(8); n > 0; --n)
            out += kPieces[below(int(std::size(kPieces)))];
        static const char* const kExtensions[] = {".jpg", ".png", ".JPEG", ""};
        return out + kExtensions[below(4)];
    }

  private:
    std::mt19937 m_rng;
};

TEST(PublishedScriptProperty, EveryGeneratedProjectParsesAndReadsBackExactly) {
    const std::string node = nodeProgram();
    if (node.empty()) GTEST_SKIP() << "node is not installed";
    testing_support::TempDir dir;
    publish::PublishOptions options;
    options.templateDir = QZ_SOURCE_DIR "/data/template";

    Generator gen(20261210);
    std::string manifest = "[";
    constexpr int kProjects = 200;
    for (int p = 0; p < kProjects; ++p) {
        const std::string folder = dir.file("p" + std::to_string(p));
        fs::create_directory(folder);
        project::ProjectState state;
        state.imageLoaded = true;
        state.imagePath = folder + "/" + gen.pictureName();
        const int w = 1 + gen.below(40), h = 1 + gen.below(20);
        state.imageWidth = w;
        state.imageHeight = h;
        state.sourceImage = common::Raster(w, h);
        state.sourceImage.fill(common::Rgb(gen.below(0x1000000)));
        state.colorMap = common::Raster(w, h);
        // Blocks of one colour with noise, so runs of every length occur.
        for (int y = 0; y < h; ++y) {
            int color = gen.below(project::kPaletteSize);
            for (int x = 0; x < w; ++x) {
                if (gen.below(6) == 0)
                    color = gen.below(4) == 0 ? 0 : gen.below(project::kPaletteSize);
                state.colorMap.setPixel(x, y, project::paletteColors[color]);
            }
        }

        struct Expected {
            int color;
            int index;
            std::string value;
        };
        std::vector<Expected> expected;
        for (int k = gen.below(12); k > 0; --k) {
            const int color = gen.below(project::kColorCount);
            const int event = gen.below(project::kEventCount);
            const int position = gen.below(project::kFieldCount);
            const project::Field f = project::kFileFieldOrder[position];
            const std::string v = gen.value(6);
            state.myAttrs.set(f, color, event, v);
            // Media paths become urls of the media folder; only text values are compared.
            if (f == project::sound || f == project::picture || f == project::video) continue;
            const int index =
                (color * project::kEventCount + event) * project::kFieldCount + position;
            std::erase_if(expected, [&](const Expected& e) { return e.index == index; });
            expected.push_back({color, index, pageValueOf(v)});
        }

        SilentReporter reporter;
        ASSERT_TRUE(publish::publishProject(state, options, {}, reporter))
            << state.imagePath << ": " << reporter.errors;

        // Colours past the last one in use are not published.
        std::string values;
        for (const Expected& e : expected) {
            if (e.color >= state.myAttrs.rowCount) continue;
            values += (values.empty() ? "" : ",") + jsonString(std::to_string(e.index)) + ":" +
                      jsonString(e.value);
        }

        std::string rows;
        for (int y = 1; y < h; y += 3) {
            rows += rows.empty() ? "[" : ",[";
            for (int x = 1; x < w; x += 3)
                rows += (x == 1 ? "" : ",") +
                        std::to_string(project::colorIndexOf(state.colorMap.pixel(x, y)));
            rows += "]";
        }
        const std::string script =
            "p" + std::to_string(p) + "/zarm_" + publish::pageNameOf(state.imagePath) + ".js";
        ASSERT_TRUE(fs::exists(dir.file(script))) << script;
        manifest += std::string(p ? "," : "") + "{\"script\":" + jsonString(script) +
                    ",\"values\":{" + values + "},\"rows\":[" + rows + "]}";
    }
    testing_support::writeFile(dir.file("manifest.json"), manifest + "]");

    const testing_support::ProgramRun run =
        testing_support::runProgram(node,
                                    {QZ_SOURCE_DIR "/tests/publish/published_script_check.mjs",
                                     dir.path().string(), QZ_SOURCE_DIR "/data/template/index.js"},
                                    dir.path().string());
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
}

} // namespace
