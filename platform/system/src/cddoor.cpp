#include "system/cddoor.hpp"

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace sys {

namespace {

bool doorCall(unsigned long request) {
    const char* dev = std::getenv("DOVETUNE_CDROM_DEVICE");
    std::string path = dev && *dev ? dev : "/dev/cdrom";
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::ioctl(fd, request, 0) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

bool OpenCdDoor() { return doorCall(CDROMEJECT); }
bool CloseCdDoor() { return doorCall(CDROMCLOSETRAY); }

}  // namespace sys
