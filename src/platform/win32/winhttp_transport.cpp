// HTTP GET with WinHTTP: redirects followed by the system (as many as the
// request allows), the proxy of the user's Internet Options (as the page has
// it), the system's TLS rules. Unlike URL monikers it sends the request's
// headers as they are, hands over the final status and headers without
// caching the file elsewhere first, and times out each read.
#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/http_count.h"
#include "platform/http_transport.h"
#include "platform/win32/internet_handle.h"
#include "platform/win32/user_proxy.h"
#include "platform/win32/win32_error.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kReadBytes = 256 * 1024;

DWORD Milliseconds(std::chrono::milliseconds duration) {
  return static_cast<DWORD>(std::clamp<long long>(duration.count(), 1, 0x7FFFFFFF));
}

// A response header as ASCII text; empty when absent.
std::string QueryText(HINTERNET request, DWORD query) {
  DWORD bytes = 0;
  ::WinHttpQueryHeaders(request, query, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER,
                        &bytes, WINHTTP_NO_HEADER_INDEX);
  if (bytes == 0) return {};
  std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
  if (!::WinHttpQueryHeaders(request, query, WINHTTP_HEADER_NAME_BY_INDEX, text.data(), &bytes,
                             WINHTTP_NO_HEADER_INDEX)) {
    return {};
  }
  text.resize(bytes / sizeof(wchar_t));
  std::string ascii;
  for (wchar_t c : text) ascii.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return ascii;
}

HttpHead ReadHead(HINTERNET request) {
  HttpHead head;
  DWORD status = 0;
  DWORD size = sizeof status;
  ::WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                        WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
  head.status = static_cast<int>(status);
  // As text: the number form has only 32 bits.
  head.contentLength = ParseHttpCount(QueryText(request, WINHTTP_QUERY_CONTENT_LENGTH));
  head.contentRange = QueryText(request, WINHTTP_QUERY_CONTENT_RANGE);
  head.contentType = QueryText(request, WINHTTP_QUERY_CONTENT_TYPE);
  head.etag = QueryText(request, WINHTTP_QUERY_ETAG);
  head.lastModified = QueryText(request, WINHTTP_QUERY_LAST_MODIFIED);
  return head;
}

TransportOutcome OutcomeOf(DWORD error, bool sent) {
  switch (error) {
    case ERROR_WINHTTP_TIMEOUT:
      return TransportOutcome::TimedOut;
    case ERROR_WINHTTP_REDIRECT_FAILED:
      return TransportOutcome::BadRedirect;
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
    case ERROR_WINHTTP_CANNOT_CONNECT:
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_UNRECOGNIZED_SCHEME:
    case ERROR_WINHTTP_INVALID_URL:
      return TransportOutcome::ConnectFailed;
    default:
      return sent ? TransportOutcome::Dropped : TransportOutcome::ConnectFailed;
  }
}

// Wine's winhttp.dll has no message texts: the names of the errors told
// apart above stand in for them.
const wchar_t* ErrorName(DWORD error) {
  switch (error) {
    case ERROR_WINHTTP_TIMEOUT:
      return L"ERROR_WINHTTP_TIMEOUT";
    case ERROR_WINHTTP_REDIRECT_FAILED:
      return L"ERROR_WINHTTP_REDIRECT_FAILED";
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
      return L"ERROR_WINHTTP_NAME_NOT_RESOLVED";
    case ERROR_WINHTTP_CANNOT_CONNECT:
      return L"ERROR_WINHTTP_CANNOT_CONNECT";
    case ERROR_WINHTTP_SECURE_FAILURE:
      return L"ERROR_WINHTTP_SECURE_FAILURE";
    case ERROR_WINHTTP_UNRECOGNIZED_SCHEME:
      return L"ERROR_WINHTTP_UNRECOGNIZED_SCHEME";
    case ERROR_WINHTTP_INVALID_URL:
      return L"ERROR_WINHTTP_INVALID_URL";
    case ERROR_WINHTTP_CONNECTION_ERROR:
      return L"ERROR_WINHTTP_CONNECTION_ERROR";
    default:
      return nullptr;
  }
}

