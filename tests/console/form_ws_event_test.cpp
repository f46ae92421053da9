#include "console/form_ws_event.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zol {
namespace {

const char* Name(WindowState s) {
  return s == WindowState::Normal ? "normal" : s == WindowState::Minimized ? "min" : "max";
}

struct Recorder {
  explicit Recorder(FormWSEvent& c) {
    c.Sleep1ms = [this] { events.push_back("sleep"); };
    c.OnMinimized = [this](FormWSEvent*, WindowState p) { events.push_back(std::string("minimized ") + Name(p)); };
    c.OnMaximized = [this](FormWSEvent*, WindowState p) { events.push_back(std::string("maximized ") + Name(p)); };
    c.OnRestored = [this](FormWSEvent*, WindowState p) { events.push_back(std::string("restored ") + Name(p)); };
    c.OnMinimizing = [this](FormWSEvent*) { events.push_back("minimizing"); };
    c.OnMaximizing = [this](FormWSEvent*) { events.push_back("maximizing"); };
    c.OnRestoring = [this](FormWSEvent*) { events.push_back("restoring"); };
  }
  std::vector<std::string> events;
};

TEST(FormWSEvent, RequestsComeBeforeAndChangesAfterWithThePreviousState) {
  Form form;
  FormWSEvent c(&form);
  EXPECT_EQ(c.HookForm(), &form);
  Recorder r(c);
  form.Perform(kWmSysCommand, kScMaximize);
  EXPECT_EQ(form.State(), WindowState::Maximized);
  form.Perform(kWmSysCommand, kScRestore);
  form.SetWindowState(WindowState::Minimized);  // the program itself: no request
  EXPECT_EQ(r.events, (std::vector<std::string>{"maximizing", "sleep", "maximized normal", "restoring", "sleep",
                                                "restored max", "minimized normal"}));
}

TEST(FormWSEvent, OtherCommandsAndSizeTypesRaiseNoEvent) {
  Form form;
  FormWSEvent c(&form);
  Recorder r(c);
  for (int cmd : {kScMinimize + 1, kScMaximize | 0x2, kScRestore - 1, 0xF060}) form.Perform(kWmSysCommand, cmd);
  form.Perform(kWmSize, 3);
  form.Perform(kWmSize, 4);
  EXPECT_TRUE(r.events.empty());
  EXPECT_EQ(form.State(), WindowState::Normal);
}

TEST(FormWSEvent, UnassignedRequestHandlerMeansNoSleep) {
  Form form;
  FormWSEvent c(&form);
  int sleeps = 0;
  c.Sleep1ms = [&] { ++sleeps; };
  form.Perform(kWmSysCommand, kScMinimize);
  EXPECT_EQ(sleeps, 0);
  EXPECT_EQ(form.State(), WindowState::Minimized);
}

TEST(FormWSEvent, OnlyTheFirstComponentOnAFormHooksIt) {
  Form form;
  FormWSEvent first(&form);
  FormWSEvent second(&form);
  EXPECT_EQ(second.HookForm(), nullptr);
  Recorder r2(second);
  form.SetWindowState(WindowState::Maximized);
  EXPECT_TRUE(r2.events.empty());
  FormWSEvent none(nullptr);
  EXPECT_EQ(none.HookForm(), nullptr);
}

TEST(FormWSEvent, UnhookRestoresTheProcedureOrFailsWhenReplaced) {
  Form form;
  {
    FormWSEvent c(&form);
    c.Unhook();
    EXPECT_EQ(c.HookForm(), nullptr);
    EXPECT_FALSE(form.WindowProc);
  }
  FormWSEvent c(&form);
  int other = 0;
  auto hook = form.WindowProc;
  form.WindowProc = [&](const WindowMessage& m) {
    ++other;
    hook(m);
  };
  form.WindowProcOwner = &other;
  try {
    c.Unhook();
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "サブクラス化解除失敗");
  }
  form.Perform(kWmSize, 2);
  EXPECT_EQ(other, 1);
  EXPECT_EQ(form.State(), WindowState::Maximized);
  // Put the hook back as outermost so the component can leave cleanly.
  form.WindowProc = hook;
  form.WindowProcOwner = &c;
}

}  // namespace
}  // namespace zol
