// libcurl, loaded on first use. The mail object and the URL download are the
// only users of libcurl and most runs of the program never send or download
// anything, so the library (and the thirty-odd libraries it pulls in) is not
// linked in: it is opened the first time a transfer starts. The curl headers
// still give the types and constants.
#pragma once

#include <curl/curl.h>

#include <string>

namespace sys::curl {

struct Api {
    CURLcode (*global_init)(long flags);
    CURL* (*easy_init)();
    void (*easy_cleanup)(CURL*);
    CURLcode (*easy_setopt)(CURL*, CURLoption, ...);
    CURLcode (*easy_perform)(CURL*);
    CURLcode (*easy_getinfo)(CURL*, CURLINFO, ...);
    const char* (*easy_strerror)(CURLcode);
    curl_slist* (*slist_append)(curl_slist*, const char*);
    void (*slist_free_all)(curl_slist*);
};

// The loaded and initialised library, or nullptr with *why telling what failed
// (the library is missing, a function is missing, initialisation failed). The
// library is opened and initialised once; a failure is remembered.
const Api* api(std::string* why);

// Opens the library soname and resolves the functions into out, without
// initialising it (api() opens "libcurl.so.4"; tests open others). False with
// *why when the library or one of its functions is missing.
bool open(const char* soname, Api& out, std::string& why);

}  // namespace sys::curl
