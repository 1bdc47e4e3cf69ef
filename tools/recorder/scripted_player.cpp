#include "scripted_player.h"

#include <windows.h>
#include <ddraw.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <functional>
#include <string>
#include <thread>

#include "objects/box.h"
#include "objects/cursor_figure.h"
#include "objects/wanderer.h"
#include "seam/faults.h"
#include "seam/input.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The game's fields change on its own thread; the player only looks, as a
// player looks at the screen, and a stale look costs at most a late move.
template <class T>
T Look(const T& field) {
    return *static_cast<const volatile T*>(&field);
}

class Player {
public:
    explicit Player(RecordedGame& game) : game_(game) {}

    bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
        const auto until = Clock::now() + timeout;
        while (Clock::now() < until) {
            if (condition()) return true;
            std::this_thread::sleep_for(10ms);
        }
        return condition();
    }

    bool WaitForState(int state, std::chrono::milliseconds timeout) {
        return WaitFor([&] { return Look(game_.state) == state; }, timeout);
    }

    void Key(SDL_Keycode key, SDL_Scancode scancode) {
        seam::PushKey(Window(), key, scancode, true);
        std::this_thread::sleep_for(80ms);
        seam::PushKey(Window(), key, scancode, false);
        std::this_thread::sleep_for(80ms);
    }

    void Click(Uint8 button) {
        seam::PushMouseButton(Window(), button, true, 400, 300);
        std::this_thread::sleep_for(50ms);
        seam::PushMouseButton(Window(), button, false, 400, 300);
        std::this_thread::sleep_for(50ms);
    }

    // Moves the cursor figure to (x, y) in hand-sized steps.
    void MoveCursorTo(int x, int y) {
        for (int step = 0; step < 40; ++step) {
            CursorFigure* cursor = game_.cursor.get();
            if (cursor == nullptr) return;
            const int dx = x - Look(cursor->x);
            const int dy = y - Look(cursor->y);
            if (std::abs(dx) <= 2 && std::abs(dy) <= 2) return;
            seam::PushMouseMotion(Window(), 400, 300, std::clamp(dx, -40, 40), std::clamp(dy, -40, 40));
            std::this_thread::sleep_for(45ms);
        }
    }

    // From the title (by way of the instructions, when asked) into the
    // first round's caption.
    bool StartGame(bool readInstructions = false) {
        if (!WaitFor([&] { return Window() != nullptr; }, 10s) || !WaitForState(Title, 10s)) return Lost("title");
        std::this_thread::sleep_for(800ms);
        if (readInstructions) {
            Key(SDLK_i, SDL_SCANCODE_I);
            if (!WaitForState(Instructions, 3s)) return Lost("instructions");
            std::this_thread::sleep_for(1000ms);
            Key(SDLK_SPACE, SDL_SCANCODE_SPACE);
            if (!WaitForState(Title, 3s)) return Lost("title again");
            std::this_thread::sleep_for(500ms);
        }
        Key(SDLK_SPACE, SDL_SCANCODE_SPACE);
        return WaitForState(RoundIntro, 3s) || Lost("round caption");
    }

    // Says where a script lost its way: the state it waited for, the state it found.
    bool Lost(const char* waitedFor) {
        std::fprintf(stderr, "waited for the %s; the game's state is %d\n", waitedFor, static_cast<int>(Look(game_.state)));
        return false;
    }

    void Quit() {
        std::this_thread::sleep_for(800ms);
        Key(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    }

    // One line of what the player sees, for following a script that fails.
    void Report() {
        if (!std::getenv("ZARNOK_RECORDER_VERBOSE")) return;
        Wanderer* w = game_.wanderer.get();
        CursorFigure* c = game_.cursor.get();
        Box* b = game_.box.get();
        std::fprintf(stderr, "state %d score %d drinks %d | wanderer %d (%d,%d) anger %.1f | cursor (%d,%d) | box %s(%d,%d)\n",
                     static_cast<int>(Look(game_.state)), static_cast<int>(Look(game_.score)),
                     static_cast<int>(Look(game_.drinkCount)), w ? Look(w->state) : 0, w ? Look(w->x) : 0,
                     w ? Look(w->y) : 0, w ? static_cast<double>(Look(w->anger)) : 0.0, c ? Look(c->x) : 0,
                     c ? Look(c->y) : 0, b ? "" : "none ", b ? Look(b->x) : 0, b ? Look(b->y) : 0);
    }

    HWND Window() { return game_.GethWnd(); }
    RecordedGame& Game() { return game_; }

private:
    RecordedGame& game_;
};

std::string WonRound(Player& player) {
    RecordedGame& game = player.Game();
    if (!player.StartGame(true) || !player.WaitForState(Playing, 5s)) return "the round did not start";
    const auto until = Clock::now() + 50s;
    int looks = 0;
    int boxesEaten = 0;
    bool eating = false;
    while (Clock::now() < until) {
        const int state = Look(game.state);
        if (state == RoundIntro && Look(game.round) == 2) {
            player.Quit();
            return boxesEaten == 1 ? "" : "the round was won, but the box was eaten " + std::to_string(boxesEaten) + " times";
        }
        if (Wanderer* wanderer = game.wanderer.get()) {
            const int at = Look(wanderer->state);
            const bool nowEating = at >= EatingBox && at < Asleep;
            if (nowEating && !eating) ++boxesEaten;
            eating = nowEating;
        }
        if (++looks % 20 == 0) player.Report();
        if (state != Playing) {
            if (state == Title || state == EnteringName) return "the game was lost";
            std::this_thread::sleep_for(20ms);
            continue;
        }
        // A drink on the box leads him into it.
        Box* box = game.box.get();
        Wanderer* wanderer = game.wanderer.get();
        if (box != nullptr && wanderer != nullptr && Look(wanderer->state) < 0 && Look(game.drinkCount) == 0) {
            // Where the box will be when he gets there, at about five
            // pixels a frame; the box bounces off the walls on its way.
            const double distance = std::hypot(Look(box->x) - Look(wanderer->x), Look(box->y) - Look(wanderer->y));
            const int frames = static_cast<int>(distance / 5.0);
            const int x = std::clamp(Look(box->x) + Look(box->velX) * frames, 60, 740);
            const int y = std::clamp(Look(box->y) + Look(box->velY) * frames, 60, 540);
            player.MoveCursorTo(x, y);
            player.Click(SDL_BUTTON_LEFT);
        }
        std::this_thread::sleep_for(30ms);
    }
    return "the round was not won in time";
}

