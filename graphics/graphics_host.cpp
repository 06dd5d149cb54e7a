#include "graphics_host.h"

GraphicsHost gGraphicsHost;
