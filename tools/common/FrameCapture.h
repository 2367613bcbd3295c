#pragma once

#include "tools/common/Image.h"

// The 800x600 back buffer as a picture, top row first: read it before the
// buffer swap, after which its contents are undefined.
Image ReadBackBuffer();
