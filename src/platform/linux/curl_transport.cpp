// HTTP GET with libcurl: redirects followed (http and https only, as many as
// the request allows), TLS certificates verified, the final response's head
// and body handed on as they come. The proxy is the desktop's, as the page has it, and
// otherwise the one the environment's proxy variables name.
#include <curl/curl.h>

#include <cctype>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/http_transport.h"
#include "platform/linux/desktop_proxy.h"
#include "platform/linux/errno_error.h"
#include "platform/text_codec.h"
#include "platform/unique_resource.h"

namespace platform {
namespace {

// Larger than libcurl's 16 KiB default: fewer write calls on a fast line.
constexpr long kReceiveBufferBytes = 256 * 1024;

using CurlHandle = UniqueAny<CURL*, curl_easy_cleanup>;
using HeaderList = UniqueAny<curl_slist*, curl_slist_free_all>;

struct Transfer {
  CURL* curl = nullptr;
  HttpReceiver* receiver = nullptr;
  HttpHead head;
  bool headSent = false;
  bool stopped = false;
};

bool HeaderIs(const std::string& line, const char* name, std::string& value) {
  std::size_t length = std::char_traits<char>::length(name);
  if (line.size() <= length || line[length] != ':') return false;
  for (std::size_t i = 0; i < length; ++i) {
    if (std::tolower(static_cast<unsigned char>(line[i])) != name[i]) return false;
  }
  std::size_t start = line.find_first_not_of(" \t", length + 1);
  std::size_t end = line.find_last_not_of(" \t\r\n");
  value = start == std::string::npos || end < start ? "" : line.substr(start, end - start + 1);
  return true;
}

// Every response of a redirect chain brings its own headers; only the last
// one's count.
size_t ReadHeader(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  std::string line(data, size * count);
  if (line.rfind("HTTP/", 0) == 0) transfer->head = HttpHead();
  std::string value;
  if (HeaderIs(line, "content-range", value)) transfer->head.contentRange = value;
  if (HeaderIs(line, "content-type", value)) transfer->head.contentType = value;
  if (HeaderIs(line, "etag", value)) transfer->head.etag = value;
  if (HeaderIs(line, "last-modified", value)) transfer->head.lastModified = value;
  return size * count;
}

bool SendHead(Transfer& transfer) {
  if (transfer.headSent) return true;
  transfer.headSent = true;
  long status = 0;
  curl_easy_getinfo(transfer.curl, CURLINFO_RESPONSE_CODE, &status);
  curl_off_t length = -1;
  curl_easy_getinfo(transfer.curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
  transfer.head.status = static_cast<int>(status);
  if (length >= 0) transfer.head.contentLength = static_cast<std::uint64_t>(length);
  return transfer.receiver->OnHead(transfer.head);
}

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  if (!SendHead(*transfer) || !transfer->receiver->OnBody(data, size * count)) {
    transfer->stopped = true;
    return 0;
  }
  return size * count;
}

int Tick(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* transfer = static_cast<Transfer*>(user);
  if (transfer->receiver->OnTick()) return 0;
  transfer->stopped = true;
  return 1;
}

TransportOutcome Translate(CURLcode code, CURL* curl) {
  long redirects = 0;
  curl_easy_getinfo(curl, CURLINFO_REDIRECT_COUNT, &redirects);
  switch (code) {
    case CURLE_OK:
      return TransportOutcome::Ended;
    case CURLE_TOO_MANY_REDIRECTS:
      return TransportOutcome::BadRedirect;
    case CURLE_UNSUPPORTED_PROTOCOL:
      return redirects > 0 ? TransportOutcome::BadRedirect : TransportOutcome::ConnectFailed;
    case CURLE_OPERATION_TIMEDOUT:
      return TransportOutcome::TimedOut;
    case CURLE_URL_MALFORMAT:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CACERT_BADFILE:
      return TransportOutcome::ConnectFailed;
    default:
      return TransportOutcome::Dropped;
  }
}

// curl's own words for the failure (its error buffer says which host, port
// or certificate; its code's text stands in when the buffer is empty), with
// the socket's errno ("Connection refused") when one was kept.
SystemError CauseOf(CURLcode code, CURL* curl, const char* detail) {
  SystemError cause{static_cast<int>(code),
                    DecodeUtf8(*detail != '\0' ? detail : curl_easy_strerror(code))};
  long socketErrno = 0;
  curl_easy_getinfo(curl, CURLINFO_OS_ERRNO, &socketErrno);
  if (socketErrno != 0) {
    cause.text += L" (" + ErrnoError(static_cast<int>(socketErrno)).text + L")";
  }
  return cause;
}

class CurlTransport final : public HttpTransport {
 public:
  explicit CurlTransport(const TransportLimits& limits) : limits_(limits) {}

