// The colour panel in the testkit: the simulated user's pick (ixa.testkit.User.pickColor) and the
// panel's part of the screen description.
#pragma once

#include <chrono>

#include "testkit/SimulatedUser.h"

class JsonWriter;

// Picks the colour in the shared colour panel, as a click on it there would, once the panel is on
// screen; SimulatedUserError Timeout when it is not within the limit. Any thread.
void pickShownColor(double red, double green, double blue,
                    std::chrono::milliseconds limit = SimulatedUser::kDefaultLimit);

// Writes the value of the screen description's "colorPanel" member (the caller writes the key):
// {"visible": b, "key": b, "color": [r,g,b,a], "hasTarget": b, "action": s|null}. Before the
// shared panel has been asked for, it describes the panel it would be (hidden, white, no target)
// without making it.
void describeColorPanel(JsonWriter& json);
