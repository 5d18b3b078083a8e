// The globals of the two sheets, defined together (see Globals.h for what each holds).
#include "dialogs/SheetGlobals.h"

#include "appkit/controls/NSProgressIndicator.h"
#include "appkit/controls/NSTextField.h"
#include "appkit/windows/NSWindow.h"

namespace brix {
Weak<NSWindow> _textEntryWindow;
Weak<NSWindow> _progressWindowParent;
Weak<NSTextField> _progressTitleText;
Weak<NSTextField> _progressMessageText;
Weak<NSWindow> _progressWindow;
Weak<NSProgressIndicator> _progressBar;
double _lastProgress = -1.0;
} // namespace brix
