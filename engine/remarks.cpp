// The remarks the program makes by itself: after a silence, at the start of a dialogue, and a
// moment after a reply.
#include "engine/engine.h"

namespace tovrin {

void Engine::IdleTick() {}
void Engine::GreetingTick() {}
void Engine::DelayTick() {}

} // namespace tovrin
