// Identifies the host from its product name.
#include <cctype>
#include <cstring>

#include "plugin_base.h"

int PluginBase::HostFromProductName(const char* text) {
  // Work on a lower-case copy cut to 255 characters; the hosts' texts are shorter.
  char lower[256] = {};
  if (text != nullptr) {
    for (size_t i = 0; i + 1 < sizeof lower && text[i] != '\0'; ++i)
      lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
  }
  struct Match {
    const char* substring;
    int code;
  };
  // Order matters: the first hit wins ("cubase" before "nuendo").
  static constexpr Match kMatches[] = {
      {"cubase", kHostCubase},         {"reaper", kHostReaper},
      {"nuendo", kHostNuendo},         {"cakewalk", kHostCakewalk},
      {"samplitude", kHostSamplitude}, {"fruity", kHostFruity},
      {"live", kHostLive},             {"melodyne", kHostMelodyne},
      {"vstmanlib", kHostVstManLib},   {"aulab", kHostAuLab},
      {"garageband", kHostGarageBand}, {"forte", kHostForte},
      {"chainer", kHostChainer},       {"audition", kHostAudition},
      {"orion", kHostOrion},           {"sawstudio", kHostSawStudio},
      {"logic", kHostLogic},           {"digital", kHostDigital},
      {"audiomulch", kHostAudioMulch}, {"presonus", kHostPreSonus},
      {"vst3plugintesthost", kHostVst3TestHost}, {"protools", kHostProTools},
      {"ardour", kHostArdour},         {"standalone", kHostStandalone},
  };
  for (const Match& m : kMatches)
    if (std::strstr(lower, m.substring) != nullptr) return m.code;
  return kHostUnknown;
}
