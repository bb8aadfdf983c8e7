#include "publish/publisher.h"

#include "common/text_codec.h"
#include "project/attribute_file.h"
#include "project/map_file.h"
#include "project/palette.h"
#include "project/project_state.h"
#include "publish/data_script.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::writeFile;

const std::string kUtf8Bom = "\xEF\xBB\xBF";
const std::string kPageTemplate =
    "<html><img src=\"[FILENAME]\"><script src=\"zarm_[NAME].js\"></script></html>\n";
const std::string kScriptTemplate = "var C=new Array();\n[DATA]\nfunction move(x,y,img){\n"
                                    "[EFFECT]}\n";
const std::string kStyleSheet = "body { margin: 0 }\n";

class RecordingReporter : public publish::PublishReporter {
  public:
    void info(const std::string& message) override { messages.push_back("info: " + message); }
    void error(const std::string& message) override { messages.push_back("error: " + message); }
    std::vector<std::string> messages;
};

// A picture folder and a template folder in a fresh temporary folder.
struct Workspace {
    Workspace() {
        fs::create_directory(dir.path() / "template");
        fs::create_directory(dir.path() / "pics");
        options.templateDir = (dir.path() / "template").string();
        writeTemplate("index.html", kPageTemplate);
        writeTemplate("index.js", kScriptTemplate);
        writeTemplate("qiv_zarim.css", kStyleSheet);
        openPicture("photo.jpg");
    }

    void writeTemplate(const std::string& name, const std::string& bytes) {
        writeFile(options.templateDir + "/" + name, bytes);
    }

    // An opened 9 × 7 picture, grey, with colour 3 painted in its top left corner.
    void openPicture(const std::string& fileName) {
        state.imageLoaded = true;
        state.imagePath = pics(fileName);
        state.imageWidth = 9;
        state.imageHeight = 7;
        state.sourceImage = common::Raster(9, 7);
        state.sourceImage.fill(0x808080);
        state.colorMap = common::Raster(9, 7);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x)
                state.colorMap.setPixel(x, y, project::paletteColors[3]);
    }

    std::string pics(const std::string& name) const {
        return (dir.path() / "pics" / name).string();
    }

    bool publish() { return publish::publishProject(state, options, hooks, reporter); }

    testing_support::TempDir dir;
    project::ProjectState state;
    publish::PublishOptions options;
    publish::PublishHooks hooks;
    RecordingReporter reporter;
};

class PublisherTest : public ::testing::Test, public Workspace {};

TEST_F(PublisherTest, NothingToSaveWithoutAPicture) {
    state = project::ProjectState();
    bool hookRan = false;
    hooks.commitPendingEdits = [&] { hookRan = true; };
    EXPECT_FALSE(publish());
    EXPECT_EQ(reporter.messages, std::vector<std::string>{"info: Нечего сохранять!"});
    EXPECT_FALSE(hookRan);
    EXPECT_TRUE(fs::is_empty(dir.path() / "pics"));
}

TEST_F(PublisherTest, WritesEveryOutputBesideThePicture) {
    state.myAttrs.set(project::hint, 3, 1, "Привет");
    ASSERT_TRUE(publish());
    EXPECT_EQ(reporter.messages, std::vector<std::string>{"info: Данные сохранены!"});

    common::Raster map;
    ASSERT_TRUE(project::readMapFile(pics("photo.map"), map));
    EXPECT_EQ(map, state.colorMap);
    EXPECT_EQ(state.myAttrs.rowCount, 4);
    EXPECT_EQ(readFile(pics("photo.zarm")), project::attributeFileText(state.myAttrs));

    EXPECT_EQ(readFile(pics("photo.html")),
              "<html><img src=\"photo.jpg\"><script src=\"zarm_photo.js\"></script></html>\r\n");

    std::string effect;
    ASSERT_TRUE(publish::BuildEffectScript(publish::EffectSettings{}, state.sourceImage, effect));
    const std::string data = publish::BuildDataScript(state.myAttrs, 9, 7, state.colorMap);
    // No mark: the template is Windows-1251 and so is the script, the tooltip included.
    EXPECT_EQ(readFile(pics("zarm_photo.js")),
              common::encodeText("var C=new Array();\r\n" + data +
                                     "\r\nfunction move(x,y,img){\r\n" + effect + "}\r\n",
                                 common::TextEncoding::Cp1251));
    EXPECT_NE(readFile(pics("zarm_photo.js")).find("'\xCF\xF0\xE8\xE2\xE5\xF2'"),
              std::string::npos);
    EXPECT_EQ(readFile(pics("qiv_zarim.css")), kStyleSheet);
}

