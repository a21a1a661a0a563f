#include "net/exceptions.h"
#include "net/stack.h"

namespace orvex {
namespace {

struct CodeText {
  int code;
  const char* text;
};

constexpr CodeText kCodeTexts[] = {
    {10004, "Interrupted system call."},
    {10009, "Bad file number."},
    {10013, "Access denied."},
    {10014, "Buffer fault."},
    {10022, "Invalid argument."},
    {10024, "Too many open files."},
    {10035, "Operation would block."},
    {10036, "Operation now in progress."},
    {10037, "Operation already in progress."},
    {10038, "Socket operation on non-socket."},
    {10039, "Destination address required."},
    {10040, "Message too long."},
    {10041, "Protocol wrong type for socket."},
    {10042, "Bad protocol option."},
    {10043, "Protocol not supported."},
    {10044, "Socket type not supported."},
    {10045, "Operation not supported on socket."},
    {10046, "Protocol family not supported."},
    {10047, "Address family not supported by protocol family."},
    {10048, "Address already in use."},
    {10049, "Cannot assign requested address."},
    {10050, "Network is down."},
    {10051, "Network is unreachable."},
    {10052, "Net dropped connection or reset."},
    {10053, "Software caused connection abort."},
    {10054, "Connection reset by peer."},
    {10055, "No buffer space available."},
    {10056, "Socket is already connected."},
    {10057, "Socket is not connected."},
    {10058, "Cannot send or receive after socket is closed."},
    {10059, "Too many references, cannot splice."},
    {10060, "Connection timed out."},
    {10061, "Connection refused."},
    {10062, "Too many levels of symbolic links."},
    {10063, "File name too long."},
    {10064, "Host is down."},
    {10065, "No route to host."},
    {10066, "Directory not empty"},
    {11001, "Host not found."},
};

}  // namespace

std::string FormatCodes(std::string templ, long long first, long long second) {
  for (long long value : {first, second}) {
    auto at = templ.find("%d");
    if (at == std::string::npos) break;
    templ.replace(at, 2, std::to_string(value));
  }
  return templ;
}

std::string TNetStack::SocketErrorText(int code) {
  std::string text;
  for (const auto& entry : kCodeTexts)
    if (entry.code == code) text = entry.text;
  return "Socket Error # " + std::to_string(code) + "\r\n" + text;
}

void TNetStack::RaiseSocketError(int code) {
  if (code == 10038) throw ENetNotASocket(code, SocketErrorText(code));
  throw ENetSocketError(code, SocketErrorText(code));
}

std::int64_t TNetStack::CheckSocketResult(std::int64_t result) {
  if (result == -1) RaiseSocketError(platform::LastSocketError());
  return result;
}

}  // namespace orvex
