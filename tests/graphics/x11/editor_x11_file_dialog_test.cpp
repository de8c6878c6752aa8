// EditorX11's file dialogs beside the host's loop: ChooseFileThen starts the
// dialog program and returns, the editor keeps taking input, Idle hands on the
// answer once the program exits, and a window that closes first kills the
// program and never answers. The dialog program is a stand-in here that
// answers after a delay; the module tests drive the real zenity.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "editor_in_host.h"

namespace {

using xdesk::FakeDialogProgram;
using Clock = std::chrono::steady_clock;

// The dialog stand-ins answer after this many seconds while it lives.
class DialogDelay {
 public:
  explicit DialogDelay(const char* seconds) { setenv("MORAVELLE_FAKE_DIALOG_SECONDS", seconds, 1); }
  ~DialogDelay() { unsetenv("MORAVELLE_FAKE_DIALOG_SECONDS"); }
};

struct Answers {
  std::vector<FileChoice> choices;
  FileChoiceDone Collector() {
    return [this](const FileChoice& choice) { choices.push_back(choice); };
  }
};

long ElapsedMs(Clock::time_point since) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

TEST(EditorX11FileDialog, TheDialogRunsBesideTheHostsLoopAndIdleHandsOnItsAnswerOnce) {
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  const DialogDelay delay("1");
  FakeDialogProgram zenity("/tmp/elsewhere/take two.moravellepreset", 0);
  Answers answers;
  const Clock::time_point asked = Clock::now();
  h.editor->ChooseFileThen("", FileAction::Save, "/tmp/presets/", "moravellepreset", answers.Collector());
  EXPECT_LT(ElapsedMs(asked), 500);  // the dialog takes a second to answer
  EXPECT_TRUE(h.editor->FileChoicePending());
  EXPECT_TRUE(answers.choices.empty());
  EXPECT_EQ(xdesk::ChildProcesses().size(), 1u);

  // A second request meanwhile is turned away at once.
  Answers refused;
  h.editor->ChooseFileThen("", FileAction::Open, "/tmp/", "moravellepreset", refused.Collector());
  ASSERT_EQ(refused.choices.size(), 1u);
  EXPECT_FALSE(refused.choices[0].answered);
  EXPECT_EQ(xdesk::ChildProcesses().size(), 1u);

  // The editor keeps taking input while the dialog is open.
  h.Click(250, 25);
  EXPECT_TRUE(xdesk::PumpUntil(h.step, [&] { return h.right->events.size() >= 2; }));
  EXPECT_TRUE(answers.choices.empty());

  EXPECT_TRUE(xdesk::PumpUntil(h.step, [&] { return !answers.choices.empty(); }));
  ASSERT_EQ(answers.choices.size(), 1u);
  EXPECT_TRUE(answers.choices[0].answered);
  EXPECT_EQ(answers.choices[0].file, "/tmp/elsewhere/take two.moravellepreset");
  EXPECT_EQ(answers.choices[0].folder, "/tmp/elsewhere/");
  EXPECT_FALSE(h.editor->FileChoicePending());
  EXPECT_TRUE(zenity.Has("--save"));
  EXPECT_TRUE(zenity.Has("--filename=/tmp/presets/"));
  EXPECT_TRUE(xdesk::ChildProcesses().empty());  // reaped, no zombie
  xdesk::PumpFor(h.step, 200);
  EXPECT_EQ(answers.choices.size(), 1u);
}

TEST(EditorX11FileDialog, ACancelAnswersAnEmptyPathAndKeepsTheFolder) {
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  FakeDialogProgram zenity("", 1);
  Answers answers;
  h.editor->ChooseFileThen("hall.moravellepreset", FileAction::Open, "/tmp/presets/", "moravellepreset fxp",
                           answers.Collector());
  EXPECT_TRUE(xdesk::PumpUntil(h.step, [&] { return !answers.choices.empty(); }));
  ASSERT_EQ(answers.choices.size(), 1u);
  EXPECT_TRUE(answers.choices[0].answered);
  EXPECT_EQ(answers.choices[0].file, "");
  EXPECT_EQ(answers.choices[0].folder, "/tmp/presets/");
  EXPECT_TRUE(zenity.Has("--filename=/tmp/presets/hall.moravellepreset"));
  EXPECT_TRUE(zenity.Has("--file-filter=*.moravellepreset *.fxp"));

  // With no window there is no dialog: answered at once, nothing chosen.
  h.editor->CloseWindow();
  h.editor->ChooseFileThen("", FileAction::Open, "/tmp/presets/", "moravellepreset", answers.Collector());
  ASSERT_EQ(answers.choices.size(), 2u);
  EXPECT_TRUE(answers.choices[1].answered);
  EXPECT_EQ(answers.choices[1].file, "");
}

TEST(EditorX11FileDialog, AHostThatIgnoresChildrenStillGetsTheAnswer) {
  // Such a host's children are reaped by the system: the dialog's exit status
  // is lost, and its output alone tells a choice from a cancel.
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction saved {};
  sigaction(SIGCHLD, &ignore, &saved);
  Answers answers;
  {
    FakeDialogProgram zenity("/tmp/elsewhere/ignored.moravellepreset", 0);
    h.editor->ChooseFileThen("", FileAction::Open, "/tmp/", "moravellepreset", answers.Collector());
    EXPECT_TRUE(xdesk::PumpUntil(h.step, [&] { return !answers.choices.empty(); }));
  }
  {
    FakeDialogProgram zenity("", 1);
    h.editor->ChooseFileThen("", FileAction::Open, "/tmp/", "moravellepreset", answers.Collector());
    EXPECT_TRUE(xdesk::PumpUntil(h.step, [&] { return answers.choices.size() == 2; }));
  }
  sigaction(SIGCHLD, &saved, nullptr);
  ASSERT_EQ(answers.choices.size(), 2u);
  EXPECT_EQ(answers.choices[0].file, "/tmp/elsewhere/ignored.moravellepreset");
  EXPECT_TRUE(answers.choices[1].answered);
  EXPECT_EQ(answers.choices[1].file, "");
}

TEST(EditorX11FileDialog, ClosingTheWindowKillsAnOpenDialogWhichThenNeverAnswers) {
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  const DialogDelay delay("30");
  FakeDialogProgram zenity("/tmp/late.moravellepreset", 0);
  Answers answers;
  h.editor->ChooseFileThen("", FileAction::Open, "/tmp/", "moravellepreset", answers.Collector());
  EXPECT_TRUE(xdesk::PumpUntil(h.step, [&] { return !zenity.Arguments().empty(); }));
  EXPECT_EQ(xdesk::ChildProcesses().size(), 1u);
  h.editor->CloseWindow();
  EXPECT_TRUE(xdesk::ChildProcesses().empty());  // killed and reaped
  ASSERT_EQ(answers.choices.size(), 1u);
  EXPECT_FALSE(answers.choices[0].answered);
  EXPECT_FALSE(h.editor->FileChoicePending());

  // Opened again, the editor has no dialog and asks afresh.
  ASSERT_NE(h.editor->OpenWindow(h.host.Handle()), nullptr);
  xdesk::PumpFor(h.step, 100);
  EXPECT_EQ(answers.choices.size(), 1u);
}

TEST(EditorX11FileDialog, TheSelectorShowsItsDialogStateIgnoresClicksMeanwhileAndCompletesLater) {
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  const DialogDelay delay("3");
  FakeDialogProgram zenity("/tmp/elsewhere/take three.moravellepreset", 0);
  const Rect r = EditorInHost::kSelectorRect;
  const int x = (r.L + r.R) / 2;
  const int y = (r.T + r.B) / 2;
  // The selector's image is on the screen while the dialog is open.
  const Window editorWindow = h.host.Children().front();
  const auto selectorPixel = [&] {
    const std::vector<uint32_t> shown = xdesk::Capture(h.host.Connection(), editorWindow, kWidth, kHeight);
    return shown.size() == static_cast<size_t>(kWidth) * kHeight ? shown[static_cast<size_t>(y) * kWidth + x] : 0u;
  };
  const uint32_t beforeClick = selectorPixel();
  h.plugin.ClearEvents();
  h.Click(x, y);
  EXPECT_TRUE(xdesk::PumpUntil(h.step, [&] { return h.editor->FileChoicePending(); }));
  EXPECT_EQ(h.selector->GetState(), FileSelectorControl::kDialogOpen);
  xdesk::PumpFor(h.step, 150);
  EXPECT_NE(selectorPixel(), beforeClick);
  EXPECT_EQ(selectorPixel(), FrameColour(1) & 0xFFFFFFu);

  // A second click meanwhile starts nothing.
  std::this_thread::sleep_for(std::chrono::milliseconds(EditorX11::kDoubleClickMs + 100));
  h.Click(x, y);
  xdesk::PumpFor(h.step, 200);
  EXPECT_EQ(xdesk::ChildProcesses().size(), 1u);

  EXPECT_TRUE(xdesk::PumpUntil(h.step, [&] { return !h.editor->FileChoicePending(); }));
  EXPECT_EQ(h.selector->File(), "/tmp/elsewhere/take three.moravellepreset");
  EXPECT_EQ(h.selector->Folder(), "/tmp/elsewhere/");
  EXPECT_EQ(h.selector->Value(), 1.0);
  // The value reaches the plug-in once, in a gesture of its own (the clicks'
  // own gestures ended with their releases).
  std::string order;
  std::vector<double> values;
  for (const OfflineAdapter::HostEvent& event : h.plugin.Events()) {
    if (event.index != 2) continue;
    if (event.kind == OfflineAdapter::HostEvent::Begin) order += 'B';
    if (event.kind == OfflineAdapter::HostEvent::End) order += 'E';
    if (event.kind == OfflineAdapter::HostEvent::Value) {
      order += 'V';
      values.push_back(event.value);
    }
  }
  EXPECT_EQ(values, std::vector<double>{1.0});
  ASSERT_GE(order.size(), 3u);
  EXPECT_EQ(order.substr(order.size() - 3), "BVE") << order;
  EXPECT_TRUE(xdesk::PumpUntil(h.step, [&] { return h.selector->GetState() == FileSelectorControl::kIdle; }));

  // Closed under an open dialog, the selector returns to rest and sends nothing.
  h.plugin.ClearEvents();
  std::this_thread::sleep_for(std::chrono::milliseconds(EditorX11::kDoubleClickMs + 100));
  h.Click(x, y);
  EXPECT_TRUE(xdesk::PumpUntil(h.step, [&] { return h.editor->FileChoicePending(); }));
  h.editor->CloseWindow();
  EXPECT_EQ(h.selector->GetState(), FileSelectorControl::kIdle);
  EXPECT_EQ(h.selector->Value(), 1.0);
  for (const OfflineAdapter::HostEvent& event : h.plugin.Events())
    EXPECT_NE(event.kind, OfflineAdapter::HostEvent::Value);
  EXPECT_TRUE(xdesk::ChildProcesses().empty());
}

}  // namespace
