#pragma once
// The media pass of publishing: every sound, video and picture named in the attribute table,
// and the background music, copied or transcoded by ffmpeg into the folder "qiv_zarim" beside
// the page. Runs on the calling thread; each converter run is waited for before the next.

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace project {
class RegionAttributes;
}

namespace publish {

struct ExportSettings;
class PublishReporter;

// The settings' bitrates in the order of the export settings window's lists.
inline constexpr std::array<const char*, 7> kSoundBitrates = {"40k",  "64k",  "96k", "128k",
                                                              "192k", "256k", "320k"};
inline constexpr std::array<const char*, 4> kVideoBitrates = {"384k", "512k", "768k", "1024k"};
inline constexpr const char* kDefaultSoundBitrate = "128k";
inline constexpr const char* kDefaultVideoBitrate = "512k";

// Starts external programs. Every element of `args` reaches the program as one argument
// (no shell); the program's own path is its argv[0].
class ProcessRunner {
  public:
    virtual ~ProcessRunner() = default;
    // Runs `program` to its end. `outputFile` is the file the run is expected to write (for
    // display only). Returns the exit status; -1 when the program could not be started or did
    // not exit normally.
    virtual int run(const std::string& program, const std::vector<std::string>& args,
                    const std::string& outputFile) = 0;
};

// posix_spawn + waitpid; the child's standard input is /dev/null and its output is discarded.
class PosixProcessRunner : public ProcessRunner {
  public:
    int run(const std::string& program, const std::vector<std::string>& args,
            const std::string& outputFile) override;
};

// One converter run about to start.
struct ConversionProgress {
    std::string source; // file being converted
    std::string output; // file being written
    int number = 0;     // 1-based
    int total = 0;      // conversions the pass expects to run (never below `number`)
};
using ProgressCallback = std::function<void(const ConversionProgress&)>;

// The value after "-ab": "128k" → "128000"; an unknown bitrate counts as the default one.
std::string soundBitrateArgument(const std::string& soundBitrate);
// The value after "-b": the setting itself; an unknown bitrate counts as the default one.
std::string videoBitrateArgument(const std::string& videoBitrate);

// Converter arguments after the program name. `width`/`height` empty: no size ("-y" "-y").
std::vector<std::string> soundArguments(const ExportSettings& settings, const std::string& source,
                                        const std::string& output);
std::vector<std::string> videoArguments(const ExportSettings& settings, const std::string& source,
                                        const std::string& width, const std::string& height,
                                        const std::string& output);

// The media folder of the picture at `imagePath`, ending in "/".
std::string mediaFolderOf(const std::string& imagePath);

// Runs the pass for the picture at `imagePath` over colours 0..rowCount−1, events 0..2, then
// the background music. A missing source is reported with reporter.info("Нет файла …!") and
// skipped. Failed converter runs and failed copies are not reported; a run that fails leaves
// no output it had started writing. `progress` (may be empty) is called before each run.
void runMediaPass(const project::RegionAttributes& attrs, const std::string& imagePath,
                  const ExportSettings& settings, ProcessRunner& runner, PublishReporter& reporter,
                  const ProgressCallback& progress = {});

} // namespace publish
