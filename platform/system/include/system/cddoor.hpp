#pragma once
// The CD drive's door, through the Linux CD-ROM calls on /dev/cdrom (or the
// device named by DOVETUNE_CDROM_DEVICE). Where there is no drive, or it
// refuses, nothing happens: the calls report false and raise nothing.

namespace sys {

bool OpenCdDoor();   // ejects the tray
bool CloseCdDoor();  // pulls the tray in

}  // namespace sys
