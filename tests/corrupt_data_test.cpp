// The corrupt-data matrix, run in the sanitizer build: each of the 20 data files missing,
// empty, cut in half, and with 16 bytes overwritten (at a place fixed by a seed). Each
// damage runs in a process of its own, which loads the data set and plays the scenes
// that read the file, a few frames a second, with the simulated clock.
//   missing or empty: exit code 1, the file named on standard error;
//   half or overwritten: exit code 1 naming the file, or the show plays to its end (0);
//   the music, however damaged: the real demo plays on (0); missing or empty, silent.
// Never a sanitizer report. Each file's outcomes are printed as a row of the matrix.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <random>
#include <string>
#include <thread>

#include "scenes/scene_table.h"
#include "show/simulated_show.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

struct DataFile {
    const char* name;  // as the demo names it
    int firstScene;    // the scenes that read it: 0 for the loading screen alone,
    int lastScene;     // -1 for the music
};

constexpr int kMusic = -1;

void PrintTo(const DataFile& file, std::ostream* out) { *out << file.name; }

const DataFile kDataFiles[] = {
    {"gfx\\zzz-warning-bloody-dead-cat-is-exactly-what-you-get.gif", 0, 0},
    {"gfx\\lezbizk!.pal", 1, 1},
    {"3ds\\torus.3ds", 1, 1},
    {"3ds\\pellimor_logo.3DS", 1, 1},
    {"gfx\\Rrbt3.gif", 2, 2},
    {"3ds\\sphere2000f.3ds", 2, 2},
    {"gfx\\gouraud1.pal", 2, 2},
    {"gfx\\ggolf.gif", 3, 3},
    {"gfx\\mavrel.gif", 3, 3},
    {"3ds\\tollek.3ds", 3, 3},
    {"gfx\\tex(as).gif", 4, 4},
    {"3ds\\sphere32.3ds", 4, 4},
    {"gfx\\overgang1.gif", 5, 5},
    {"gfx\\_urk.gif", 5, 5},
    {"gfx\\credits.gif", 5, 5},
    {"gfx\\overgang2.gif", 6, 6},
    {"gfx\\cool.gif", 6, 6},
    {"gfx\\env.gif", 7, 8},
    {"gfx\\lovestil.pal", 9, 9},
    {"demotuin.ogg", kMusic, kMusic},
};

enum class Damage { Missing, Empty, Half, Overwritten };
constexpr Damage kDamages[] = {Damage::Missing, Damage::Empty, Damage::Half,
                               Damage::Overwritten};
const char* damageName(Damage damage) {
    switch (damage) {
        case Damage::Missing: return "missing";
        case Damage::Empty: return "empty";
        case Damage::Half: return "half";
        case Damage::Overwritten: return "overwritten";
    }
    return "";
}

constexpr double kFramesPerSecond = 4.0;
constexpr double kLastSceneSeconds = 10.0;  // the last scene never ends by itself
constexpr double kMusicStartSeconds = 30;   // the longest the real demo may take to start

std::string hostName(const char* name) {
    std::string path = name;
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// The bytes of the overwrite: a fixed seed per file, so every run damages the same way.
void damageFile(const fs::path& path, Damage damage, unsigned seed) {
    if (damage == Damage::Missing) {
        fs::remove(path);
        return;
    }
    const std::string bytes = readFileBytes(path.string());
    std::string damaged;
    if (damage == Damage::Half) damaged = bytes.substr(0, bytes.size() / 2);
    if (damage == Damage::Overwritten) {
        damaged = bytes;
        std::mt19937 random(seed);
        const size_t at = random() % (bytes.size() - 16);
        for (size_t i = 0; i < 16; ++i) damaged[at + i] = static_cast<char>(random());
    }
    writeFileBytes(path.string(), damaged);
}

// The show from the first scene that reads the file to the end of the last.
double playSeconds(const DataFile& file) {
    if (file.firstScene == 0) return 1.0;
    double seconds = 0;
    for (int scene = file.firstScene; scene <= file.lastScene; ++scene) {
        const float duration = SceneTable[rowOfScene(scene)].duration;
        seconds += scene == 9 ? kLastSceneSeconds : duration;
    }
    return seconds;
}

[[noreturn]] void playShow(const std::string& folder, const DataFile& file) {
    DemoOptions options;
    options.mode = DemoOptions::Mode::FullScreen;
    options.dataFolder = folder;
    options.firstScene = std::max(1, file.firstScene);
    SimulatedShow show(kFramesPerSecond);
    if (!show.start(options)) std::exit(2);
    show.runUntil(playSeconds(file));
    std::exit(show.finish());
}

// The real demo with SDL's dummy video and disk audio; ended like a closed window
// (SDL turns SIGTERM into a quit event) once the music has been heard, or after a while.
[[noreturn]] void playRealDemo(const std::string& folder) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", (folder + "/audio.raw").c_str(), 1);
    execl(DORMINAX_DEMO, "dorminax", "--fullscreen", "--data", folder.c_str(), nullptr);
    std::exit(3);
}

bool hasSound(const std::string& recording) {
    return std::any_of(recording.begin(), recording.end(), [](char c) { return c != 0; });
}

struct Outcome {
    int exitCode = -1;  // -1: ended by a signal
    std::string errors;
    double secondsToSound = -1;  // the real demo: when its music was first heard
};

// Runs the body in a child process with standard error going to a file.
template <class Body>
pid_t spawn(const std::string& errorFile, Body body) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, STDERR_FILENO);
        body();
        _exit(4);  // the bodies end the process themselves
    }
    return pid;
}

