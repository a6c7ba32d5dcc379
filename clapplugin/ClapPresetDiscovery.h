// The preset-discovery factory: one provider that lists the eight factory programs, inside the
// library, so hosts show them in their preset browsers without creating an instance.
#pragma once

struct clap_preset_discovery_factory;

const clap_preset_discovery_factory* presetDiscoveryFactory();
