// The controller side through the built module: parameters, texts, bypass,
// program list and units.
#include <clocale>
#include <cmath>

#include "adapters/offline/offline_adapter.h"
#include "effect/moravelle.h"
#include "module_path.h"
#include "tests/support/decimal_comma_locale.h"

using namespace vst3;

TEST(Vst3Parameters, PresetBypassThenTheEffectParametersInOrder) {
  auto host = LoadModule();
  ASSERT_TRUE(host);
  const std::vector<host3::ParamSummary> params = host->Params();
  ASSERT_EQ(params.size(), 33u);

  EXPECT_EQ(params[0].id, kPresetId);
  EXPECT_EQ(params[0].title, "Preset");
  EXPECT_EQ(params[0].units, "");
  EXPECT_EQ(params[0].stepCount, 1);
  EXPECT_EQ(params[0].defaultNormalized, 0.0);
  EXPECT_EQ(params[0].flags, 0x8000);

  EXPECT_EQ(params[1].id, kBypassId);
  EXPECT_EQ(params[1].title, "Bypass");
  EXPECT_EQ(params[1].stepCount, 1);
  EXPECT_EQ(params[1].flags, 0x10009);
  EXPECT_EQ(host->ParamText(kBypassId, 0.0), "");  // only effect parameters have texts here

  Moravelle reference{OfflineAdapter::HostArgs{}};
  for (int i = 0; i < kEffectParams; ++i) {
    const host3::ParamSummary& p = params[static_cast<size_t>(i) + 2];
    const PluginParam* mine = reference.Param(i);
    EXPECT_EQ(p.id, static_cast<ParamID>(i));
    EXPECT_EQ(p.title, mine->Name()) << i;
    EXPECT_EQ(p.units, mine->Label()) << i;
    EXPECT_EQ(p.stepCount, 0) << i;
    EXPECT_EQ(p.flags, ParameterInfo::kCanAutomate) << i;
    EXPECT_EQ(p.unitId, kRootUnitId) << i;
    EXPECT_DOUBLE_EQ(p.defaultNormalized, mine->ToNormalized(mine->Default())) << i;
  }
  ParameterInfo info{};
  EXPECT_NE(host->Controller()->getParameterInfo(33, info), kResultOk);
  EXPECT_NE(host->Controller()->getParameterInfo(-1, info), kResultOk);
}

TEST(Vst3Parameters, TextsValuesAndConversionsFollowTheParameterRecord) {
  auto host = LoadModule();
  ASSERT_TRUE(host);
  Moravelle reference{OfflineAdapter::HostArgs{}};
  IEditController* c = host->Controller();
  for (int i = 0; i < kEffectParams; ++i) {
    const PluginParam* mine = reference.Param(i);
    char expected[kParamTextSize];
    mine->FormatForHost(0.25, true, expected, sizeof expected, true);
    EXPECT_EQ(host->ParamText(static_cast<ParamID>(i), 0.25), expected) << i;
    const double plain = mine->FromNormalized(0.75);
    EXPECT_NEAR(c->plainParamToNormalized(static_cast<ParamID>(i), plain), 0.75, 1e-12) << i;
  }
  EXPECT_EQ(c->plainParamToNormalized(kPresetId, 3.5), 3.5);  // not an effect parameter: unchanged
  String128 text{};
  EXPECT_EQ(c->getParamStringByValue(kPresetId, 0.0, text), kResultFalse);
  EXPECT_EQ(c->getParamStringByValue(31, 0.0, text), kResultFalse);

  EXPECT_EQ(c->setParamNormalized(5, 0.5), kResultOk);
  EXPECT_DOUBLE_EQ(c->getParamNormalized(5), 0.5);
  EXPECT_EQ(c->setParamNormalized(kBypassId, 1.0), kResultFalse);
  EXPECT_EQ(c->setParamNormalized(31, 0.5), kResultFalse);
  EXPECT_EQ(c->getParamNormalized(31), 0.0);
  EXPECT_EQ(c->getParamNormalized(kPresetId), 0.0);
  // A value outside 0..1 from a host is clamped, never stored below the range.
  EXPECT_EQ(c->setParamNormalized(5, -3.0), kResultOk);
  EXPECT_EQ(c->getParamNormalized(5), 0.0);
}

TEST(Vst3Parameters, AHostInADecimalCommaLocaleSeesAndTypesPoints) {
  auto host = LoadModule();
  ASSERT_TRUE(host);
  ASSERT_NE(SwitchToDecimalCommaLocale(), nullptr) << "no decimal-comma locale (tools/install-deps.sh makes one)";
  const std::string shown = host->ParamText(kReverbDamp, 0.75);
  String128 typed{};
  const char* text = "0.25";
  for (int i = 0; text[i] != '\0'; ++i) typed[i] = static_cast<char16>(text[i]);
  ParamValue normalized = -1.0;
  const tresult read = host->Controller()->getParamValueByString(kReverbDamp, typed, normalized);
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(shown, "0.75000");
  EXPECT_EQ(read, kResultOk);
  EXPECT_DOUBLE_EQ(normalized, 0.25);
}

