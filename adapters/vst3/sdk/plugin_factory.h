#pragma once
// CPluginFactory: the module's class factory. It answers the three factory
// versions with one object, describes its registered classes in all three forms and
// creates instances through each class's create function.

#include <vector>

#include "abi/vst3/fobject.h"
#include "abi/vst3/vst3_factory_interfaces.h"

namespace vst3 {

// Creates one instance; the result carries one reference, or is null on failure.
using CreateFunction = FUnknown* (*)(void* context);

struct ClassRegistration {
  PClassInfo2 info;
  CreateFunction create;
  void* context;
};

class CPluginFactory : public FObject, public IPluginFactory3 {
 public:
  explicit CPluginFactory(const PFactoryInfo& info);
  ~CPluginFactory() override;

  // Not thread-safe: register every class before handing the factory out.
  bool AddClass(const PClassInfo2& info, CreateFunction create, void* context = nullptr);

  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override;
  uint32 PLUGIN_API addRef() override { return AddReference(); }
  uint32 PLUGIN_API release() override { return ReleaseReference(); }

  tresult PLUGIN_API getFactoryInfo(PFactoryInfo* info) override;
  int32 PLUGIN_API countClasses() override;
  tresult PLUGIN_API getClassInfo(int32 index, PClassInfo* info) override;
  tresult PLUGIN_API createInstance(FIDString cid, FIDString iid, void** obj) override;
  tresult PLUGIN_API getClassInfo2(int32 index, PClassInfo2* info) override;
  tresult PLUGIN_API getClassInfoUnicode(int32 index, PClassInfoW* info) override;
  tresult PLUGIN_API setHostContext(FUnknown* context) override;

  const char* ClassName() const override { return "CPluginFactory"; }

 private:
  const ClassRegistration* At(int32 index) const;

  PFactoryInfo factoryInfo_;
  std::vector<ClassRegistration> classes_;
  SharedInterface<FUnknown> hostContext_;
};

}  // namespace vst3
