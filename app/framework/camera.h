// The camera record now lives with the bottom of the stack; the window framework keeps this name.
#pragma once

#include "core/camera.h"
