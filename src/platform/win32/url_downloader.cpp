// Downloads with URLDownloadToFileW into "<path>.part", renamed over `path`
// on success. The transfer runs on a helper thread while the calling thread
// watches it: URL monikers have no timeouts of their own, and a server that
// stalls (or a connection that never completes) would otherwise hold the
// caller forever. Progress reaches the caller's callback only until Download
// returns.
#include <urlmon.h>
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cwchar>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/downloader.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kWatchInterval = std::chrono::milliseconds(250);
// How long an aborted transfer gets to wind down before it is left behind.
constexpr auto kAbortGrace = std::chrono::seconds(2);

// What the helper thread and the watching caller share.
struct TransferState {
  std::mutex mutex;
  std::condition_variable changed;
  // The caller's callback (may be null); used only until `abandoned`.
  IBindStatusCallback* progress = nullptr;
  bool abandoned = false;
  IBinding* binding = nullptr;
  bool finished = false;
  HRESULT result = E_FAIL;
  DWORD status = 0;
  bool receiving = false;
  ULONG received = 0;
  ULONG total = 0;
};

// The status callback handed to URLDownloadToFileW, on the helper thread.
class TransferCallback final : public IBindStatusCallback, public IHttpNegotiate {
 public:
  explicit TransferCallback(std::shared_ptr<TransferState> state) : state_(std::move(state)) {}
  TransferCallback(const TransferCallback&) = delete;
  TransferCallback& operator=(const TransferCallback&) = delete;
  virtual ~TransferCallback() { ReleaseBinding(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IBindStatusCallback)) {
      *object = static_cast<IBindStatusCallback*>(this);
      return S_OK;
    }
    if (IsEqualIID(riid, IID_IHttpNegotiate)) {
      *object = static_cast<IHttpNegotiate*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // Lives on the helper thread's stack for the one call.
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding* binding) override {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->binding != nullptr) state_->binding->Release();
    state_->binding = binding;
    if (binding != nullptr) binding->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG received, ULONG total, ULONG statusCode,
                                       LPCWSTR statusText) override {
    if (statusCode != BINDSTATUS_BEGINDOWNLOADDATA && statusCode != BINDSTATUS_DOWNLOADINGDATA &&
        statusCode != BINDSTATUS_ENDDOWNLOADDATA) {
      return S_OK;
    }
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->receiving = true;
    state_->received = received;
    state_->total = total;
    state_->changed.notify_all();
    if (state_->abandoned) return E_ABORT;
    if (state_->progress == nullptr) return S_OK;
    return state_->progress->OnProgress(received, total, statusCode, statusText);
  }
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override {
    ReleaseBinding();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

  HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR, LPCWSTR, DWORD,
                                                 LPWSTR* additionalHeaders) override {
    if (additionalHeaders != nullptr) *additionalHeaders = nullptr;
    return S_OK;
  }
  // Error pages would otherwise be saved as if they were the file.
  HRESULT STDMETHODCALLTYPE OnResponse(DWORD status, LPCWSTR, LPCWSTR,
                                       LPWSTR* additionalHeaders) override {
    if (additionalHeaders != nullptr) *additionalHeaders = nullptr;
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->status = status;
    return S_OK;
  }

 private:
  void ReleaseBinding() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->binding != nullptr) state_->binding->Release();
    state_->binding = nullptr;
  }

  std::shared_ptr<TransferState> state_;
};

void RunTransfer(std::shared_ptr<TransferState> state, std::wstring url, std::wstring file) {
  HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  HRESULT result;
  {
    TransferCallback callback(state);
    result = ::URLDownloadToFileW(nullptr, url.c_str(), file.c_str(), 0, &callback);
  }
  if (SUCCEEDED(com)) ::CoUninitialize();
  std::lock_guard<std::mutex> lock(state->mutex);
  state->finished = true;
  state->result = result;
  state->changed.notify_all();
}

// Watches a transfer the way libcurl's limits do: no data within the connect
// timeout, or less than the lowest speed over a window of lowSpeedTime.
class StallWatch {
 public:
  explicit StallWatch(const DownloadLimits& limits)
      : limits_(limits), started_(Clock::now()), windowStart_(started_) {}

  // Call with the state locked.
  bool Stalled(const TransferState& state) {
    auto now = Clock::now();
    if (!state.receiving) return now - started_ > limits_.connectTimeout;
    if (now - windowStart_ < limits_.lowSpeedTime) return false;
    double seconds = std::chrono::duration<double>(now - windowStart_).count();
    bool slow = (state.received - windowReceived_) < limits_.lowSpeedBytesPerSecond * seconds;
    windowStart_ = now;
    windowReceived_ = state.received;
    return slow;
  }

 private:
  DownloadLimits limits_;
  Clock::time_point started_;
  Clock::time_point windowStart_;
  ULONG windowReceived_ = 0;
};

// URL monikers also read local files and other schemes; only the web is
// meant here.
bool IsWebAddress(const std::wstring& url) {
  auto startsWith = [&url](const wchar_t* prefix) {
    std::size_t length = std::wcslen(prefix);
    return url.size() > length && ::_wcsnicmp(url.c_str(), prefix, length) == 0;
  };
  return startsWith(L"http://") || startsWith(L"https://");
}

class UrlMonikerDownloader final : public Downloader {
 public:
  explicit UrlMonikerDownloader(const DownloadLimits& limits) : limits_(limits) {}

  bool Download(const std::wstring& url, const std::wstring& path,
                IBindStatusCallback* progress) override {
    if (!IsWebAddress(url)) return false;
    std::wstring partial = path + L".part";
    ::DeleteFileW(partial.c_str());
    auto state = std::make_shared<TransferState>();
    state->progress = progress;
    std::thread(RunTransfer, state, url, partial).detach();

    bool complete = Watch(*state);
    if (complete && ::MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0) {
      return true;
    }
    ::DeleteFileW(partial.c_str());
    return false;
  }

 private:
  // Waits for the transfer; true when it ended with a whole body and a
  // success status. On return the caller's callback is no longer used.
  bool Watch(TransferState& state) {
    StallWatch watch(limits_);
    std::unique_lock<std::mutex> lock(state.mutex);
    while (!state.finished) {
      state.changed.wait_for(lock, kWatchInterval);
      if (state.finished || !watch.Stalled(state)) continue;
      state.abandoned = true;
      if (state.binding != nullptr) state.binding->Abort();
      state.changed.wait_for(lock, kAbortGrace, [&state] { return state.finished; });
      return false;
    }
    state.abandoned = true;
    // URL monikers report a connection dropped early as the end of the file.
    bool whole = state.total == 0 || state.received == state.total;
    return state.result == S_OK && state.status >= 200 && state.status < 300 && whole;
  }

  DownloadLimits limits_;
};

}  // namespace

std::shared_ptr<Downloader> MakeSystemDownloader(const DownloadLimits& limits) {
  return std::make_shared<UrlMonikerDownloader>(limits);
}

}  // namespace platform
