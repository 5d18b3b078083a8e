// The shell task that brings the application back after it has quit. Kept apart from the
// termination itself so that its exact command line can be checked without quitting.
//
// macOS reopens the application bundle with `open`; on Linux nothing opens an application by
// its directory (`open` is missing or is openvt), so the shell runs the process's own command
// line again instead: "sleep 2.000000; 'java' '-cp' 'app.jar' 'Main'". Every word is quoted,
// so no path or argument is ever read as shell syntax.
#pragma once

#include "foundation/collections/NSArray.h"
#include "foundation/system/NSTask.h"

namespace brix {

// One word for the shell, inside single quotes; a single quote becomes '\''. Nothing else has a
// meaning inside single quotes, so dollars, back quotes and backslashes stay as they are.
NSString* shellQuoted(const NSString* word);

// "sleep <delay with six decimals>; " followed by the quoted words of commandLine, separated
// by single spaces.
NSString* relaunchCommandText(double delaySeconds, const NSArray* commandLine);

// This process's arguments, the program first, as the kernel keeps them; nil when they cannot
// be read or one of them is not valid UTF-8 (it could not be passed on unchanged).
NSArray* currentCommandLine();

// The unlaunched task: /bin/sh with "-c" and the relaunch text, leading a session of its own so
// that it outlives the application. It inherits the working directory and, like every NSTask,
// only the three standard streams. Null when the command line cannot be read.
Ref<NSTask> makeRelaunchTask(double delaySeconds);

} // namespace brix
