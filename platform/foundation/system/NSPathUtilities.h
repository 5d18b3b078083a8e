// The user's standard directories, found the way the XDG Base Directory rules place them.
#pragma once

#include "foundation/collections/NSArray.h"

enum NSSearchPathDirectory : NSUInteger {
  NSApplicationSupportDirectory = 14,
};

enum NSSearchPathDomainMask : NSUInteger {
  NSUserDomainMask = 1,
  NSLocalDomainMask = 2,
  NSNetworkDomainMask = 4,
  NSSystemDomainMask = 8,
  NSAllDomainsMask = 0x0ffff,
};

// An autoreleased array of the directories of one kind in the given domains. Only the user
// domain is known here: NSApplicationSupportDirectory there is $XDG_DATA_HOME when that is an
// absolute path, else ~/.local/share, without a trailing slash. Other directories and domains
// give an empty array. The directory is not created. With expandTilde false a path inside the
// home directory starts with "~".
NSArray* NSSearchPathForDirectoriesInDomains(NSSearchPathDirectory directory,
                                             NSSearchPathDomainMask domainMask, bool expandTilde);
