// The name the install's copies still know their event by.
#pragma once

#include "cli/log/LogEvents.h"

using CopyEvent = FileCopiedEvent;
