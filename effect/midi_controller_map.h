#pragma once
// MIDI controller numbers that drive parameters on the MIDI input channel.

// The parameter index a controller drives, or -1 for an unmapped controller.
int ParamForController(int controller);
