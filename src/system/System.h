// Relaunching the application and running shell commands: the plain functions behind the native
// methods relaunchThyself and runCommandAsNSTask.
#pragma once

#include "bridge/Export.h"
#include "foundation/strings/NSString.h"

extern "C" {
// Starts a shell, in a session of its own, that waits delaySeconds and then runs this process's
// command line again in its working directory; then asks the application to terminate. When the
// command line cannot be read or the shell cannot be started, it logs why and does not quit, so
// the application never ends without coming back.
BRIX_EXPORT void relaunchAfterDelay(float delaySeconds);

// Runs command with /bin/sh -c, its standard input and error those of the application, and
// returns what it wrote to standard output once every writer has closed it, decoded as UTF-8
// (autoreleased). nil when the output is not valid UTF-8, when command is nil, or when the shell
// cannot be started. The exit status is not read.
BRIX_EXPORT NSString* runCommand(NSString* command);
}
