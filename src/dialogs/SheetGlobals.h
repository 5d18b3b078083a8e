// The globals shared by the text-entry sheet and the progress sheet are declared with the
// library's other globals.
#pragma once

#include "Globals.h"
