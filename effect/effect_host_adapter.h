#pragma once
// Selects the host adapter the effect derives from. Each deliverable compiles the
// effect class against its own adapter: the build defines MORAVELLE_ADAPTER_HEADER
// (a header path) and MORAVELLE_ADAPTER_CLASS. An adapter class derives from
// PluginBase, has a constructor (const PluginConfig&, const HostArgs&) and names the
// arguments its host passes at creation as the nested type HostArgs.

#if !defined(MORAVELLE_ADAPTER_HEADER) || !defined(MORAVELLE_ADAPTER_CLASS)
#error "the build must choose a host adapter for the effect"
#endif

#include MORAVELLE_ADAPTER_HEADER

using EffectHostAdapter = MORAVELLE_ADAPTER_CLASS;
