// The globals shared by the text-entry sheet and the progress sheet. There is one set for both
// kinds: whichever sheet was built last names the parent window and the two labels. They hold
// plain references; the library never releases what they name.
#pragma once

class NSProgressIndicator;
class NSTextField;
class NSWindow;

namespace brix {

extern NSWindow* _textEntryWindow;
extern NSWindow* _progressWindowParent;
extern NSTextField* _progressTitleText;
extern NSTextField* _progressMessageText;

extern NSWindow* _progressWindow;
extern NSProgressIndicator* _progressBar;
// The last value an update applied; -1.0 until then, and kept across sheets.
extern double _lastProgress;

} // namespace brix
