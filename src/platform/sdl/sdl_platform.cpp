// The SDL backend: window and presentation, keys, clock, message boxes, and the music
// through SDL_mixer. The only file of the demo that includes SDL.
#include <SDL.h>
#include <SDL_mixer.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <vector>
#include <cstdio>
#include <cstring>

#include "platform/data_path.h"
#include "platform/platform.h"
#include "platform/sdl/clicks.h"
#include "platform/sdl/heard_position.h"

namespace {

constexpr int kWidth = kFrameWidth;
constexpr int kHeight = kFrameHeight;

SDL_Window* window = nullptr;
SDL_Renderer* renderer = nullptr;
SDL_Texture* texture = nullptr;
Mix_Music* music = nullptr;
bool musicPlaying = false;
bool windowPaced = false;  // --vsync
constexpr int kAudioRate = 44100;
// 23 ms. SDL's PulseAudio driver writes a buffer it has mixed only as fast as the server
// asks for it, so part of it can wait in SDL, where no latency report sees it: a small
// buffer keeps that part, and the picture's lead by it, to a few milliseconds.
constexpr int kAudioBufferFrames = 1024;

platform::DisplayFailure createWindowAndRenderer(bool fullScreen, int scale,
                                                 const char* title) {
    if (fullScreen) {
        // Made as large as the screen from the start: a window manager makes it full
        // screen, and without one it covers the screen by its own size (asked to become
        // full screen later, it would keep its first size while SDL drew for the screen's).
        SDL_Rect screen;
        if (SDL_GetDisplayBounds(0, &screen) != 0) return platform::DisplayFailure::FullScreenMode;
        window = SDL_CreateWindow(title, screen.x, screen.y, screen.w, screen.h,
                                  SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS);
    } else {
        window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                  kWidth * scale, kHeight * scale, SDL_WINDOW_RESIZABLE);
    }
    if (!window) return platform::DisplayFailure::Window;

    // Full screen is paced by the display's vertical sync; a window runs unpaced unless
    // asked.
    const bool paced = fullScreen || windowPaced;
    renderer = SDL_CreateRenderer(window, -1, paced ? SDL_RENDERER_PRESENTVSYNC : 0);
    if (!renderer) return platform::DisplayFailure::Renderer;
    // Smaller than the frame, no whole-number scale would fit. (Set once the renderer is
    // made: an OpenGL renderer may make the window anew, without the hint.)
    SDL_SetWindowMinimumSize(window, kWidth, kHeight);
    // The picture keeps its 4:3 shape at the largest whole scale that fits, centred on
    // black, with square nearest-neighbour pixels, also when the user resizes the window.
    SDL_RenderSetLogicalSize(renderer, kWidth, kHeight);
    SDL_RenderSetIntegerScale(renderer, SDL_TRUE);
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                kWidth, kHeight);
    if (!texture) return platform::DisplayFailure::Texture;
    if (fullScreen) SDL_ShowCursor(SDL_DISABLE);
    return platform::DisplayFailure::None;
}

// A driver that draws nowhere anyone can see. SDL falls back to such a driver when no
// display answers; a user who names one (SDL_VIDEODRIVER) gets it.
bool drawsUnseen(const char* driver) {
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

bool videoDriverNamed() {
    const char* named = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    return named && *named;
}

// An X server resets when its last client leaves and, for that moment, takes no one in;
// SDL then falls back to a driver that draws unseen. On a bare server (a kiosk, Xvfb) the
// question box, the look at the screen's size and the window, each on a connection of its
// own, would leave it between them. One reference to the video subsystem, taken by the
// first of them and given back with the window, keeps a connection open from the first to
// the window; a few tries over a second tell a resetting server from none. (Given back,
// since without a window manager the reset is also what hands the keyboard back to the
// window under the pointer, such as an error box shown afterwards.)
bool displayHeld = false;

bool holdDisplay() {
    for (int attempt = 0; !displayHeld && attempt < 10; ++attempt) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
            displayHeld = !drawsUnseen(SDL_GetCurrentVideoDriver()) || videoDriverNamed();
            if (displayHeld) break;
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        }
        if (!SDL_getenv("DISPLAY") && !SDL_getenv("WAYLAND_DISPLAY")) break;
        SDL_Delay(100);
    }
    return displayHeld;
}

