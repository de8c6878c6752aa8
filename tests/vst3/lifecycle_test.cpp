// Reference counts and lifecycles in process: factory, instances and views are
// created and released many times; the leak checker of the sanitizer build finds
// whatever is left behind.
#include <gtest/gtest.h>

#include "adapters/vst3/vst3_entry.h"
#include "host_objects.h"

using namespace vst3;

namespace {

IComponent* CreateComponent(IPluginFactory* factory) {
  void* object = nullptr;
  const Uid cid = MoravelleClassId();
  if (factory->createInstance(cid.bytes, IComponent::iid.bytes, &object) != kResultOk) return nullptr;
  return static_cast<IComponent*>(object);
}

}  // namespace

TEST(Vst3Lifecycle, FactoryIsSharedAndItsCountsBalance) {
#if defined(_WIN32)
  ASSERT_TRUE(InitDll());
#else
  ASSERT_TRUE(ModuleEntry(nullptr));
#endif
  IPluginFactory* first = GetPluginFactory();
  ASSERT_NE(first, nullptr);
  const uint32 base = first->addRef() - 1;
  first->release();
  for (int i = 0; i < 100; ++i) {
    IPluginFactory* again = GetPluginFactory();
    EXPECT_EQ(again, first);
    EXPECT_EQ(again->release(), base);
  }
  void* f3 = nullptr;
  ASSERT_EQ(first->queryInterface(IPluginFactory3::iid.bytes, &f3), kResultOk);
  EXPECT_EQ(static_cast<FUnknown*>(f3), static_cast<FUnknown*>(first));
  static_cast<FUnknown*>(f3)->release();
  first->release();
#if defined(_WIN32)
  EXPECT_TRUE(ExitDll());
#else
  EXPECT_TRUE(ModuleExit());
#endif
  // After the exit function a new factory is made on demand.
  IPluginFactory* fresh = GetPluginFactory();
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->countClasses(), 1);
  fresh->release();
}

TEST(Vst3Lifecycle, InstancesAndViewsComeAndGoWithoutLeaks) {
  IPluginFactory* factory = GetPluginFactory();
  auto* hostApp = new host3::HostApplication(u"Lifecycle");
  for (int round = 0; round < 40; ++round) {
    IComponent* component = CreateComponent(factory);
    ASSERT_NE(component, nullptr);
    ASSERT_EQ(component->initialize(static_cast<IHostApplication*>(hostApp)), kResultOk);
    auto* controller = QueryFrom<IEditController>(component);
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(controller->getParameterCount(), 33);
    // A second initialize is refused and adds nothing.
    EXPECT_EQ(controller->initialize(static_cast<IHostApplication*>(hostApp)), kResultFalse);
    EXPECT_EQ(controller->getParameterCount(), 33);
    const uint32 before = component->addRef() - 1;
    component->release();
    for (int v = 0; v < 5; ++v) {
      IPlugView* view = controller->createView("editor");
      ASSERT_NE(view, nullptr);
      EXPECT_EQ(component->addRef(), before + 2);  // the view holds one
      component->release();
      void* again = nullptr;
      ASSERT_EQ(view->queryInterface(IPlugView::iid.bytes, &again), kResultOk);
      EXPECT_EQ(static_cast<IPlugView*>(again)->release(), 1u);
      EXPECT_EQ(view->release(), 0u);
    }
    EXPECT_EQ(component->addRef(), before + 1);
    component->release();
    controller->release();
    EXPECT_EQ(component->terminate(), kResultOk);
    EXPECT_EQ(component->getBusCount(kAudio, kInput), 0);
    EXPECT_EQ(component->release(), 0u);
  }
  EXPECT_EQ(hostApp->ReferenceCount(), 1u);  // every instance let go of the context
  hostApp->ReleaseReference();
  factory->release();
}

TEST(Vst3Lifecycle, EveryInterfaceQueryAddsExactlyOneReference) {
  IPluginFactory* factory = GetPluginFactory();
  IComponent* component = CreateComponent(factory);
  ASSERT_NE(component, nullptr);
  ASSERT_EQ(component->initialize(nullptr), kResultOk);
  const uint32 start = component->addRef() - 1;
  component->release();
  for (const Uid* iid : {&FUnknown::iid, &IPluginBase::iid, &IComponent::iid, &IAudioProcessor::iid,
                         &IEditController::iid, &IEditController2::iid, &IConnectionPoint::iid, &IUnitInfo::iid,
                         &IProcessContextRequirements::iid}) {
    void* answer = nullptr;
    ASSERT_EQ(component->queryInterface(iid->bytes, &answer), kResultOk);
    EXPECT_EQ(static_cast<FUnknown*>(answer)->release(), start);
  }
  // A harmless call through each adjusted pointer lands in the right method.
  auto* processor = QueryFrom<IAudioProcessor>(component);
  EXPECT_EQ(processor->canProcessSampleSize(kSample64), kResultTrue);
  processor->release();
  auto* units = QueryFrom<IUnitInfo>(component);
  EXPECT_EQ(units->getUnitCount(), 1);
  units->release();
  auto* connection = QueryFrom<IConnectionPoint>(component);
  EXPECT_EQ(connection->connect(connection), kResultOk);
  EXPECT_EQ(connection->disconnect(connection), kResultOk);
  connection->release();
  component->terminate();
  EXPECT_EQ(component->release(), 0u);
  factory->release();
}
