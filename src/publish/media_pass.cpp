#include "publish/media_pass.h"

#include "common/file_io.h"
#include "common/helpers.h"
#include "project/region_attributes.h"
#include "publish/export_settings.h"
#include "publish/publisher.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace publish {

namespace {

// Enough of a file's state to tell whether a converter run touched it.
struct FileStamp {
    bool exists = false;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};

    static FileStamp of(const std::string& path) {
        FileStamp stamp;
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return stamp;
        stamp.exists = true;
        stamp.inode = st.st_ino;
        stamp.size = st.st_size;
        stamp.modified = st.st_mtim;
        return stamp;
    }
    bool operator==(const FileStamp& o) const {
        return exists == o.exists && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
    }
};

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// One walk over the table. A dry walk decides the same things as the real one, assuming that
// every copy and run succeeds, but writes and reports nothing: it counts the runs ahead, so
// that progress can say "n of N".
class Walk {
  public:
    Walk(const ExportSettings& settings, const std::string& imagePath, bool dry)
        : m_settings(settings), m_folder(mediaFolderOf(imagePath)), m_dry(dry) {}

    ProcessRunner* runner = nullptr;
    PublishReporter* reporter = nullptr;
    const ProgressCallback* progress = nullptr;
    int plannedRuns = 0;

    int runs() const { return m_runs; }

    void run(const project::RegionAttributes& attrs) {
        for (int c = 0; c < attrs.rowCount && c < project::kColorCount && !m_stopped; ++c) {
            for (int e = 0; e < project::kEventCount && !m_stopped; ++e) {
                if (const std::string& s = attrs.get(project::sound, c, e); !s.empty())
                    convertSound(s);
                if (const std::string& v = attrs.get(project::video, c, e); !v.empty())
                    convertVideo(v, attrs.get(project::videoWidth, c, e),
                                 attrs.get(project::videoHeight, c, e));
                if (const std::string& p = attrs.get(project::picture, c, e); !p.empty())
                    copyPicture(p);
            }
        }
        if (!attrs.backgroundMusic.empty() && !m_stopped) convertSound(attrs.backgroundMusic);
    }

  private:
    void convertSound(const std::string& source) {
        if (!prepare(source)) return;
        const std::string base = common::stripExtension(common::fileNameOf(source));
        for (const char* target : {".mp3", ".ogg"}) {
            const std::string output = m_folder + base + target;
            if (exists(output) && m_settings.soundRewrite != 1) continue;
            if (equalsIgnoringCase(common::extensionOf(source), target))
                copy(source, output);
            else if (common::fileExists(m_settings.ffmpegPath))
                convert(source, output, soundArguments(m_settings, source, output));
        }
    }

    void convertVideo(const std::string& source, const std::string& width,
                      const std::string& height) {
        if (!prepare(source)) return;
        const std::string base = common::stripExtension(common::fileNameOf(source));
        for (const char* target : {".mp4", ".ogv", ".webm"}) {
            const std::string output = m_folder + base + target;
            if ((!exists(output) || m_settings.videoRewrite == 1) &&
                common::fileExists(m_settings.ffmpegPath))
                convert(source, output, videoArguments(m_settings, source, width, height, output));
        }
    }

    void copyPicture(const std::string& source) {
        if (prepare(source)) copy(source, m_folder + common::fileNameOf(source));
    }

    // The source exists and the media folder is there (made when missing).
    bool prepare(const std::string& source) {
        if (!common::fileExists(source)) {
            if (!m_dry) reporter->info("Нет файла " + source + "!");
            return false;
        }
        if (m_dry) return true;
        std::error_code ec;
        if (std::filesystem::is_directory(m_folder, ec)) return true;
        std::filesystem::create_directories(m_folder, ec);
        if (ec || !std::filesystem::is_directory(m_folder)) {
            // Nothing of the pass could be written: say so once and end the pass.
            reporter->error("Не удалось создать папку \"" + m_folder + "\": " + ec.message());
            m_stopped = true;
            return false;
        }
        return true;
    }

