// The editor view on a plug-in whose editor has a stand-in window layer.
#include <gtest/gtest.h>

#include "adapters/vst3/vst3_plugin_view.h"
#include "recording_plugin.h"

using namespace vst3;

namespace {

class RecordingFrame : public FObject, public IPlugFrame {
 public:
  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override {
    if (FUnknown::iid.Matches(iid) || IPlugFrame::iid.Matches(iid)) return AnswerQuery<IPlugFrame>(this, obj);
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 PLUGIN_API addRef() override { return AddReference(); }
  uint32 PLUGIN_API release() override { return ReleaseReference(); }
  tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* newSize) override {
    ++requests;
    last = *newSize;
    // Hosts answer a resize request by calling onSize in the same call stack.
    return view->onSize(newSize);
  }
  int requests = 0;
  ViewRect last{};
};

struct WithEditor {
  RecordingPlugin* plugin = new RecordingPlugin();
  FakeEditor* editor = new FakeEditor();  // owned by the plug-in once attached
  WithEditor() {
    plugin->initialize(nullptr);
    plugin->AttachEditor(editor);
  }
  ~WithEditor() {
    plugin->terminate();
    EXPECT_EQ(plugin->release(), 0u);
  }
};

}  // namespace

TEST(Vst3View, AnswersForAWindowsEditorOnly) {
  WithEditor w;
  IPlugView* view = w.plugin->createView("editor");
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultTrue);
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeNSView), kResultFalse);
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultFalse);
  EXPECT_EQ(view->canResize(), kResultFalse);
  EXPECT_EQ(view->checkSizeConstraint(nullptr), kResultFalse);
  EXPECT_EQ(view->onFocus(1), kResultFalse);
  EXPECT_EQ(view->onKeyDown(u'a', 0, 0), kResultFalse);
  ViewRect rect{};
  EXPECT_EQ(view->getSize(&rect), kResultFalse);  // this editor reports no size

  // Any platform type attaches and tells the effect; only HWND opens a window.
  EXPECT_EQ(view->attached(nullptr, kPlatformTypeX11EmbedWindowID), kResultTrue);
  EXPECT_EQ(w.plugin->editorOpened, 1);
  EXPECT_EQ(w.editor->opened, 0);
  EXPECT_EQ(view->removed(), kResultOk);
  EXPECT_EQ(w.plugin->editorClosed, 1);
  EXPECT_EQ(view->release(), 0u);
}

TEST(Vst3View, AnHwndAttachOpensTheWindowAndAFailedOneIsReported) {
  WithEditor w;
  IPlugView* view = w.plugin->createView("editor");
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->attached(nullptr, kPlatformTypeHWND), kResultFalse);  // no window could be made
  EXPECT_EQ(w.plugin->editorOpened, 0);
  EXPECT_EQ(view->removed(), kResultOk);
  EXPECT_EQ(w.plugin->editorClosed, 0);  // never opened, so never closed

  int hostWindow = 0;
  EXPECT_EQ(view->attached(&hostWindow, kPlatformTypeHWND), kResultTrue);
  EXPECT_EQ(w.editor->opened, 2);
  EXPECT_EQ(w.plugin->editorOpened, 1);
  // A host that releases the view without removed still gets its window closed.
  EXPECT_EQ(view->release(), 0u);
  EXPECT_EQ(w.plugin->editorClosed, 1);
  EXPECT_EQ(w.editor->closed, 1);
}

TEST(Vst3View, ResizeRequestsTravelThroughTheFrameAndComeBackAsOnSize) {
  WithEditor w;
  IPlugView* view = w.plugin->createView("editor");
  ASSERT_NE(view, nullptr);
  auto* frame = new RecordingFrame();
  ASSERT_EQ(view->setFrame(frame), kResultOk);

  ViewRect host{0, 0, 300, 200};
  ASSERT_EQ(view->onSize(&host), kResultOk);
  EXPECT_EQ(w.plugin->afterResize, 0);  // the host sized it; nobody asked
  EXPECT_EQ(static_cast<Vst3PluginView*>(view)->CurrentRect().Width(), 300);

  w.plugin->EditorResized(640, 480);
  EXPECT_EQ(frame->requests, 1);
  EXPECT_EQ(frame->last.right, 640);
  EXPECT_EQ(frame->last.bottom, 480);
  EXPECT_EQ(w.plugin->afterResize, 1);
  EXPECT_FALSE(static_cast<Vst3PluginView*>(view)->ExpectingResize());
  EXPECT_EQ(static_cast<Vst3PluginView*>(view)->CurrentRect().Height(), 480);

  view->setFrame(nullptr);
  EXPECT_EQ(view->release(), 0u);
  EXPECT_EQ(w.plugin->ViewCount(), 0);
  w.plugin->EditorResized(10, 10);  // no view: nothing to ask
  EXPECT_EQ(frame->requests, 1);
  frame->ReleaseReference();
}

TEST(Vst3View, ViewsKeepThePluginAliveAndLeaveItsListWhenReleased) {
  auto* plugin = new RecordingPlugin();
  plugin->initialize(nullptr);
  IPlugView* first = plugin->createView("editor");
  IPlugView* second = plugin->createView("editor");
  EXPECT_EQ(plugin->ViewCount(), 2);
  plugin->terminate();
  EXPECT_EQ(plugin->release(), 2u);  // the views hold it
  EXPECT_EQ(first->release(), 0u);
  EXPECT_EQ(second->release(), 0u);  // the last view's release destroys the plug-in
}
