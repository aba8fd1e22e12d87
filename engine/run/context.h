// What a TsqzContext handle of the re-entrant interface points at: one whole engine.
#pragma once

#include "run/engine.h"

struct TsqzContext {
    tsqz::Engine engine;
};
