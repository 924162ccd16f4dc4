/* The launcher's program-wide state, fixed by the brand at build time
 * (brand.h: the class, the game and the features), which dinstall.cpp and
 * what a brand switches on (features.h) read. Defined here, as the program's
 * own, in the one module that includes it. */

#ifndef LAUNCHER_H
#define LAUNCHER_H

#include <windows.h>
#include "resource.h"
#include "brand.h"

static HINSTANCE hinst;
static const char szAppName[] = BRAND_CLASS;
static const char *const copy_list[] = { BRAND_GAME };

#endif
