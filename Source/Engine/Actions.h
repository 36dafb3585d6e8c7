#pragma once
// Every action kind, for code that builds actions of several kinds.

#include "Engine/Action.h"
#include "Engine/ActionManager.h"
#include "Engine/InstantAction.h"
#include "Engine/IntervalAction.h"
