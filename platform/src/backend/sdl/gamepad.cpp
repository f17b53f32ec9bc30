// Game controllers as the keyboard, by the rule of player/pad_keys.h: SDL's
// buttons and axes are translated to its controls. A pad unplugged while it
// holds keys lets go of them.
#include <map>

#include "backend/sdl/input.h"
#include "player/key_holders.h"
#include "player/pad_keys.h"

namespace vplat::sdl {
namespace {

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

// SDL's names for the buttons, as the pad rule knows them.
player::PadControl ControlOfButton(int button) {
    switch (button) {
        case SDL_CONTROLLER_BUTTON_A:
            return player::PadControl::kA;
        case SDL_CONTROLLER_BUTTON_B:
            return player::PadControl::kB;
        case SDL_CONTROLLER_BUTTON_BACK:
            return player::PadControl::kBack;
        case SDL_CONTROLLER_BUTTON_GUIDE:
            return player::PadControl::kGuide;
        case SDL_CONTROLLER_BUTTON_START:
            return player::PadControl::kStart;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            return player::PadControl::kDpadLeft;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            return player::PadControl::kDpadRight;
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            return player::PadControl::kDpadUp;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            return player::PadControl::kDpadDown;
        default:
            return player::PadControl::kNone;
    }
}

// Left, right, up, down, as Pad::stick counts them.
constexpr player::PadControl kStickControls[4] = {
    player::PadControl::kStickLeft, player::PadControl::kStickRight, player::PadControl::kStickUp,
    player::PadControl::kStickDown};

void SetButton(Pad& pad, int button, bool down) {
    if (button < 0 || button >= SDL_CONTROLLER_BUTTON_MAX || pad.buttons[button] == down) {
        return;
    }
    pad.buttons[button] = down;
    player::HoldKey(player::KeyOfPadControl(ControlOfButton(button)), down);
}

void SetStick(Pad& pad, int direction, bool down) {
    if (pad.stick[direction] != down) {
        pad.stick[direction] = down;
        player::HoldKey(player::KeyOfPadControl(kStickControls[direction]), down);
    }
}

// One axis: `low` is the direction of negative values (left, up).
void MoveAxis(Pad& pad, int value, int low) {
    int high = low + 1;
    SetStick(pad, low, player::StickDirectionHeld(value, true, pad.stick[low]));
    SetStick(pad, high, player::StickDirectionHeld(value, false, pad.stick[high]));
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

bool GamepadsOpen() {
    return !Pads().empty();
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
