// The shared colour panel brought up for Java: every colour the user picks reaches Java as
// callNamedRunnable("COLORCHANGED", "#RRGGBB") through a fresh action target.
#pragma once

namespace brix {
// Fronts the shared colour panel with a new target for its picks, then makes it key.
void showColorPanel();
} // namespace brix