Outcome waitFor(pid_t pid, const std::string& errorFile) {
    int status = 0;
    waitpid(pid, &status, 0);
    Outcome outcome;
    if (WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
    outcome.errors = readFileBytes(errorFile);
    return outcome;
}

// Whether the recording has sound past the given byte; moves the byte to its end.
bool soundSince(const std::string& recording, std::streamoff& checked) {
    std::ifstream in(recording, std::ios::binary);
    in.seekg(checked);
    char buffer[65536];
    bool sound = false;
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        checked += in.gcount();
        sound = sound || hasSound(std::string(buffer, static_cast<size_t>(in.gcount())));
    }
    return sound;
}

// Runs the real demo until a second after its music is first heard, or until patience
// runs out.
Outcome runRealDemo(const std::string& folder, const std::string& errorFile,
                    double patience) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const pid_t pid = spawn(errorFile, [&] { playRealDemo(folder); });
    std::streamoff checked = 0;
    double secondsToSound = -1;
    while (std::chrono::duration<double>(Clock::now() - start).count() < patience) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        if (soundSince(folder + "/audio.raw", checked)) {
            secondsToSound = std::chrono::duration<double>(Clock::now() - start).count();
            std::this_thread::sleep_for(std::chrono::seconds(1));  // a second of the show
            break;
        }
    }
    kill(pid, SIGTERM);
    Outcome outcome = waitFor(pid, errorFile);
    outcome.secondsToSound = secondsToSound;
    return outcome;
}

// The rate of the demo's "fps = N" line at exit; -1 without one.
int framesPerSecond(const std::string& errors) {
    const size_t at = errors.find("fps = ");
    return at == std::string::npos ? -1 : std::atoi(errors.c_str() + at + 6);
}

bool sanitizerSpoke(const std::string& errors) {
    return errors.find("Sanitizer") != std::string::npos ||
           errors.find("runtime error") != std::string::npos;
}

// How the run ended, for the matrix's row.
std::string summary(const Outcome& outcome, const std::string& name, bool music) {
    if (outcome.exitCode < 0) return "killed by a signal";
    std::string text = "exit " + std::to_string(outcome.exitCode);
    if (outcome.exitCode == 1 && outcome.errors.find(name) != std::string::npos)
        text += ", named";
    if (outcome.exitCode == 0) text += ", played";
    if (music) text += outcome.secondsToSound < 0 ? " silent" : " with music";
    return text;
}

// The file's place in the list, from 1. (GetParam() is a copy, not an element of the list.)
unsigned seedOf(const DataFile& file) {
    unsigned place = 1;
    while (std::strcmp(kDataFiles[place - 1].name, file.name) != 0) ++place;
    return place;
}

class CorruptDataTest : public ::testing::TestWithParam<DataFile> {};

TEST_P(CorruptDataTest, EndsNamingTheFileOrPlaysOnWithoutASanitizerReport) {
    const DataFile& file = GetParam();
    const bool music = file.firstScene == kMusic;
    const fs::path original = fs::path(dataDir()) / hostName(file.name);
    ASSERT_TRUE(fs::exists(original)) << original;

    TemporaryDirectory scratch;
    const std::string folder = scratch.path() + "/data";
    fs::copy(dataDir(), folder, fs::copy_options::recursive);
    const fs::path target = fs::path(folder) / hostName(file.name);
    const std::string errorFile = scratch.path() + "/errors.txt";
    const unsigned seed = seedOf(file);

    // The intact music first: it is heard, and the time it took tells how long to give the
    // runs that stay silent before they are ended.
    double patience = 0;
    if (music) {
        const Outcome control = runRealDemo(folder, errorFile, kMusicStartSeconds);
        ASSERT_GT(control.secondsToSound, 0) << "no music heard: " << control.errors;
        patience = 2 * control.secondsToSound + 1;
    }

    std::string row = file.name;
    for (Damage damage : kDamages) {
        fs::copy_file(original, target, fs::copy_options::overwrite_existing);
        damageFile(target, damage, seed);
        fs::remove(folder + "/audio.raw");
        const Outcome outcome =
            music ? runRealDemo(folder, errorFile, patience)
                  : waitFor(spawn(errorFile, [&] { playShow(folder, file); }), errorFile);
        SCOPED_TRACE(std::string(damageName(damage)) + ": " + outcome.errors);
        row += " | " + std::string(damageName(damage)) + ": " +
               summary(outcome, hostName(file.name), music);

        EXPECT_FALSE(sanitizerSpoke(outcome.errors));
        const bool unreadable = damage == Damage::Missing || damage == Damage::Empty;
        // Named as the host writes paths (3ds/torus.3ds here).
        const bool named = outcome.errors.find(hostName(file.name)) != std::string::npos;
        if (music) {
            EXPECT_EQ(outcome.exitCode, 0);
            EXPECT_GT(framesPerSecond(outcome.errors), 0);  // the show had begun
            if (unreadable) {
                EXPECT_LT(outcome.secondsToSound, 0);
            }
        } else if (unreadable) {
            EXPECT_EQ(outcome.exitCode, 1);
            EXPECT_TRUE(named);
        } else {
            EXPECT_TRUE(outcome.exitCode == 0 || (outcome.exitCode == 1 && named))
                << outcome.exitCode;
        }
    }
    std::printf("matrix: %s\n", row.c_str());
}

std::string testName(const ::testing::TestParamInfo<DataFile>& info) {
    std::string name = hostName(info.param.name);
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(EveryDataFile, CorruptDataTest, ::testing::ValuesIn(kDataFiles),
                         testName);

TEST(CorruptDataMatrix, ListsEveryFileOfTheDataSet) {
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dataDir())) {
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') ++files;
    }
    EXPECT_EQ(files, std::size(kDataFiles));
}

}  // namespace