// The ERROR_WINHTTP_* codes have their texts in winhttp.dll.
TransportResult Failure(DWORD error, bool sent) {
  SystemError cause = Win32Error(error, L"winhttp.dll");
  const wchar_t* name = ErrorName(error);
  if (cause.text.empty() && name != nullptr) cause.text = name;
  return {OutcomeOf(error, sent), cause};
}

class WinHttpTransport final : public HttpTransport {
 public:
  explicit WinHttpTransport(const TransportLimits& limits) : limits_(limits) {}

  TransportResult Get(const HttpRequest& request, HttpReceiver& receiver) override {
    auto started = Clock::now();
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!::WinHttpCrackUrl(request.url.c_str(), 0, 0, &parts))
      return Failure(::GetLastError(), false);
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) {
      return Failure(ERROR_WINHTTP_UNRECOGNIZED_SCHEME, false);
    }
    std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
    path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty()) path = L"/";

    InternetHandle session(OpenSessionFor(L"qelt-micro", request.url));
    if (!session.Valid()) return Failure(::GetLastError(), false);
    int connect = static_cast<int>(Milliseconds(limits_.connectTimeout));
    int idle = static_cast<int>(Milliseconds(limits_.idleTimeout));
    ::WinHttpSetTimeouts(session.Get(), connect, connect, idle, idle);
    InternetHandle connection(::WinHttpConnect(session.Get(), host.c_str(), parts.nPort, 0));
    if (!connection.Valid()) return Failure(::GetLastError(), false);
    DWORD flags = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
    InternetHandle handle(::WinHttpOpenRequest(connection.Get(), L"GET", path.c_str(), nullptr,
                                               WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                               flags));
    if (!handle.Valid()) return Failure(::GetLastError(), false);
    // The wait for the response head has its own time-out (90 s by default).
    DWORD idleMs = Milliseconds(limits_.idleTimeout);
    ::WinHttpSetOption(handle.Get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &idleMs,
                       sizeof idleMs);
    DWORD redirects = static_cast<DWORD>(request.redirectLimit);
    ::WinHttpSetOption(handle.Get(), WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS, &redirects,
                       sizeof redirects);

    std::wstring headers;
    for (const std::string& line : RequestHeaders(request)) {
      headers += std::wstring(line.begin(), line.end()) + L"\r\n";
    }
    if (!::WinHttpSendRequest(
            handle.Get(), headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : headers.c_str(),
            static_cast<DWORD>(headers.size()), WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !::WinHttpReceiveResponse(handle.Get(), nullptr)) {
      return Failure(::GetLastError(), false);
    }
    if (!receiver.OnHead(ReadHead(handle.Get()))) return TransportOutcome::Stopped;

    std::vector<char> buffer(kReadBytes);
    for (;;) {
      // Each read waits at most the idle time-out, and never past the limit.
      auto wait = limits_.idleTimeout;
      if (request.timeLimit.count() > 0) {
        auto left = request.timeLimit -
                    std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
        if (left.count() <= 0) return TransportOutcome::TimedOut;
        wait = std::min(wait, left);
      }
      DWORD waitMs = Milliseconds(wait);
      ::WinHttpSetOption(handle.Get(), WINHTTP_OPTION_RECEIVE_TIMEOUT, &waitMs, sizeof waitMs);
      // Asking what is there first: a read of more waits (on Wine) until
      // it is filled, however long a trickle takes.
      DWORD available = 0;
      DWORD read = 0;
      auto before = Clock::now();
      bool ok = ::WinHttpQueryDataAvailable(handle.Get(), &available) &&
                (available == 0 || ::WinHttpReadData(handle.Get(), buffer.data(),
                                                     std::min(available, kReadBytes), &read));
      DWORD error = ::GetLastError();
      // Wine ends a read that waited out its time-out like the end of the body.
      if ((!ok || read == 0) && Clock::now() - before >= wait) {
        return {TransportOutcome::TimedOut, ok ? SystemError{} : Failure(error, true).cause};
      }
      if (!ok) return Failure(error, true);
      if (read == 0) return TransportOutcome::Ended;
      if (!receiver.OnBody(buffer.data(), read) || !receiver.OnTick()) {
        return TransportOutcome::Stopped;
      }
    }
  }

 private:
  TransportLimits limits_;
};

}  // namespace

std::shared_ptr<HttpTransport> MakeSystemTransport(const TransportLimits& limits) {
  return std::make_shared<WinHttpTransport>(limits);
}

}  // namespace platform
