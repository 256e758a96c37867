#include "system/url_download.hpp"


#include <exception>
#include <memory>
#include <optional>

#include "curl_api.hpp"
#include "runtime/files.hpp"

namespace sys {

namespace {

struct Transfer {
    const curl::Api* lib = nullptr;
    CURL* curl = nullptr;
    runtime::AtomicFile* out = nullptr;
    std::int64_t maxBytes = 0;
    std::int64_t received = 0;
    std::string failure;  // why the write callback stopped the transfer

    static size_t write(char* data, size_t size, size_t count, void* user) {
        auto* self = static_cast<Transfer*>(user);
        size_t n = size * count;
        long status = 0;
        self->lib->easy_getinfo(self->curl, CURLINFO_RESPONSE_CODE, &status);
        // An error page is never kept: stop at its first bytes.
        if (status < 200 || status > 299) return 0;
        if (self->received + static_cast<std::int64_t>(n) > self->maxBytes) {
            self->failure = "the answer is larger than " + std::to_string(self->maxBytes) + " bytes";
            return 0;
        }
        try {
            self->out->write(std::string_view(data, n));
        } catch (const std::exception& e) {
            self->failure = e.what();
            return 0;
        }
        self->received += static_cast<std::int64_t>(n);
        return n;
    }
};

std::string statusText(long status) {
    std::string text = "HTTP " + std::to_string(status);
    switch (status) {
        case 400: return text + " Bad Request";
        case 401: return text + " Unauthorized";
        case 403: return text + " Forbidden";
        case 404: return text + " Not Found";
        case 410: return text + " Gone";
        case 500: return text + " Internal Server Error";
        case 502: return text + " Bad Gateway";
        case 503: return text + " Service Unavailable";
        case 504: return text + " Gateway Timeout";
        default: return text;
    }
}

}  // namespace

std::string PercentEncode(std::string_view text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                     c == '.' || c == '_' || c == '~';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

DownloadResult DownloadUrlToFile(std::string_view url, std::string_view target, const DownloadLimits& limits) {
    DownloadResult result;
    if (url.empty() || target.empty()) {
        result.reason = url.empty() ? "no address" : "no file to write";
        return result;
    }
    const curl::Api* lib = curl::api(&result.reason);
    if (!lib) return result;
    std::optional<runtime::AtomicFile> out;
    try {
        out.emplace(target);
    } catch (const std::exception& e) {
        result.reason = e.what();
        return result;
    }
    std::unique_ptr<CURL, void (*)(CURL*)> curl(lib->easy_init(), lib->easy_cleanup);
    if (!curl) {
        result.reason = "libcurl could not start a transfer";
        return result;
    }
    Transfer transfer{lib, curl.get(), &*out, limits.maxBytes, 0, {}};
    char errorBuffer[CURL_ERROR_SIZE] = "";
    std::string address(url);
    CURL* c = curl.get();
    lib->easy_setopt(c, CURLOPT_URL, address.c_str());
    lib->easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    lib->easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    lib->easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    lib->easy_setopt(c, CURLOPT_MAXREDIRS, 10L);
    lib->easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMs);
    lib->easy_setopt(c, CURLOPT_TIMEOUT_MS, limits.totalTimeoutMs);
    lib->easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
    lib->easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    lib->easy_setopt(c, CURLOPT_WRITEFUNCTION, &Transfer::write);
    lib->easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
    lib->easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer);
    lib->easy_setopt(c, CURLOPT_USERAGENT, "dovetune");

    CURLcode code = lib->easy_perform(c);
    lib->easy_getinfo(c, CURLINFO_RESPONSE_CODE, &result.status);
    bool success = result.status >= 200 && result.status <= 299;
    if (!success && result.status != 0 && (code == CURLE_OK || code == CURLE_WRITE_ERROR)) {
        result.reason = statusText(result.status);
    } else if (code != CURLE_OK) {
        if (!transfer.failure.empty())
            result.reason = transfer.failure;
        else if (code == CURLE_FILESIZE_EXCEEDED)
            result.reason = "the answer is larger than " + std::to_string(limits.maxBytes) + " bytes";
        else
            result.reason = *errorBuffer ? errorBuffer : lib->easy_strerror(code);
    } else if (!success) {
        result.reason = "no HTTP answer";
    } else {
        try {
            out->commit();
            result.ok = true;
        } catch (const std::exception& e) {
            result.reason = e.what();
        }
    }
    return result;
}

}  // namespace sys
