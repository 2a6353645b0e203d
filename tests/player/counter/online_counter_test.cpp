// Counter refreshes against the demo server: the requests that reach it, the text that reaches the window.
#include "player/counter/online_counter.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <mutex>

#include "tests/harness/demo_server_client.h"
#include "tests/harness/message_pump.h"

namespace trr {
namespace {

using test::PumpMessages;
using test::PumpUntil;
using test::ServerRequestLog;
using test::ServerReset;
using test::ServerSetBody;
using test::ServerSetFault;

constexpr UINT kCounterMessage = WM_APP + 7;

// A message-only window that counts the refresh notices and reads the text on its own thread, as the main
// window does.
class Receiver {
 public:
  Receiver() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &Receiver::Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "CounterTestReceiver";
    RegisterClassA(&wc);
    window = CreateWindowExA(0, "CounterTestReceiver", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                             nullptr);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~Receiver() { DestroyWindow(window); }

  HWND window = nullptr;
  OnlineCounter* counter = nullptr;
  int notices = 0;
  std::string labelText = "人数统计服务器故障.";
  DWORD noticeThread = 0;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Receiver*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (message == kCounterMessage && self) {
      ++self->notices;
      self->noticeThread = GetCurrentThreadId();
      if (self->counter) self->labelText = self->counter->LatestText();
      return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
};

// Counter requests in the server's log. A request that the server drops without an answer is sent again by
// WinINet itself, so repeats in a row are folded into one; the player never asks for the same page twice in a
// row.
std::vector<std::string> CounterRequests(bool foldRepeats = false) {
  std::vector<std::string> requests;
  for (const std::string& entry : ServerRequestLog()) {
    if (entry.rfind("/fm/count.asp", 0) != 0) continue;
    if (foldRepeats && !requests.empty() && requests.back() == entry) continue;
    requests.push_back(entry);
  }
  return requests;
}

const std::vector<std::string> kThreeRequests = {"/fm/count.asp?id=3", "/fm/count.asp?id=1",
                                                 "/fm/count.asp?id=3"};

class OnlineCounterTest : public testing::Test {
 protected:
  void SetUp() override { ServerReset(); }
  void TearDown() override { ServerReset(); }

  // One refresh, waited for on this thread's message loop.
  void RefreshOnce() {
    int before = receiver.notices;
    ASSERT_TRUE(counter.StartRefresh());
    ASSERT_TRUE(PumpUntil([&] { return receiver.notices > before; }, 30000));
    EXPECT_EQ(receiver.noticeThread, GetCurrentThreadId());
  }

  Receiver receiver;
  OnlineCounter counter{receiver.window, kCounterMessage};
};

TEST_F(OnlineCounterTest, ThreeRequestsInOrderAndTheSecondReplyShown) {
  receiver.counter = &counter;
  EXPECT_EQ(counter.LatestText(), "");
  ServerSetBody("/fm/count.asp", "<span style=display:none>0128</span>");
  RefreshOnce();
  EXPECT_EQ(receiver.labelText, "当前在线:128人");
  EXPECT_EQ(CounterRequests(), kThreeRequests);

  // The demo server's own page counts up with every id=1 request.
  ServerReset();
  RefreshOnce();
  EXPECT_EQ(receiver.labelText, "当前在线:129人");
  RefreshOnce();
  EXPECT_EQ(receiver.labelText, "当前在线:130人");
  std::vector<std::string> six = kThreeRequests;
  six.insert(six.end(), kThreeRequests.begin(), kThreeRequests.end());
  EXPECT_EQ(CounterRequests(), six);
}

TEST_F(OnlineCounterTest, FailedRequestsDoNotStopTheOthers) {
  receiver.counter = &counter;
  ServerSetBody("/fm/count.asp", "none>42<");
  ServerSetFault("/fm/count.asp?id=3", "error");
  RefreshOnce();
  EXPECT_EQ(CounterRequests(), kThreeRequests);
  EXPECT_EQ(receiver.labelText, "当前在线:42人");

  // A connection dropped without an answer.
  ServerReset();
  ServerSetBody("/fm/count.asp", "none>43<");
  ServerSetFault("/fm/count.asp?id=3", "fail");
  RefreshOnce();
  EXPECT_EQ(CounterRequests(true), kThreeRequests);
  EXPECT_EQ(receiver.labelText, "当前在线:43人");

  // Every request failing still asks three times and shows 0.
  ServerReset();
  ServerSetFault("/fm/count.asp", "error");
  RefreshOnce();
  EXPECT_EQ(CounterRequests(), kThreeRequests);
  EXPECT_EQ(receiver.labelText, "当前在线:0人");

  ServerReset();
  ServerSetBody("/fm/count.asp", "NONE>42<");
  RefreshOnce();
  EXPECT_EQ(receiver.labelText, "当前在线:0人");
}

TEST_F(OnlineCounterTest, AHangingServerHoldsAtMostOneRefreshAndItEndsOnItsOwn) {
  receiver.counter = &counter;
  ServerSetFault("/fm/count.asp", "hang");
  int started = 0, ticks = 0;
  // Ticks faster than the timer's, for as long as the refresh runs: each of its three requests waits out the
  // small reply's limits, and then the refresh shows 0.
  while (receiver.notices == 0 && ticks < 150) {
    if (counter.StartRefresh()) ++started;
    ++ticks;
    PumpMessages(200);
  }
  EXPECT_EQ(started, 1);
  EXPECT_GT(ticks, 10);
  EXPECT_EQ(receiver.notices, 1);
  EXPECT_EQ(receiver.labelText, "当前在线:0人");
  EXPECT_EQ(CounterRequests(true), kThreeRequests);
  EXPECT_FALSE(counter.IsRefreshing());

  // Once the server answers again the next tick starts a new refresh.
  ServerReset();
  RefreshOnce();
  EXPECT_EQ(receiver.labelText, "当前在线:129人");
}

TEST_F(OnlineCounterTest, ADeliveryGetsTheTextOnTheWorkerThread) {
  ServerSetBody("/fm/count.asp", "none>0077<");
  std::mutex lock;
  std::string delivered;
  DWORD deliveryThread = 0;
  OnlineCounter posting([&](const std::string& text) {
    {
      std::lock_guard<std::mutex> guard(lock);
      delivered = text;
      deliveryThread = GetCurrentThreadId();
    }
    PostMessageA(receiver.window, kCounterMessage, 0, 0);
  });
  receiver.counter = &posting;
  ASSERT_TRUE(posting.StartRefresh());
  ASSERT_TRUE(PumpUntil([&] { return receiver.notices == 1; }, 30000));
  std::lock_guard<std::mutex> guard(lock);
  EXPECT_EQ(delivered, "当前在线:77人");
  EXPECT_NE(deliveryThread, GetCurrentThreadId());
  EXPECT_NE(deliveryThread, 0u);
  EXPECT_EQ(receiver.labelText, "当前在线:77人");
  EXPECT_EQ(posting.LatestText(), "当前在线:77人");
}

TEST_F(OnlineCounterTest, ACounterGoneBeforeItsRefreshEndsIsHarmless) {
  ServerSetFault("/fm/count.asp", "slow", 0.5);
  {
    OnlineCounter shortLived(receiver.window, kCounterMessage);
    ASSERT_TRUE(shortLived.StartRefresh());
  }
  // The worker still finishes and posts its notice; nobody reads a text.
  EXPECT_TRUE(PumpUntil([&] { return receiver.notices == 1; }, 30000));
  EXPECT_EQ(CounterRequests(), kThreeRequests);
}

}  // namespace
}  // namespace trr