void releaseDisplay() {
    if (displayHeld) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    displayHeld = false;
}

// Runs work with standard error sent nowhere: the sound libraries that SDL loads (ALSA,
// JACK) print pages of their own complaints there when no device answers.
template <class Work>
bool withoutLibraryNoise(Work work) {
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    const int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved >= 0 && nowhere >= 0) dup2(nowhere, STDERR_FILENO);
    const bool result = work();
    std::fflush(stderr);
    if (saved >= 0) {
        dup2(saved, STDERR_FILENO);
        close(saved);
    }
    if (nowhere >= 0) close(nowhere);
    return result;
}

// The demo's key codes for the keys it acts on; 0 for any other key.
int keyCode(SDL_Keycode key) {
    switch (key) {
        case SDLK_ESCAPE: return platform::kKeyEscape;
        case SDLK_SPACE: return platform::kKeySpace;
        case SDLK_s: return platform::kKeyS;
        case SDLK_p: return platform::kKeyP;
        case SDLK_g: return platform::kKeyG;
        case SDLK_LEFT: return platform::kKeyLeft;
        case SDLK_RIGHT: return platform::kKeyRight;
        case SDLK_UP: return platform::kKeyUp;
        case SDLK_DOWN: return platform::kKeyDown;
        case SDLK_PAGEUP: return platform::kKeyPageUp;
        case SDLK_PAGEDOWN: return platform::kKeyPageDown;
        case SDLK_HOME: return platform::kKeyHome;
        case SDLK_COMMA: return platform::kKeyComma;
        case SDLK_PERIOD: return platform::kKeyPeriod;
        default: break;
    }
    if (key >= SDLK_1 && key <= SDLK_9) return platform::kKey1 + int(key - SDLK_1);
    return 0;
}

// Turns an SDL event into a demo message; false for events the demo does not handle.
bool translateEvent(const SDL_Event& event, platform::Message& message) {
    switch (event.type) {
        case SDL_QUIT:
            message = {platform::MessageType::Close, 0};
            return true;
        case SDL_WINDOWEVENT:
            if (event.window.event != SDL_WINDOWEVENT_CLOSE) return false;
            message = {platform::MessageType::Close, 0};
            return true;
        case SDL_KEYUP:
            message = {platform::MessageType::KeyUp, keyCode(event.key.keysym.sym)};
            return message.key != 0;
        default:
            return false;
    }
}

}  // namespace

namespace platform {

bool askYesNo(const char* text, const char* caption) {
    // Yes then No, left to right, as on the other platforms; No answers Enter and Escape.
    const SDL_MessageBoxButtonData buttons[] = {
        {0, 1, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0,
         "No"},
    };
    const SDL_MessageBoxData box = {
        SDL_MESSAGEBOX_INFORMATION | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT, nullptr, caption, text,
        SDL_arraysize(buttons), buttons, nullptr};
    holdDisplay();
    int answer = 0;
    if (SDL_ShowMessageBox(&box, &answer) != 0) return false;  // no display: No
    return answer == 1;
}

void showErrorBox(const char* text, const char* caption) {
    // Also on standard error, so a run from a terminal keeps the reason.
    std::fprintf(stderr, "%s: %s\n", caption, text);
    // The box comes only on the way out. The demo's window goes first, so that no
    // full-screen window can cover a box that has no owner, whatever the window manager
    // (or the lack of one) does with it.
    closeWindow();
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr);
}

bool paceWindowByDisplay(bool paced) {
    windowPaced = paced;
    return paced;
}

DisplayFailure openWindow(bool fullScreen, int scale, const char* title) {
    holdDisplay();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "no display: %s\n", SDL_GetError());
        return DisplayFailure::VideoInit;
    }
    if (drawsUnseen(SDL_GetCurrentVideoDriver()) && !videoDriverNamed()) {
        // The show would play where nobody sees it, until killed.
        std::fprintf(stderr, "no display: SDL found none to show the demo on%s\n",
                     SDL_getenv("DISPLAY") ? "" : " (DISPLAY is not set)");
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return DisplayFailure::VideoInit;
    }
    return createWindowAndRenderer(fullScreen, scale, title);
}

