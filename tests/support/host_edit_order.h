#pragma once
// The order in which a host heard of one parameter's edits, one letter a call:
// B(egin), A(utomate or perform), E(nd), and M for a VST3 context menu. The editor
// tests compare it after a gesture.

#include <string>
#include <vector>

#include "hosts/vst2/vst2_host.h"
#include "hosts/vst3/host_objects.h"

inline std::string Vst2EditOrder(const std::vector<HostCallbackCall>& log, int index,
                                 std::vector<float>* values = nullptr) {
  std::string order;
  for (const HostCallbackCall& call : log) {
    if (call.index != index) continue;
    if (call.opcode == audioMasterBeginEdit) order += 'B';
    if (call.opcode == audioMasterEndEdit) order += 'E';
    if (call.opcode == audioMasterAutomate) {
      order += 'A';
      if (values != nullptr) values->push_back(call.opt);
    }
  }
  return order;
}

inline std::string Vst3EditOrder(const std::vector<host3::ComponentHandler::Call>& calls, vst3::ParamID id) {
  using Call = host3::ComponentHandler::Call;
  std::string order;
  for (const Call& call : calls) {
    if (call.id != id) continue;
    if (call.kind == Call::Begin) order += 'B';
    if (call.kind == Call::Perform) order += 'A';
    if (call.kind == Call::End) order += 'E';
    if (call.kind == Call::ContextMenu) order += 'M';
  }
  return order;
}
