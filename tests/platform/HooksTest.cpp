// The application-wide message hooks: every retrieved message passes them with no heap
// allocation, and a hook removed while they run is not called again.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "platform/Application.h"
#include "platform/Form.h"

// Every allocation of the test program is counted.
static std::atomic<long> allocations{0};
void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

const UINT kProbe = WM_APP + 7;

class HooksForm : public platform::Form {
 public:
  HooksForm()
      : Form("HOOKS"),
        Hook1(Find<platform::ApplicationEvents>("Hook1")),
        Hook2(Find<platform::ApplicationEvents>("Hook2")) {}
  platform::ApplicationEvents* Hook1;
  platform::ApplicationEvents* Hook2;
};

TEST(Hooks, RetrievedMessagesPassTheHooksWithoutAHeapAllocation) {
  platform::App().Initialize();
  HooksForm form;
  int seen1 = 0, seen2 = 0;
  form.Hook1->OnMessage = [&](MSG& m, bool&) { seen1 += m.message == kProbe; };
  form.Hook2->OnMessage = [&](MSG& m, bool& handled) {
    seen2 += m.message == kProbe;
    handled = m.message == kProbe;
  };
  for (int i = 0; i < 10; ++i) PostMessageA(form.Handle(), kProbe, i, 0);
  const long before = allocations;
  platform::App().ProcessMessages();
  EXPECT_EQ(allocations - before, 0);
  EXPECT_EQ(seen1, 10);
  EXPECT_EQ(seen2, 10);
}

TEST(Hooks, HookRemovedByAnEarlierOneIsNotCalledForThatMessageNorLater) {
  platform::App().Initialize();
  HooksForm form;
  int seen2 = 0;
  bool removed = false;
  form.Hook1->OnMessage = [&](MSG& m, bool&) {
    if (m.message == kProbe && !removed) {
      platform::App().RemoveEvents(form.Hook2);
      removed = true;
    }
  };
  form.Hook2->OnMessage = [&](MSG& m, bool&) { seen2 += m.message == kProbe; };
  PostMessageA(form.Handle(), kProbe, 0, 0);
  PostMessageA(form.Handle(), kProbe, 1, 0);
  platform::App().ProcessMessages();
  EXPECT_TRUE(removed);
  EXPECT_EQ(seen2, 0);
  // When the form goes, the hook removes itself again: a no-op now.
}

}  // namespace