TEST_F(PublisherTest, HooksRunAtTheirStepsAndTheirChangesArePublished) {
    std::vector<std::string> seen;
    auto exists = [&](const char* name) { return fs::exists(pics(name)); };
    hooks.commitPendingEdits = [&] {
        seen.push_back(std::string("commit, map ") + (exists("photo.map") ? "yes" : "no"));
        state.myAttrs.set(project::link, 5, 0, "pending.html");
    };
    hooks.storeBackgroundMusic = [&] {
        seen.push_back(std::string("music, map ") + (exists("photo.map") ? "yes" : "no") +
                       ", zarm " + (exists("photo.zarm") ? "yes" : "no"));
        state.myAttrs.backgroundMusic = "/music/theme.ogg";
        state.myAttrs.backgroundLoop = "1";
    };
    hooks.mediaPass = [&](publish::PublishReporter& r) {
        seen.push_back(std::string("media, js ") + (exists("zarm_photo.js") ? "yes" : "no") +
                       ", css " + (exists("qiv_zarim.css") ? "yes" : "no"));
        r.info("Нет файла /x.wav!");
    };
    ASSERT_TRUE(publish());
    EXPECT_EQ(seen, (std::vector<std::string>{"commit, map no", "music, map yes, zarm no",
                                              "media, js yes, css yes"}));
    EXPECT_EQ(reporter.messages,
              (std::vector<std::string>{"info: Нет файла /x.wav!", "info: Данные сохранены!"}));
    EXPECT_EQ(state.myAttrs.rowCount, 6);
    const std::string script = readFile(pics("zarm_photo.js"));
    EXPECT_NE(script.find("'pending.html'"), std::string::npos);
    EXPECT_NE(script.find("'qiv_zarim/theme.ogg','1','1');"), std::string::npos);
    EXPECT_NE(script.find("var Count=6;"), std::string::npos);
}

TEST_F(PublisherTest, OutputNamesFollowThePictureName) {
    struct Case {
        const char* picture;
        const char* page;
        const char* script;
        const char* html;
    };
    const Case cases[] = {
        {"a.b.jpg", "a.b.html", "zarm_a.b.js",
         "<html><img src=\"a.b.jpg\"><script src=\"zarm_a.b.js\"></script></html>\r\n"},
        // Without an extension the page is named like the project files, not ".html".
        {"photo", "photo.html", "zarm_photo.js",
         "<html><img src=\"photo\"><script src=\"zarm_photo.js\"></script></html>\r\n"},
        // A name that would otherwise inject markup or break its URLs.
        {"x\" onerror=\"alert(1)\" y=\".png", "x\" onerror=\"alert(1)\" y=\".html",
         "zarm_x\" onerror=\"alert(1)\" y=\".js",
         "<html><img src=\"x%22%20onerror%3D%22alert%281%29%22%20y%3D%22.png\">"
         "<script src=\"zarm_x%22%20onerror%3D%22alert%281%29%22%20y%3D%22.js\"></script>"
         "</html>\r\n"},
    };
    for (const Case& c : cases) {
        openPicture(c.picture);
        ASSERT_TRUE(publish()) << c.picture;
        EXPECT_EQ(readFile(pics(c.page)), c.html);
        EXPECT_TRUE(fs::exists(pics(c.script))) << c.script;
    }
}

TEST_F(PublisherTest, PageFolderAndName) {
    EXPECT_EQ(publish::pageFolderOf("/home/u/Pics/photo.jpg"), "/home/u/Pics");
    EXPECT_EQ(publish::pageFolderOf("/photo.jpg"), "");
    EXPECT_EQ(publish::pageFolderOf("photo.jpg"), ".");
    EXPECT_EQ(publish::pageNameOf("/home/u.v/Pics/photo.jpg"), "photo");
    EXPECT_EQ(publish::pageNameOf("/home/u.v/Pics/photo"), "photo");
    EXPECT_EQ(publish::pageNameOf("my.set/pic"), "pic");
    EXPECT_EQ(publish::pageNameOf("photo.tar.jpg"), "photo.tar");
}

