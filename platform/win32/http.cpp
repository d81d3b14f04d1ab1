// The import's download through WinHTTP, part of every Windows.
#include <windows.h>
#include <winhttp.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "../seam.h"

namespace {

std::wstring wide(const char* text)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring out(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_UTF8, 0, text, -1, &out[0], n);
    return out;
}

void failed(HttpAnswer& answer, DWORD error)
{
    answer.status = 0;
    answer.failed = error == ERROR_WINHTTP_NAME_NOT_RESOLVED ? HttpAnswer::kResolve
                    : error == ERROR_WINHTTP_CANNOT_CONNECT  ? HttpAnswer::kConnect
                    : error == ERROR_WINHTTP_TIMEOUT         ? HttpAnswer::kTimeout
                                                             : HttpAnswer::kOther;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             GetModuleHandleA("winhttp.dll"), error, 0, answer.failure, sizeof answer.failure, nullptr);
    while (n > 0 && (answer.failure[n - 1] == '\r' || answer.failure[n - 1] == '\n' || answer.failure[n - 1] == '.')) --n;
    if (n == 0) n = static_cast<DWORD>(snprintf(answer.failure, sizeof answer.failure, "error %lu", error));
    answer.failure[n] = '\0';
}

struct Handle {
    HINTERNET h;
    ~Handle()
    {
        if (h) WinHttpCloseHandle(h);
    }
};

}  // namespace

HttpAnswer httpPost(const char* url, const char* body, const char* userAgent, long timeoutSeconds, const char* to,
                    bool progress)
{
    HttpAnswer answer;
    std::wstring address = wide(url);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(address.c_str(), 0, 0, &parts)) {
        failed(answer, GetLastError());
        return answer;
    }
    std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength + parts.dwExtraInfoLength);
    if (path.empty()) path = L"/";
    Handle session{WinHttpOpen(wide(userAgent).c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                               WINHTTP_NO_PROXY_BYPASS, 0)};
    int ms = static_cast<int>(timeoutSeconds * 1000);
    Handle connection{session.h ? WinHttpConnect(session.h, host.c_str(), parts.nPort, 0) : nullptr};
    Handle request{connection.h ? WinHttpOpenRequest(connection.h, L"POST", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                                     WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                     parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0)
                                 : nullptr};
    DWORD length = static_cast<DWORD>(strlen(body));
    if (!request.h || !WinHttpSetTimeouts(request.h, 0, 30000, ms, ms) ||
        !WinHttpSendRequest(request.h, L"Content-Type: application/x-www-form-urlencoded\r\n", static_cast<DWORD>(-1),
                            const_cast<char*>(body), length, length, 0) ||
        !WinHttpReceiveResponse(request.h, nullptr)) {
        failed(answer, GetLastError());
        return answer;
    }
    DWORD status = 0, size = sizeof status;
    WinHttpQueryHeaders(request.h, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                        &status, &size, WINHTTP_NO_HEADER_INDEX);
    wchar_t retry[32];
    size = sizeof retry;
    if (WinHttpQueryHeaders(request.h, WINHTTP_QUERY_CUSTOM, L"Retry-After", retry, &size, WINHTTP_NO_HEADER_INDEX))
        answer.retryAfter = wcstol(retry, nullptr, 10);
    FILE* out = fopen(to, "wb");
    if (!out) {
        answer.failed = HttpAnswer::kOther;
        snprintf(answer.failure, sizeof answer.failure, "cannot write %s", to);
        return answer;
    }
    ULONGLONG started = GetTickCount64();
    unsigned long long received = 0, shown = 0;
    char buffer[1 << 16];
    for (DWORD n = 0;; received += n) {
        if (!WinHttpReadData(request.h, buffer, sizeof buffer, &n)) {
            failed(answer, GetLastError());
            break;
        }
        if (n == 0) break;
        if (fwrite(buffer, 1, n, out) != n) {
            failed(answer, ERROR_WRITE_FAULT);
            break;
        }
        if (GetTickCount64() - started > static_cast<ULONGLONG>(ms)) {
            failed(answer, ERROR_WINHTTP_TIMEOUT);
            break;
        }
        if (progress && (received + n) / 1024 != shown / 1024) {
            shown = received + n;
            fprintf(stderr, "\rimport-pois: %llu kB received", shown / 1024);
        }
    }
    if (progress && shown) fputc('\n', stderr);
    if (fclose(out) != 0 && answer.failed == HttpAnswer::kNone) failed(answer, ERROR_WRITE_FAULT);
    if (answer.failed == HttpAnswer::kNone) answer.status = static_cast<int>(status);
    return answer;
}