std::string RagingLoss(Player& player) {
    RecordedGame& game = player.Game();
    if (!player.StartGame() || !player.WaitForState(Playing, 5s)) return "the round did not start";
    // Swearing scores and does nothing for his temper.
    const auto until = Clock::now() + 70s;
    for (int clicks = 1; Clock::now() < until && Look(game.state) == Playing; ++clicks) {
        player.Click(SDL_BUTTON_RIGHT);
        if (clicks % 20 == 0) player.Report();
        // A box would calm him: a drink across the field keeps him from it.
        Box* box = game.box.get();
        Wanderer* wanderer = game.wanderer.get();
        if (box != nullptr && wanderer != nullptr && Look(wanderer->state) < 0 && Look(game.drinkCount) == 0 &&
            std::hypot(Look(box->x) - Look(wanderer->x), Look(box->y) - Look(wanderer->y)) < 250) {
            player.MoveCursorTo(std::clamp(800 - Look(box->x), 60, 740), std::clamp(600 - Look(box->y), 60, 540));
            player.Click(SDL_BUTTON_LEFT);
        }
    }
    if (!player.WaitFor([&] { return Look(game.state) != Playing; }, 5s)) return "he did not rage in time";
    if (Look(game.state) != EnteringName) return "the score did not make the table";
    std::this_thread::sleep_for(600ms);
    player.Key(SDLK_z, SDL_SCANCODE_Z);
    player.Key(SDLK_e, SDL_SCANCODE_E);
    player.Key(SDLK_d, SDL_SCANCODE_D);
    // Long enough on screen for the README's picture of the name entry.
    std::this_thread::sleep_for(1500ms);
    player.Key(SDLK_RETURN, SDL_SCANCODE_RETURN);
    if (!player.WaitForState(Title, 3s)) return "the name entry did not finish";
    player.Quit();
    return "";
}

std::string PauseAndLostSurfaces(Player& player) {
    RecordedGame& game = player.Game();
    if (!player.StartGame() || !player.WaitForState(Playing, 5s)) return "the round did not start";
    std::this_thread::sleep_for(1500ms);
    player.MoveCursorTo(300, 250);
    player.Click(SDL_BUTTON_LEFT);
    std::this_thread::sleep_for(1500ms);
    player.Key(SDLK_p, SDL_SCANCODE_P);
    if (!player.WaitForState(Paused, 2s)) return "the game did not pause";
    std::this_thread::sleep_for(1500ms);
    player.Key(SDLK_p, SDL_SCANCODE_P);
    if (!player.WaitForState(Playing, 2s)) return "the game did not go on";
    std::this_thread::sleep_for(1000ms);
    // As when another program took the screen for a moment.
    seam::FailNextCalls(seam::FaultCall::Flip, 1, DDERR_SURFACELOST);
    std::this_thread::sleep_for(1000ms);
    seam::FailNextCalls(seam::FaultCall::Blt, 1, DDERR_SURFACELOST);
    std::this_thread::sleep_for(1000ms);
    player.MoveCursorTo(500, 350);
    player.Click(SDL_BUTTON_LEFT);
    std::this_thread::sleep_for(1500ms);
    if (Look(game.state) != Playing) return "the game did not survive the lost surfaces";
    player.Key(SDLK_q, SDL_SCANCODE_Q);
    if (!player.WaitFor([&] { return Look(game.state) == Title || Look(game.state) == EnteringName; }, 3s))
        return "Q did not end the game";
    player.Quit();
    return "";
}

std::string QuitFromCaption(Player& player) {
    if (!player.StartGame()) return "the caption did not come";
    std::this_thread::sleep_for(600ms);
    player.Key(SDLK_q, SDL_SCANCODE_Q);
    if (!player.WaitForState(Title, 3s)) return "Q did not end the game";
    player.Quit();
    return "";
}

struct Script {
    const char* name;
    std::string (*play)(Player&);
};

constexpr Script kScripts[] = {
    {"won-round", WonRound},
    {"raging-loss", RagingLoss},
    {"pause-and-lost-surfaces", PauseAndLostSurfaces},
    {"quit-from-caption", QuitFromCaption},
};

}  // namespace

bool KnownScript(const std::string& name) {
    for (const Script& script : kScripts)
        if (name == script.name) return true;
    return false;
}

std::string PlayScript(RecordedGame& game, const std::string& name) {
    Player player(game);
    for (const Script& script : kScripts) {
        if (name != script.name) continue;
        std::string outcome = script.play(player);
        // Whatever happened, the program must end for the journal to.
        if (!outcome.empty()) player.Key(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
        return outcome;
    }
    return "no script " + name;
}