  TransportResult Get(const HttpRequest& request, HttpReceiver& receiver) override {
    // Outlives the handle, which may write to it until it is cleaned up.
    char detail[CURL_ERROR_SIZE] = "";
    CurlHandle curl(curl_easy_init());
    if (!curl.Valid()) {
      return {TransportOutcome::ConnectFailed,
              {CURLE_FAILED_INIT, DecodeUtf8(curl_easy_strerror(CURLE_FAILED_INIT))}};
    }
    Transfer transfer;
    transfer.curl = curl.Get();
    transfer.receiver = &receiver;
    std::string address = EncodeUtf8(request.url);
    Configure(curl.Get(), address, transfer);
    curl_easy_setopt(curl.Get(), CURLOPT_MAXREDIRS, static_cast<long>(request.redirectLimit));
    std::optional<std::string> proxy = DesktopProxyFor(address);
    if (proxy) curl_easy_setopt(curl.Get(), CURLOPT_PROXY, proxy->c_str());
    HeaderList headers;
    for (const std::string& line : RequestHeaders(request)) {
      // Appending returns the list's head, null when it could not.
      curl_slist* head = curl_slist_append(headers.Get(), line.c_str());
      if (head == nullptr) {
        return {TransportOutcome::ConnectFailed,
                {CURLE_OUT_OF_MEMORY, DecodeUtf8(curl_easy_strerror(CURLE_OUT_OF_MEMORY))}};
      }
      if (!headers.Valid()) headers.Reset(head);
    }
    curl_easy_setopt(curl.Get(), CURLOPT_HTTPHEADER, headers.Get());
    if (request.timeLimit.count() > 0) {
      curl_easy_setopt(curl.Get(), CURLOPT_TIMEOUT_MS,
                       static_cast<long>(request.timeLimit.count()));
    }
    curl_easy_setopt(curl.Get(), CURLOPT_ERRORBUFFER, detail);
    CURLcode code = curl_easy_perform(curl.Get());
    if (transfer.stopped) return TransportOutcome::Stopped;
    TransportOutcome outcome = Translate(code, curl.Get());
    if (outcome != TransportOutcome::Ended) return {outcome, CauseOf(code, curl.Get(), detail)};
    // An empty body calls no write function; its head still counts.
    if (!SendHead(transfer)) return TransportOutcome::Stopped;
    return TransportOutcome::Ended;
  }

 private:
  void Configure(CURL* curl, const std::string& address, Transfer& transfer) const {
    curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    // Worker threads: no signals for timeouts.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(limits_.connectTimeout.count()));
    // Not one byte for the idle time-out.
    long idleSeconds = static_cast<long>((limits_.idleTimeout.count() + 999) / 1000);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, idleSeconds > 0 ? idleSeconds : 1L);
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, ReadHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, Tick);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  }

  TransportLimits limits_;
};

}  // namespace

std::shared_ptr<HttpTransport> MakeSystemTransport(const TransportLimits& limits) {
  // curl_global_init is not safe to race with other threads using libcurl.
  static std::once_flag initialised;
  std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  return std::make_shared<CurlTransport>(limits);
}

}  // namespace platform
