// The message numbers and key codes now live with the bottom of the stack; the window framework
// keeps this name.
#pragma once

#include "core/win_messages.h"
