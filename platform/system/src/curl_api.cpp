#include "curl_api.hpp"

#include <dlfcn.h>

#include <mutex>

namespace sys::curl {

namespace {

struct Loaded {
    Api api{};
    std::string failure;  // "" once the library is loaded and initialised
};

template <typename F>
bool resolve(void* lib, const char* name, F& slot, std::string& failure) {
    void* p = ::dlsym(lib, name);
    if (!p) {
        failure = std::string("libcurl lacks ") + name;
        return false;
    }
    slot = reinterpret_cast<F>(p);
    return true;
}

Loaded load() {
    Loaded l;
    if (!curl::open("libcurl.so.4", l.api, l.failure)) return l;
    // The library stays loaded for the rest of the run.
    CURLcode code = l.api.global_init(CURL_GLOBAL_DEFAULT);
    if (code != CURLE_OK)
        l.failure = std::string("libcurl could not be initialised (") + l.api.easy_strerror(code) + ")";
    return l;
}

}  // namespace

bool open(const char* soname, Api& out, std::string& why) {
    void* lib = ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
        const char* e = ::dlerror();
        why = std::string("libcurl could not be loaded") + (e ? std::string(" (") + e + ")" : std::string());
        return false;
    }
    Api a{};
    bool ok = resolve(lib, "curl_global_init", a.global_init, why) &&
              resolve(lib, "curl_easy_init", a.easy_init, why) &&
              resolve(lib, "curl_easy_cleanup", a.easy_cleanup, why) &&
              resolve(lib, "curl_easy_setopt", a.easy_setopt, why) &&
              resolve(lib, "curl_easy_perform", a.easy_perform, why) &&
              resolve(lib, "curl_easy_getinfo", a.easy_getinfo, why) &&
              resolve(lib, "curl_easy_strerror", a.easy_strerror, why) &&
              resolve(lib, "curl_slist_append", a.slist_append, why) &&
              resolve(lib, "curl_slist_free_all", a.slist_free_all, why);
    if (!ok) {
        ::dlclose(lib);
        return false;
    }
    out = a;
    return true;
}

const Api* api(std::string* why) {
    static std::once_flag once;
    static Loaded loaded;
    std::call_once(once, [] { loaded = load(); });
    if (!loaded.failure.empty()) {
        if (why) *why = loaded.failure;
        return nullptr;
    }
    return &loaded.api;
}

}  // namespace sys::curl