int largestWindowScale() {
    SDL_Rect usable;
    if (!holdDisplay() || SDL_GetDisplayUsableBounds(0, &usable) != 0) return 0;
    return std::max(1, std::min(usable.w / kWidth, usable.h / kHeight));
}

void closeWindow() {
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    texture = nullptr;
    renderer = nullptr;
    window = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    releaseDisplay();
}

void presentPixels(const uint32_t* pixels) {
    SDL_UpdateTexture(texture, nullptr, pixels, kWidth * 4);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    SDL_RenderPresent(renderer);
}

void setWindowTitle(const char* title) { SDL_SetWindowTitle(window, title); }

bool pollMessage(Message& message) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (translateEvent(event, message)) return true;
    }
    return false;
}

bool isShiftHeld() { return (SDL_GetModState() & KMOD_SHIFT) != 0; }

void runMainLoop(bool (*pass)(), void (*done)()) {
    while (pass()) {
    }
    done();
}

void offerFile(const char*) {}

void idle(uint32_t milliseconds) { SDL_Delay(milliseconds); }

// The window title carries the player's time line; there is no player of SDL's own.
void showChapters(const Chapter*, int) {}
void showPlayerPosition(const PlayerPosition&) {}

uint32_t ticks() { return SDL_GetTicks(); }

void debugOutput(const char* text) { std::fputs(text, stderr); }

bool audioInit() {
    const bool opened = withoutLibraryNoise([] {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        Mix_Init(MIX_INIT_OGG);
        // The device's own buffer size: SDL then hands each buffer mixed straight to the
        // server, where it counts in the latency reported, instead of keeping part of it
        // back to cut the next to size.
        if (Mix_OpenAudioDevice(kAudioRate, AUDIO_S16SYS, 2, kAudioBufferFrames, nullptr,
                                SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE |
                                    SDL_AUDIO_ALLOW_SAMPLES_CHANGE) == 0)
            return true;
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    });
    if (!opened) {
        std::fputs("no audio device: playing silent\n", stderr);
        return false;
    }
    int rate = kAudioRate, channels = 2;
    Uint16 format = AUDIO_S16SYS;
    Mix_QuerySpec(&rate, &format, &channels);
    startHeardPosition(rate, channels, kAudioBufferFrames);
    return true;
}

void audioStart() {}

uint32_t audioStreamCreateFile(const char* fileName) {
    music = Mix_LoadMUS(hostPath(fileName).c_str());
    return music ? 1 : 0;
}

uint32_t audioStreamCreateClicks() {
    static const std::vector<uint8_t> wave = clicksWave();
    music = Mix_LoadMUS_RW(SDL_RWFromConstMem(wave.data(), int(wave.size())), 1);
    return music ? 1 : 0;
}

void audioStreamPlay(uint32_t, double fromSeconds) {
    // 0 loops: play once and stop; no fade-in. Playing already, it starts again there.
    if (!music) return;
    // Under the audio lock: the first frames mixed after it are the music's from there.
    SDL_LockAudio();
    musicPlaying = Mix_FadeInMusicPos(music, 0, 0, fromSeconds) == 0;
    restartHeardPosition(fromSeconds);
    SDL_UnlockAudio();
}

void audioStreamPause(uint32_t) {
    if (music) Mix_HaltMusic();
    musicPlaying = false;
}

double audioStreamPosition(uint32_t) {
    if (!music || !musicPlaying || !Mix_PlayingMusic()) return -1.0;
    // Before the first frame is heard the listener is at the very start.
    return std::max(heardPosition(), 0.0);
}

double audioStreamLength(uint32_t) {
    const double length = music ? Mix_MusicDuration(music) : -1.0;
    return length > 0.0 ? length : 0.0;
}

void audioStreamFree(uint32_t) {
    if (music) Mix_FreeMusic(music);
    music = nullptr;
    musicPlaying = false;
}

void audioStop() { Mix_HaltMusic(); }

void audioFree() {
    stopHeardPosition();
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace platform
