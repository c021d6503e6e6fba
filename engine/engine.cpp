#include "engine/engine.h"

namespace tovrin {

Engine::Engine(Host& host, CuePlayer& cues, Dice& dice) : host_(host), cues_(cues), dice_(dice) {}
void Engine::SpeakClick() {}
bool Engine::SanitiseTick(const std::string&) { return false; }
void Engine::LoadExchange() {}
void Engine::WriteDialogueLog(const std::string&, const std::string&) {}

} // namespace tovrin
