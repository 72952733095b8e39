#include "update/bind_callback.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "fakes/fake_environment.h"
#include "fakes/fake_launch_services.h"
#include "fakes/fake_panel_view.h"
#include "temp_dir.h"

namespace {

TEST(ProgressPercent, TruncatesAndIsNotLimited) {
  EXPECT_EQ(ProgressPercent(2, 3), 66);
  EXPECT_EQ(ProgressPercent(0, 100), 0);
  EXPECT_EQ(ProgressPercent(100, 100), 100);
  EXPECT_EQ(ProgressPercent(150, 100), 150);
  EXPECT_EQ(ProgressPercent(12345, 0), 0);
  // received × 100 would overflow 32 bits; the double does not.
  EXPECT_EQ(ProgressPercent(0xFFFFFFFFu, 0xFFFFFFFFu), 100);
  EXPECT_EQ(ProgressPercent(0x80000000u, 0x40000000u), 200);
  EXPECT_EQ(ProgressPercent(0xFFFFFFFFu, 1), INT_MAX);
}

class BindCallbackTest : public ::testing::Test {
 protected:
  BindCallbackTest() {
    context.state = std::make_shared<PanelState>(FakeEnvironment(dir.WideFile(L"l.exe")));
    context.view = view;
    context.trace = &trace;
  }
  TempDir dir;
  FakeTrace trace;
  std::shared_ptr<FakePanelView> view = std::make_shared<FakePanelView>();
  UpdateContext context;
};

TEST_F(BindCallbackTest, EveryNotificationIsTracedStoredAndRepainted) {
  CBindCallback callback(context);
  EXPECT_EQ(callback.OnProgress(2, 3, BINDSTATUS_DOWNLOADINGDATA, L""), S_OK);
  EXPECT_EQ(context.state->m_nProgress, 66);
  EXPECT_EQ(callback.OnProgress(5, 0, 0, nullptr), S_OK);
  EXPECT_EQ(context.state->m_nProgress, 0);
  EXPECT_EQ(callback.OnProgress(4, 2, 0, nullptr), S_OK);
  EXPECT_EQ(context.state->m_nProgress, 200);
  EXPECT_EQ(view->Invalidations(), 3);
  EXPECT_EQ(trace.Text().rfind(L"\nSetProgress=66\n已下载66", 0), 0u) << trace.Text();
}

// The download's 64-bit counts are scaled together, so the percent stays.
TEST_F(BindCallbackTest, CountsPastFourGibibytesKeepTheirPercent) {
  CBindCallback callback(context);
  DownloadProgress& download = callback;
  download.OnBytes(9ull << 30, 10ull << 30);
  EXPECT_EQ(context.state->m_nProgress, 90);
  download.OnBytes(6ull << 30, 5ull << 30);
  EXPECT_EQ(context.state->m_nProgress, 120);
  download.OnBytes(6ull << 30, 0);
  EXPECT_EQ(context.state->m_nProgress, 0);
}

// Thousands of chunks: the bar hears each whole percent once, not each chunk.
TEST_F(BindCallbackTest, ADownloadInThousandsOfChunksRepaintsOncePerPercent) {
  CBindCallback callback(context);
  ProgressSteps steps(&callback);
  constexpr std::uint64_t kTotal = 6ull << 30;
  int chunks = 0;
  for (std::uint64_t received = 0; received <= kTotal; received += 512 * 1024, ++chunks) {
    steps.Update(received, kTotal);
  }
  steps.Settle(kTotal, kTotal);
  EXPECT_GT(chunks, 12000);
  EXPECT_EQ(view->Invalidations(), 101);
  EXPECT_EQ(context.state->m_nProgress, 100);
}

TEST_F(BindCallbackTest, AnswersEverythingButProgressAsNotImplemented) {
  CBindCallback callback(context);
  IBindStatusCallback& status = callback;
  void* object = &callback;
  GUID anyInterface{};
  EXPECT_EQ(status.QueryInterface(anyInterface, &object), E_NOTIMPL);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(status.AddRef(), 0u);
  EXPECT_EQ(status.Release(), 0u);
  EXPECT_EQ(status.OnStartBinding(0, nullptr), E_NOTIMPL);
  EXPECT_EQ(status.GetPriority(nullptr), E_NOTIMPL);
  EXPECT_EQ(status.OnLowResource(0), E_NOTIMPL);
  EXPECT_EQ(status.OnStopBinding(S_OK, nullptr), E_NOTIMPL);
  EXPECT_EQ(status.GetBindInfo(nullptr, nullptr), E_NOTIMPL);
  EXPECT_EQ(status.OnDataAvailable(0, 0, nullptr, nullptr), E_NOTIMPL);
  EXPECT_EQ(status.OnObjectAvailable(anyInterface, nullptr), E_NOTIMPL);
  EXPECT_EQ(view->Invalidations(), 0);
}

}  // namespace