TEST_F(PublisherTest, SavingTwiceGivesIdenticalFiles) {
    ASSERT_TRUE(publish());
    const char* outputs[] = {"photo.map", "photo.zarm", "photo.html", "zarm_photo.js",
                             "qiv_zarim.css"};
    std::vector<std::string> first;
    for (const char* name : outputs)
        first.push_back(readFile(pics(name)));
    ASSERT_TRUE(publish());
    for (std::size_t i = 0; i < first.size(); ++i)
        EXPECT_EQ(readFile(pics(outputs[i])), first[i]) << outputs[i];
}

TEST_F(PublisherTest, Utf8ScriptTemplateGivesUtf8ScriptWithCyrillic) {
    writeTemplate("index.js", kUtf8Bom + kScriptTemplate);
    state.myAttrs.set(project::hint, 1, 2, "Строка 1\\nСтрока 2");
    ASSERT_TRUE(publish());
    const std::string script = readFile(pics("zarm_photo.js"));
    EXPECT_EQ(script.substr(0, 3), kUtf8Bom);
    EXPECT_NE(script.find("'Строка 1\\nСтрока 2'"), std::string::npos);
    EXPECT_EQ(readFile(pics("photo.html")).substr(0, 3), "<ht")
        << "the page keeps its own encoding";
}

TEST_F(PublisherTest, EffectOffLeavesNoBrightnessScript) {
    options.effect.enabled = false;
    ASSERT_TRUE(publish());
    const std::string script = readFile(pics("zarm_photo.js"));
    EXPECT_EQ(script.find("[EFFECT]"), std::string::npos);
    EXPECT_EQ(script.find("Image effects"), std::string::npos);
    EXPECT_NE(script.find("function move(x,y,img){\r\n}\r\n"), std::string::npos);
}

TEST_F(PublisherTest, EffectKeepsLfBreaksInTheScriptFile) {
    ASSERT_TRUE(publish());
    const std::string script = readFile(pics("zarm_photo.js"));
    EXPECT_NE(script.find("// Image effects\nMM=20; NN=20;\n"), std::string::npos);
    EXPECT_NE(script.find("function move(x,y,img){\r\n// Image effects\n"), std::string::npos);
}

TEST_F(PublisherTest, MissingStyleSheetIsNotReported) {
    fs::remove(options.templateDir + "/qiv_zarim.css");
    ASSERT_TRUE(publish());
    EXPECT_EQ(reporter.messages, std::vector<std::string>{"info: Данные сохранены!"});
    EXPECT_FALSE(fs::exists(pics("qiv_zarim.css")));
    EXPECT_TRUE(fs::exists(pics("zarm_photo.js")));
}