    bool exists(const std::string& path) const {
        return common::fileExists(path) || (m_dry && m_written.count(path) > 0);
    }

    void copy(const std::string& source, const std::string& output) {
        if (m_dry) {
            m_written.insert(output);
            return;
        }
        // A failed copy is deliberately not reported; the pass goes on with the next item.
        (void)common::copyFileBytes(source, output);
    }

    void convert(const std::string& source, const std::string& output,
                 const std::vector<std::string>& args) {
        ++m_runs;
        if (m_dry) {
            m_written.insert(output);
            return;
        }
        if (progress && *progress)
            (*progress)({source, output, m_runs, std::max(plannedRuns, m_runs)});
        const FileStamp before = FileStamp::of(output);
        const int status = runner->run(m_settings.ffmpegPath, args, output);
        // A failed run is not reported, but what it had begun to write must not pass for a
        // finished copy on the next save (with rewriting off it would never be redone).
        if (status != 0 && !(FileStamp::of(output) == before)) ::unlink(output.c_str());
    }

    const ExportSettings& m_settings;
    const std::string m_folder;
    const bool m_dry;
    bool m_stopped = false;
    int m_runs = 0;
    std::set<std::string> m_written;
};

} // namespace

int PosixProcessRunner::run(const std::string& program, const std::vector<std::string>& args,
                            const std::string&) {
    std::vector<char*> argv;
    argv.reserve(args.size() + 2);
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    const int spawned =
        ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    if (!WIFEXITED(status)) return -1;
    // 127 is what the child reports when the program could not be executed after all.
    return WEXITSTATUS(status) == 127 ? -1 : WEXITSTATUS(status);
}

std::string soundBitrateArgument(const std::string& soundBitrate) {
    for (const char* known : kSoundBitrates)
        if (soundBitrate == known) return soundBitrate.substr(0, soundBitrate.size() - 1) + "000";
    return soundBitrateArgument(kDefaultSoundBitrate);
}

std::string videoBitrateArgument(const std::string& videoBitrate) {
    for (const char* known : kVideoBitrates)
        if (videoBitrate == known) return videoBitrate;
    return kDefaultVideoBitrate;
}

namespace {

std::vector<std::string> commonArguments(const ExportSettings& settings,
                                         const std::string& source) {
    return {"-i",  source,
            "-ab", soundBitrateArgument(settings.soundBitrate),
            "-ac", settings.soundChannels == 1 ? "1" : "2"};
}

} // namespace

std::vector<std::string> soundArguments(const ExportSettings& settings, const std::string& source,
                                        const std::string& output) {
    std::vector<std::string> args = commonArguments(settings, source);
    args.insert(args.end(), {"-y", output});
    return args;
}

std::vector<std::string> videoArguments(const ExportSettings& settings, const std::string& source,
                                        const std::string& width, const std::string& height,
                                        const std::string& output) {
    std::vector<std::string> args = commonArguments(settings, source);
    args.insert(args.end(), {"-b", videoBitrateArgument(settings.videoBitrate)});
    // Without both sizes the list keeps its length: the two size elements become "-y".
    if (!width.empty() && !height.empty())
        args.insert(args.end(), {"-s", width + "x" + height});
    else
        args.insert(args.end(), {"-y", "-y"});
    args.insert(args.end(), {"-y", output});
    return args;
}

std::string mediaFolderOf(const std::string& imagePath) {
    return pageFolderOf(imagePath) + "/qiv_zarim/";
}

void runMediaPass(const project::RegionAttributes& attrs, const std::string& imagePath,
                  const ExportSettings& settings, ProcessRunner& runner, PublishReporter& reporter,
                  const ProgressCallback& progress) {
    int planned = 0;
    if (progress) {
        Walk dry(settings, imagePath, true);
        dry.run(attrs);
        planned = dry.runs();
    }
    Walk walk(settings, imagePath, false);
    walk.runner = &runner;
    walk.reporter = &reporter;
    walk.progress = &progress;
    walk.plannedRuns = planned;
    walk.run(attrs);
}

} // namespace publish
