#include "plugin_factory.h"

#include <cstring>

#include "abi/vst3/text16.h"

namespace vst3 {

CPluginFactory::CPluginFactory(const PFactoryInfo& info) : factoryInfo_(info) {
  factoryInfo_.flags |= PFactoryInfo::kUnicode;
}

CPluginFactory::~CPluginFactory() = default;

bool CPluginFactory::AddClass(const PClassInfo2& info, CreateFunction create, void* context) {
  if (create == nullptr) return false;
  classes_.push_back({info, create, context});
  return true;
}

tresult PLUGIN_API CPluginFactory::queryInterface(const TUID iid, void** obj) {
  if (obj == nullptr) return kInvalidArgument;
  // Each factory version extends the previous one, so one vtable answers all.
  if (FUnknown::iid.Matches(iid) || IPluginFactory::iid.Matches(iid) || IPluginFactory2::iid.Matches(iid) ||
      IPluginFactory3::iid.Matches(iid))
    return AnswerQuery<IPluginFactory3>(this, obj);
  *obj = nullptr;
  return kNoInterface;
}

tresult PLUGIN_API CPluginFactory::getFactoryInfo(PFactoryInfo* info) {
  if (info == nullptr) return kInvalidArgument;
  *info = factoryInfo_;
  return kResultOk;
}

int32 PLUGIN_API CPluginFactory::countClasses() { return static_cast<int32>(classes_.size()); }

const ClassRegistration* CPluginFactory::At(int32 index) const {
  return index >= 0 && index < static_cast<int32>(classes_.size()) ? &classes_[static_cast<size_t>(index)] : nullptr;
}

tresult PLUGIN_API CPluginFactory::getClassInfo(int32 index, PClassInfo* info) {
  const ClassRegistration* entry = At(index);
  if (entry == nullptr || info == nullptr) return kInvalidArgument;
  std::memcpy(info->cid, entry->info.cid, sizeof info->cid);
  info->cardinality = entry->info.cardinality;
  CopyText8(info->category, sizeof info->category, entry->info.category);
  CopyText8(info->name, sizeof info->name, entry->info.name);
  return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfo2(int32 index, PClassInfo2* info) {
  const ClassRegistration* entry = At(index);
  if (entry == nullptr || info == nullptr) return kInvalidArgument;
  *info = entry->info;
  return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfoUnicode(int32 index, PClassInfoW* info) {
  const ClassRegistration* entry = At(index);
  if (entry == nullptr || info == nullptr) return kInvalidArgument;
  const PClassInfo2& from = entry->info;
  std::memcpy(info->cid, from.cid, sizeof info->cid);
  info->cardinality = from.cardinality;
  CopyText8(info->category, sizeof info->category, from.category);
  WidenText(info->name, from.name);
  info->classFlags = from.classFlags;
  CopyText8(info->subCategories, sizeof info->subCategories, from.subCategories);
  WidenText(info->vendor, from.vendor);
  WidenText(info->version, from.version);
  WidenText(info->sdkVersion, from.sdkVersion);
  return kResultOk;
}

tresult PLUGIN_API CPluginFactory::createInstance(FIDString cid, FIDString iid, void** obj) {
  if (obj == nullptr) return kInvalidArgument;
  *obj = nullptr;
  if (cid == nullptr || iid == nullptr) return kInvalidArgument;
  for (const ClassRegistration& entry : classes_) {
    if (std::memcmp(entry.info.cid, cid, sizeof(TUID)) != 0) continue;
    FUnknown* instance = entry.create(entry.context);
    if (instance == nullptr) return kOutOfMemory;
    // The query adds the caller's reference; the creation reference goes.
    const tresult result = instance->queryInterface(iid, obj);
    instance->release();
    return result == kResultOk ? kResultOk : kNoInterface;
  }
  return kNoInterface;
}

tresult PLUGIN_API CPluginFactory::setHostContext(FUnknown* context) {
  hostContext_.Reset(context);
  return kResultOk;
}

}  // namespace vst3
