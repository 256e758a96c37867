#pragma once
// A file's times as the kernel keeps them, for tests of what the program
// shows of a file: statx's answer, its timestamps as local date-times, and
// times set by hand.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <ctime>
#include <string>

#include "runtime/format.hpp"

inline runtime::DateTime asLocal(const struct statx_timestamp& t) {
    auto since = std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
    return runtime::DateTime::fromTimePoint(std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(since)));
}

inline struct statx statxOf(const std::string& path) {
    struct statx sx {};
    EXPECT_EQ(statx(AT_FDCWD, path.c_str(), AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS | STATX_BTIME, &sx), 0);
    return sx;
}

inline void setTimes(const std::string& path, time_t accessed, time_t modified) {
    struct timespec times[2] = {{accessed, 0}, {modified, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}
