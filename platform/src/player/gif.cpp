// The GIF of a replay. Browsers show a picture held for less than 2
// hundredths of a second for 10, so the GIF keeps time 50 times a second:
// each 20 ms from the first frame, it shows the last frame the game
// presented in those 20 ms; frames in between are dropped, and a picture
// that does not change is one picture held longer. The delays then add up
// to the recording's time to within 20 ms. Each picture stores only the
// rectangle that changed.
#include "player/gif.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "backend/headless/headless.h"
#include "kernel/kernel.h"
#include "player/gif_encoder.h"
#include "player/gif_file.h"
#include "present/changes.h"

namespace vplat::player {
namespace {

constexpr uint64_t kMarkMs = 20;
constexpr uint64_t kMarkHundredths = kMarkMs / 10;
constexpr int kGifFailedStatus = 4;
// A run shorter than this needs no progress line.
constexpr double kQuietSeconds = 1.0;
constexpr double kProgressEverySeconds = 0.25;

struct Movie {
    std::string name;  // OUT as the command line gives it, for messages
    OutputFile output;
    GifWriter writer;
    int scale = 1;
    bool begun = false;     // the first frame has come
    uint32_t lastTime = 0;  // the game's clock at the newest frame
    uint64_t elapsed = 0;   // milliseconds from the first frame to the newest
    uint64_t nextMark = 0;  // the first mark no picture has been given yet
    Frame newest;           // the newest frame, waiting for its mark
    Frame held;             // the picture written next, with its marks
    uint64_t heldMarks = 0;
    present::ShownFrame shown;  // what the GIF shows once what is written has played
    PALETTEENTRY shownPalette[256] = {};
    uint64_t paletteVersion = 0;  // a new number for each palette change written
    std::vector<present::ChangedRect> changed;
    uint64_t pictures = 0;
    double wallStart = 0;
    double lastProgress = 0;
    bool toTerminal = false;
    bool progressShown = false;
};

Movie& TheMovie() {
    static Movie movie;
    return movie;
}

void EndProgress(Movie& movie) {
    if (movie.progressShown) {
        fputs("\r\033[K", stderr);
        movie.progressShown = false;
    }
}

[[noreturn]] void Fail(Movie& movie, const char* why) {
    EndProgress(movie);
    fprintf(stderr, "velmora: cannot write the GIF %s (%s)\n", movie.name.c_str(), why);
    fflush(stderr);
    DiscardOutput(&movie.output);
    std::exit(kGifFailedStatus);
}

void ShowProgress(Movie& movie) {
    double now = kernel::Seconds();
    if (!movie.toTerminal || now - movie.wallStart < kQuietSeconds ||
        now - movie.lastProgress < kProgressEverySeconds) {
        return;
    }
    movie.lastProgress = now;
    movie.progressShown = true;
    fprintf(stderr, "\rvelmora: making %s: %.1f seconds of the recording", movie.name.c_str(),
            static_cast<double>(movie.elapsed) / 1000.0);
    fflush(stderr);
}

bool SameFrame(const Frame& a, const Frame& b) {
    return a.indices == b.indices && SameColours(a.palette, b.palette);
}

// The smallest rectangle outside which the held picture shows what the GIF
// shows already (all of it for the first, or a new palette); empty when
// nothing changed.
GifRect Changed(Movie& movie) {
    const Frame& held = movie.held;
    if (movie.shown.valid && !SameColours(movie.shownPalette, held.palette)) {
        ++movie.paletteVersion;
    }
    std::copy(held.palette, held.palette + 256, movie.shownPalette);
    internal::IndexedFrame frame;
    frame.pixels = held.indices.data();
    frame.width = held.width;
    frame.height = held.height;
    frame.pitch = held.width;
    frame.palette = held.palette;
    frame.paletteVersion = movie.paletteVersion;
    present::TakeChanges(movie.shown, frame, &movie.changed);
    if (movie.changed.empty()) {
        return GifRect{};
    }
    present::ChangedRect box = movie.changed.front();
    for (const present::ChangedRect& row : movie.changed) {
        box = {std::min(box.left, row.left), std::min(box.top, row.top),
               std::max(box.right, row.right), std::max(box.bottom, row.bottom)};
    }
    return GifRect{box.left, box.top, box.right - box.left, box.bottom - box.top};
}

// Writes the held picture. Longer than one GIF picture can hold, it goes on
// as pictures of one unchanged pixel.
void WriteHeld(Movie& movie) {
    GifRect rect = Changed(movie);
    for (uint64_t left = movie.heldMarks * kMarkHundredths; left > 0;) {
        if (rect.width == 0) {
            rect = GifRect{0, 0, 1, 1};
        }
        int delay = static_cast<int>(std::min<uint64_t>(left, kLongestGifDelay));
        if (!PutGifPicture(&movie.writer, movie.held, rect, delay)) {
            Fail(movie, GifWriteError(movie.writer));
        }
        left -= static_cast<uint64_t>(delay);
        rect = GifRect{};
        ++movie.pictures;
    }
    movie.heldMarks = 0;
}

// The newest frame is what the GIF shows for the next `marks` marks.
void HoldNewest(Movie& movie, uint64_t marks) {
    if (movie.heldMarks > 0 && SameFrame(movie.held, movie.newest)) {
        movie.heldMarks += marks;
        return;
    }
    if (movie.heldMarks > 0) {
        WriteHeld(movie);
    }
    std::swap(movie.held, movie.newest);
    movie.heldMarks = marks;
}

void TakeFrame(const Frame& frame, uint32_t now) {
    Movie& movie = TheMovie();
    if (!movie.begun) {
        movie.begun = true;
        if (!OpenGif(&movie.writer, movie.output.file, frame.width, frame.height, movie.scale,
                     frame.palette)) {
            Fail(movie, GifWriteError(movie.writer));
        }
    } else {
        // A clock that went back (a damaged recording) is taken as no time.
        auto step = static_cast<int32_t>(now - movie.lastTime);
        movie.elapsed += static_cast<uint64_t>(std::max(step, 0));
        // The mark this frame falls in: the frame before it stands for every
        // mark up to that one.
        uint64_t mark = movie.elapsed / kMarkMs;
        if (mark > movie.nextMark) {
            HoldNewest(movie, mark - movie.nextMark);
            movie.nextMark = mark;
        }
    }
    movie.lastTime = now;
    movie.newest = frame;
    ShowProgress(movie);
}

// The one place the GIF meets the headless run: every frame the game
// presents, read with the game's clock as it is presented.
void TakePresentedFrame(const Frame& frame) {
    TakeFrame(frame, kernel::Now());
}

void FollowPresentedFrames() {
    headless::WatchFrames(TakePresentedFrame);
}

}  // namespace

bool StartGif(const std::string& path, int scale, std::string* error) {
    Movie& movie = TheMovie();
    movie.name = path;
    movie.scale = scale;
    if (!OpenOutput(path, &movie.output, error)) {
        *error = "cannot write the GIF " + path + " (" + *error + ")";
        return false;
    }
    movie.wallStart = kernel::Seconds();
    movie.toTerminal = isatty(STDERR_FILENO) != 0;
    FollowPresentedFrames();
    return true;
}

void FinishGif() {
    Movie& movie = TheMovie();
    headless::WatchFrames(nullptr);
    if (!movie.begun) {
        Fail(movie, "the game showed no frame");
    }
    // The last frame is shown for one mark.
    HoldNewest(movie, 1);
    WriteHeld(movie);
    if (!CloseGif(&movie.writer)) {
        Fail(movie, GifWriteError(movie.writer));
    }
    long bytes = ftell(movie.output.file);
    std::string why;
    if (!CommitOutput(&movie.output, &why)) {
        Fail(movie, why.c_str());
    }
    EndProgress(movie);
    fprintf(stderr, "velmora: GIF %s saved: %llu pictures, %.2f seconds, %ld KB\n",
            movie.name.c_str(), static_cast<unsigned long long>(movie.pictures),
            static_cast<double>((movie.nextMark + 1) * kMarkMs) / 1000.0, (bytes + 1023) / 1024);
    fflush(stderr);
}

}  // namespace vplat::player
