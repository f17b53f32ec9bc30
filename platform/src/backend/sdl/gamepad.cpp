// Game controllers as the keyboard: d-pad and left stick as the arrows, A and
// Start as Space, B and Back as S, Guide as Escape. A pad unplugged while it
// holds keys lets go of them.
#include <windows.h>

#include <map>

#include "backend/sdl/input.h"

namespace vplat::sdl {
namespace {

// Past a third of the stick's travel counts as pressed; back under a
// quarter as released, so a stick resting near the edge does not flicker.
constexpr int kStickPress = 32767 / 3;
constexpr int kStickRelease = 32767 / 4;

struct Pad {
    SDL_GameController* controller = nullptr;
    bool buttons[SDL_CONTROLLER_BUTTON_MAX] = {};
    // Left, right, up, down from the stick.
    bool stick[4] = {};
};

std::map<SDL_JoystickID, Pad>& Pads() {
    static std::map<SDL_JoystickID, Pad> pads;
    return pads;
}

int KeyOfButton(int button) {
    switch (button) {
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            return VK_LEFT;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            return VK_RIGHT;
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            return VK_UP;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            return VK_DOWN;
        case SDL_CONTROLLER_BUTTON_A:
        case SDL_CONTROLLER_BUTTON_START:
            return VK_SPACE;
        case SDL_CONTROLLER_BUTTON_B:
        case SDL_CONTROLLER_BUTTON_BACK:
            return 'S';
        case SDL_CONTROLLER_BUTTON_GUIDE:
            return VK_ESCAPE;
        default:
            return 0;
    }
}

constexpr int kStickKeys[4] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN};

void SetButton(Pad& pad, int button, bool down) {
    if (button < 0 || button >= SDL_CONTROLLER_BUTTON_MAX || pad.buttons[button] == down) {
        return;
    }
    pad.buttons[button] = down;
    HoldKey(KeyOfButton(button), down);
}

void SetStick(Pad& pad, int direction, bool down) {
    if (pad.stick[direction] != down) {
        pad.stick[direction] = down;
        HoldKey(kStickKeys[direction], down);
    }
}

// One axis: `low` is the direction of negative values (left, up).
void MoveAxis(Pad& pad, int value, int low) {
    int high = low + 1;
    bool lowHeld = pad.stick[low] ? value < -kStickRelease : value < -kStickPress;
    bool highHeld = pad.stick[high] ? value > kStickRelease : value > kStickPress;
    SetStick(pad, low, lowHeld);
    SetStick(pad, high, highHeld);
}

void LetGo(Pad& pad) {
    for (int button = 0; button < SDL_CONTROLLER_BUTTON_MAX; ++button) {
        SetButton(pad, button, false);
    }
    for (int direction = 0; direction < 4; ++direction) {
        SetStick(pad, direction, false);
    }
}

void Open(int deviceIndex) {
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (controller == nullptr) {
        return;
    }
    SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
    Pad& pad = Pads()[id];
    if (pad.controller != nullptr) {
        SDL_GameControllerClose(controller);  // already open: SDL counts opens
        return;
    }
    pad.controller = controller;
}

void Close(SDL_JoystickID id) {
    auto found = Pads().find(id);
    if (found == Pads().end()) {
        return;
    }
    LetGo(found->second);
    SDL_GameControllerClose(found->second.controller);
    Pads().erase(found);
}

}  // namespace

void StartGamepads() {
    // Pads present at start come as SDL_CONTROLLERDEVICEADDED events too.
    SDL_GameControllerEventState(SDL_ENABLE);
}

void StopGamepads() {
    while (!Pads().empty()) {
        Close(Pads().begin()->first);
    }
}

bool GamepadEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_CONTROLLERDEVICEADDED:
            Open(event.cdevice.which);
            return true;
        case SDL_CONTROLLERDEVICEREMOVED:
            Close(event.cdevice.which);
            return true;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP: {
            auto found = Pads().find(event.cbutton.which);
            if (found != Pads().end()) {
                SetButton(found->second, event.cbutton.button,
                          event.type == SDL_CONTROLLERBUTTONDOWN);
            }
            return true;
        }
        case SDL_CONTROLLERAXISMOTION: {
            auto found = Pads().find(event.caxis.which);
            if (found != Pads().end() && event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX) {
                MoveAxis(found->second, event.caxis.value, 0);
            } else if (found != Pads().end() && event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) {
                MoveAxis(found->second, event.caxis.value, 2);
            }
            return true;
        }
        default:
            return false;
    }
}

}  // namespace vplat::sdl
