// The import's download through libcurl.
#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "../seam.h"

namespace {

struct Receiving {
    FILE* out;
    long retryAfter = -1;
    bool progress;
    curl_off_t shown = -1;
};

size_t body(char* data, size_t size, size_t count, void* raw)
{
    return fwrite(data, size, count, static_cast<Receiving*>(raw)->out) * size;
}

size_t header(char* data, size_t size, size_t count, void* raw)
{
    size_t n = size * count;
    if (n > 12 && strncasecmp(data, "Retry-After:", 12) == 0) static_cast<Receiving*>(raw)->retryAfter = atol(data + 12);
    return n;
}

// A line that counts the kilobytes received, redrawn in place.
int progressLine(void* raw, curl_off_t, curl_off_t now, curl_off_t, curl_off_t)
{
    auto* r = static_cast<Receiving*>(raw);
    if (r->progress && now / 1024 != r->shown / 1024) {
        r->shown = now;
        fprintf(stderr, "\rimport-pois: %ld kB received", static_cast<long>(now / 1024));
    }
    return 0;
}

}  // namespace

HttpAnswer httpPost(const char* url, const char* body_, const char* userAgent, long timeoutSeconds, const char* to,
                    bool progress)
{
    HttpAnswer answer;
    FILE* out = fopen(to, "wb");
    if (!out) {
        answer.failed = HttpAnswer::kOther;
        snprintf(answer.failure, sizeof answer.failure, "cannot write %s", to);
        return answer;
    }
    static bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == 0;
    CURL* curl = ready ? curl_easy_init() : nullptr;
    Receiving r{out, -1, progress};
    CURLcode rc = CURLE_FAILED_INIT;
    if (curl) {
        curl_easy_setopt(curl, CURLOPT_URL, url);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body_);
        curl_easy_setopt(curl, CURLOPT_USERAGENT, userAgent);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
        curl_easy_setopt(curl, CURLOPT_TIMEOUT, timeoutSeconds);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, body);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &r);
        curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, header);
        curl_easy_setopt(curl, CURLOPT_HEADERDATA, &r);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, progressLine);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &r);
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        rc = curl_easy_perform(curl);
        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        answer.status = rc == CURLE_OK ? static_cast<int>(status) : 0;
        curl_easy_cleanup(curl);
    }
    if (progress && r.shown >= 0) fputc('\n', stderr);
    if (fclose(out) != 0 && rc == CURLE_OK) rc = CURLE_WRITE_ERROR;
    answer.retryAfter = r.retryAfter;
    if (rc != CURLE_OK) {
        answer.failed = rc == CURLE_COULDNT_RESOLVE_HOST ? HttpAnswer::kResolve
                        : rc == CURLE_COULDNT_CONNECT    ? HttpAnswer::kConnect
                        : rc == CURLE_OPERATION_TIMEDOUT ? HttpAnswer::kTimeout
                                                         : HttpAnswer::kOther;
        snprintf(answer.failure, sizeof answer.failure, "%s", curl_easy_strerror(rc));
    }
    return answer;
}
