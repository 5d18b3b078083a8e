// The mark of a name the library exports; everything else stays hidden (-fvisibility=hidden).
#pragma once

#define BRIX_EXPORT __attribute__((visibility("default")))
