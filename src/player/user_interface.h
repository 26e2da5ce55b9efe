// Whatever shows the player to the user registers as a user interface: the
// player hands it every event it does not service itself, on the event
// thread.
#pragma once

#include "player/event.h"

namespace tnx::player {

class UserInterface {
public:
    virtual ~UserInterface() = default;
    virtual void acceptEvent(const Event& event) = 0;
};

}  // namespace tnx::player
