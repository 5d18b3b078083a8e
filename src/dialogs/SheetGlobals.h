// The globals shared by the text-entry sheet and the progress sheet. There is one set for both
// kinds: whichever sheet was built last names the parent window and the two labels. They are
// weak: a window closed under them, with its views, reads as nil, and every later call acts on
// nothing.
#pragma once

#include "NSObject.h"

class NSProgressIndicator;
class NSTextField;
class NSWindow;

namespace brix {

extern Weak<NSWindow> _textEntryWindow;
extern Weak<NSWindow> _progressWindowParent;
extern Weak<NSTextField> _progressTitleText;
extern Weak<NSTextField> _progressMessageText;

extern Weak<NSWindow> _progressWindow;
extern Weak<NSProgressIndicator> _progressBar;
// The last value an update applied; -1.0 until then, and kept across sheets.
extern double _lastProgress;

} // namespace brix