TEST(Vst3Parameters, BypassFollowsTheHostAndPassesInputThrough) {
  auto host = LoadModule();
  ASSERT_TRUE(host);
  ASSERT_TRUE(host->Setup(44100.0, 128, kSample32));
  EXPECT_EQ(host->ParamNormalized(kBypassId), 0.0);
  float inL[128], inR[128], outL[128], outR[128];
  for (int i = 0; i < 128; ++i) {
    inL[i] = std::sin(i * 0.1f) * 0.5f;
    inR[i] = std::cos(i * 0.07f) * 0.25f;
  }
  const float* in[2] = {inL, inR};
  float* out[2] = {outL, outR};
  host->QueueParam(kBypassId, 0.6);
  ASSERT_TRUE(host->Process32(in, out, 128));
  EXPECT_EQ(host->ParamNormalized(kBypassId), 1.0);
  for (int i = 0; i < 128; ++i) {
    ASSERT_EQ(outL[i], inL[i]) << i;
    ASSERT_EQ(outR[i], inR[i]) << i;
  }
  host->QueueParam(kBypassId, 0.4);
  ASSERT_TRUE(host->Process32(in, out, 128));
  EXPECT_EQ(host->ParamNormalized(kBypassId), 0.0);
  host->QueueParam(kBypassId, 1.0);
  ASSERT_TRUE(host->Flush());
  EXPECT_EQ(host->ParamNormalized(kBypassId), 1.0);
  // A refused setup changes nothing: a good one would have cleared the bypass.
  ProcessSetup wrong{kRealtime, 2, 128, 44100.0};
  EXPECT_EQ(host->Processor()->setupProcessing(wrong), kResultFalse);
  EXPECT_EQ(host->ParamNormalized(kBypassId), 1.0);
}

TEST(Vst3Programs, ListIsDescribedButNotCounted) {
  auto host = LoadModule();
  ASSERT_TRUE(host);
  auto* units = QueryFrom<IUnitInfo>(host->Component());
  ASSERT_NE(units, nullptr);
  EXPECT_EQ(units->getProgramListCount(), 0);
  ProgramListInfo list{};
  ASSERT_EQ(units->getProgramListInfo(0, list), kResultOk);
  EXPECT_EQ(list.id, static_cast<ProgramListID>(kPresetId));
  EXPECT_EQ(std::u16string(list.name), u"Factory Presets");
  EXPECT_EQ(list.programCount, 1);
  EXPECT_EQ(units->getProgramListInfo(1, list), kResultFalse);
  String128 name{};
  ASSERT_EQ(units->getProgramName(static_cast<ProgramListID>(kPresetId), 0, name), kResultOk);
  EXPECT_EQ(std::u16string(name), u"Init");
  ASSERT_EQ(units->getProgramName(static_cast<ProgramListID>(kPresetId), 5, name), kResultOk);
  EXPECT_EQ(std::u16string(name), u"");
  EXPECT_EQ(units->getProgramName(1, 0, name), kResultFalse);
  EXPECT_EQ(units->getProgramInfo(static_cast<ProgramListID>(kPresetId), 0, "Name", name), kNotImplemented);
  EXPECT_EQ(units->selectUnit(0), kNotImplemented);

  EXPECT_EQ(units->getUnitCount(), 1);  // no parameter has a group
  EXPECT_EQ(units->getSelectedUnit(), 0);
  UnitInfo unit{};
  ASSERT_EQ(units->getUnitInfo(0, unit), kResultOk);
  EXPECT_EQ(unit.id, kRootUnitId);
  EXPECT_EQ(unit.parentUnitId, kNoParentUnitId);
  EXPECT_EQ(std::u16string(unit.name), u"Root Unit");
  EXPECT_EQ(unit.programListId, kNoProgramListId);
  EXPECT_EQ(units->getUnitInfo(1, unit), kResultFalse);
  units->release();
}

TEST(Vst3Controller, EditorViewAnswersForTheEditorAndOtherNamesGetNothing) {
  auto host = LoadModule();
  ASSERT_TRUE(host);
  IEditController* c = host->Controller();
  EXPECT_EQ(c->createView("other"), nullptr);
  EXPECT_EQ(c->createView(nullptr), nullptr);
  IPlugView* view = c->createView("editor");
  ASSERT_NE(view, nullptr);
  // Each build offers its own window system only.
#ifdef _WIN32
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultTrue);
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultFalse);
#else
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultFalse);
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultTrue);
#endif
  ViewRect rect{};
  ASSERT_EQ(view->getSize(&rect), kResultOk);
  EXPECT_EQ(rect.right - rect.left, 1000);
  EXPECT_EQ(rect.bottom - rect.top, 530);
  // Without a host window no editor opens, and the host hears so.
#ifdef _WIN32
  EXPECT_EQ(view->attached(nullptr, kPlatformTypeHWND), kResultFalse);
#else
  EXPECT_EQ(view->attached(nullptr, kPlatformTypeX11EmbedWindowID), kResultFalse);
#endif
  EXPECT_EQ(view->onSize(nullptr), kResultOk);
  EXPECT_EQ(view->canResize(), kResultFalse);
  EXPECT_EQ(view->onWheel(1.0f), kResultFalse);
  EXPECT_EQ(view->removed(), kResultOk);
  EXPECT_EQ(view->release(), 0u);

  auto* controller2 = QueryFrom<IEditController2>(host->Component());
  ASSERT_NE(controller2, nullptr);
  EXPECT_EQ(controller2->openHelp(1), kResultFalse);
  EXPECT_EQ(controller2->openAboutBox(0), kResultFalse);
  controller2->release();
}
