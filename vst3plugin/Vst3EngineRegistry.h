// The processors alive in this module, so a controller can trust an engine link named in a
// message: hosts such as Ardour connect processor and controller through their own proxies,
// and only a message (holding the processor's address) crosses. Host GUI thread; the lock is
// never taken on the audio thread.
#pragma once

class Vst3EngineLink;

namespace vst3_engine_registry
{
void add(Vst3EngineLink* link);
void remove(Vst3EngineLink* link);
// The link with this address when it is a live processor of this module, referenced for the
// caller; else null.
Vst3EngineLink* find(long long address);
} // namespace vst3_engine_registry