// Each failure shows one error naming the file, keeps what earlier steps wrote and runs no
// later step.
TEST_F(PublisherTest, FailureStopsAtItsStepAndNamesTheFile) {
    struct Case {
        const char* name;
        std::function<void(Workspace&)> arrange;
        std::string namedInError;         // empty: only an error is expected
        std::vector<const char*> written; // outputs that must exist afterwards
        std::vector<const char*> notWritten;
    };
    const std::vector<Case> cases = {
        {"page template missing",
         [](Workspace& t) { fs::remove(t.options.templateDir + "/index.html"); },
         "/index.html",
         {"photo.map", "photo.zarm"},
         {"photo.html", "zarm_photo.js", "qiv_zarim.css"}},
        {"script template missing",
         [](Workspace& t) { fs::remove(t.options.templateDir + "/index.js"); },
         "/index.js",
         {"photo.html"},
         {"zarm_photo.js", "qiv_zarim.css"}},
        {"script template not decodable",
         [](Workspace& t) { t.writeTemplate("index.js", std::string("\xFF\xFE", 2) + "x"); },
         "/index.js",
         {"photo.html"},
         {"zarm_photo.js"}},
        {"page cannot be created",
         [](Workspace& t) { fs::create_directory(t.pics("photo.html")); },
         "photo.html",
         {"photo.zarm"},
         {"zarm_photo.js", "qiv_zarim.css"}},
        {"script cannot be created",
         [](Workspace& t) { fs::create_directory(t.pics("zarm_photo.js")); },
         "zarm_photo.js",
         {"photo.html"},
         {"qiv_zarim.css"}},
        {"attribute file cannot be created",
         [](Workspace& t) { fs::create_directory(t.pics("photo.zarm")); },
         "photo.zarm",
         {"photo.map"},
         {"photo.html"}},
        {"map file cannot be created",
         [](Workspace& t) { fs::create_directory(t.pics("photo.map")); },
         "photo.map",
         {},
         {"photo.zarm", "photo.html"}},
        {"grid count is not a number",
         [](Workspace& t) { t.options.effect.mm = "abc"; },
         "\"abc\"",
         {"photo.html"},
         {"zarm_photo.js", "qiv_zarim.css"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Workspace t;
        bool mediaRan = false;
        t.hooks.mediaPass = [&](publish::PublishReporter&) { mediaRan = true; };
        c.arrange(t);
        EXPECT_FALSE(t.publish());
        ASSERT_EQ(t.reporter.messages.size(), 1u);
        EXPECT_EQ(t.reporter.messages[0].rfind("error: ", 0), 0u) << t.reporter.messages[0];
        EXPECT_NE(t.reporter.messages[0].find(c.namedInError), std::string::npos)
            << t.reporter.messages[0];
        EXPECT_FALSE(mediaRan);
        for (const char* name : c.written)
            EXPECT_TRUE(fs::is_regular_file(t.pics(name))) << name;
        for (const char* name : c.notWritten)
            EXPECT_FALSE(fs::is_regular_file(t.pics(name))) << name;
    }
}

TEST_F(PublisherTest, UnreadableProjectFilesAreKeptBesideThePicture) {
    // What opening found damaged: a map from a newer program, an attribute file cut short.
    const std::string map = pics("photo.map"), attrs = pics("photo.zarm");
    writeFile(map, "QZMAP v9 damaged\x01\x02");
    writeFile(attrs, "half a line");
    writeFile(pics("photo.zarm.unreadable"), "kept last time");
    state.unreadableFiles = {map, attrs};

    ASSERT_TRUE(publish()) << reporter.messages[0];
    EXPECT_EQ(readFile(pics("photo.map.unreadable")), "QZMAP v9 damaged\x01\x02");
    EXPECT_EQ(readFile(pics("photo.zarm.unreadable")), "kept last time");
    EXPECT_EQ(readFile(pics("photo.zarm.unreadable.2")), "half a line");
    EXPECT_TRUE(state.unreadableFiles.empty());
    // The new files are the project's own and read back.
    common::Raster back;
    ASSERT_TRUE(project::readMapFile(map, back));
    EXPECT_EQ(back, state.colorMap);

    // Saved once, the files are the project's: later saves overwrite them as usual.
    ASSERT_TRUE(publish());
    EXPECT_FALSE(fs::exists(pics("photo.map.unreadable.2")));
    EXPECT_FALSE(fs::exists(pics("photo.zarm.unreadable.3")));
}

TEST_F(PublisherTest, AFileReadNormallyIsOverwrittenWithoutACopy) {
    ASSERT_TRUE(publish());
    ASSERT_TRUE(publish());
    for (const char* name : {"photo.map.unreadable", "photo.zarm.unreadable"})
        EXPECT_FALSE(fs::exists(pics(name))) << name;
}

TEST_F(PublisherTest, AFullDiskLeavesTheOldProjectFilesWhole) {
    ASSERT_TRUE(publish());
    const std::string oldMap = readFile(pics("photo.map"));
    const std::string oldAttrs = readFile(pics("photo.zarm"));
    state.colorMap.fill(project::paletteColors[5]);
    state.myAttrs.rowCount = 1;
    state.myAttrs.set(project::hint, 0, 0, std::string(4000, 'x'));
    struct Case {
        const char* name;
        rlim_t limit;
        const char* namedInError;
    };
    for (const Case& c : {Case{"map write fails", 20, "photo.map"},
                          Case{"attribute write fails", oldMap.size() + 100, "photo.zarm"}}) {
        SCOPED_TRACE(c.name);
        reporter.messages.clear();
        bool ok = true;
        {
            testing_support::FileSizeLimit limit(c.limit);
            ok = publish();
        }
        EXPECT_FALSE(ok);
        ASSERT_FALSE(reporter.messages.empty());
        EXPECT_NE(reporter.messages.back().find(c.namedInError), std::string::npos)
            << reporter.messages.back();
        if (std::string(c.namedInError) == "photo.map") {
            EXPECT_EQ(readFile(pics("photo.map")), oldMap);
        }
        EXPECT_EQ(readFile(pics("photo.zarm")), oldAttrs);
    }
}

} // namespace
